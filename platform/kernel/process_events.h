// Descriptors the whole process watches (internal): the session's sockets and children whose
// handles were closed while they ran. Every thread's wait includes eventsFd(), so whichever
// thread waits runs the handlers of the descriptors that became readable; handlers never
// block.
#pragma once

#include <functional>

namespace winplat::detail {

// An epoll descriptor that is readable while a watched descriptor is; made at first use and
// kept for the life of the process.
int eventsFd();
// Calls `handler` (on some waiting thread) whenever `fd` is readable or hung up, until
// unwatched. The caller keeps `fd` open while it is watched.
void watchReadable(int fd, std::function<void()> handler);
void unwatch(int fd);
// Whether anything is watched: when nothing is, a wait need not look.
bool anyWatched();
// Runs the handlers of the descriptors that are ready now; false when none was ready or
// another thread is running them.
bool runReadyEvents();

}  // namespace winplat::detail
