// The process's watched descriptors: one epoll set, handlers looked up by descriptor when it
// is ready and run with no lock held, so a handler may watch or unwatch descriptors.
#include "process_events.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace winplat::detail {
namespace {

struct Watches {
    Watches() : epoll(epoll_create1(EPOLL_CLOEXEC)) {}
    const int epoll;
    std::mutex mutex;
    std::unordered_map<int, std::shared_ptr<std::function<void()>>> handlers;
    std::atomic<int> count{0};
    std::mutex running;  // one thread runs handlers at a time
};

Watches& watches() {
    static Watches* w = new Watches;  // lives for the process: threads may wait during exit
    return *w;
}

}  // namespace

int eventsFd() { return watches().epoll; }

void watchReadable(int fd, std::function<void()> handler) {
    Watches& w = watches();
    std::lock_guard lock(w.mutex);
    auto [it, added] = w.handlers.insert_or_assign(fd, std::make_shared<std::function<void()>>(std::move(handler)));
    if (!added) return;
    epoll_event e{};
    e.events = EPOLLIN | EPOLLRDHUP;
    e.data.fd = fd;
    if (epoll_ctl(w.epoll, EPOLL_CTL_ADD, fd, &e) != 0) {
        w.handlers.erase(it);
        return;
    }
    ++w.count;
}

void unwatch(int fd) {
    Watches& w = watches();
    std::lock_guard lock(w.mutex);
    if (w.handlers.erase(fd) == 0) return;
    epoll_ctl(w.epoll, EPOLL_CTL_DEL, fd, nullptr);
    --w.count;
}

bool anyWatched() { return watches().count.load(std::memory_order_relaxed) > 0; }

bool runReadyEvents() {
    Watches& w = watches();
    if (!anyWatched()) return false;
    std::unique_lock running(w.running, std::try_to_lock);
    if (!running) return false;
    epoll_event ready[16];
    int n = epoll_wait(w.epoll, ready, 16, 0);
    for (int i = 0; i < n; ++i) {
        std::shared_ptr<std::function<void()>> handler;
        {
            std::lock_guard lock(w.mutex);
            auto it = w.handlers.find(ready[i].data.fd);
            if (it != w.handlers.end()) handler = it->second;
        }
        if (handler) (*handler)();
    }
    return n > 0;
}

}  // namespace winplat::detail
