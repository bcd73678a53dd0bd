// What a program started by CreateProcessA receives from its starter (internal): the Windows
// command line, the show command of its first window and the pipe through which it tells the
// starter that it waits for input. They travel in the environment and count only when the pipe
// they name ("<descriptor>:<inode>") is open in this process, so that a program started by
// other means (which inherits the environment but not the pipe) never takes them from an
// ancestor, and a program whose starter is already gone still gets them.
#pragma once

#include <string>

namespace winplat::detail {

inline constexpr const char* kCommandLineVariable = "SPECTRINE_CMDLINE";
inline constexpr const char* kStartupShowVariable = "SPECTRINE_STARTUP";
inline constexpr const char* kIdlePipeVariable = "SPECTRINE_IDLE_FD";

// The command line this process was started with: the starter's, else this program's
// arguments quoted as Windows would.
const std::string& processCommandLine();
// The show command that replaces the first SW_SHOWNORMAL or SW_SHOWDEFAULT of a top-level
// window, once; `requested` itself otherwise.
int startupShowCommand(int requested);
// Tells the starter, once, that this process waits for input with nothing queued.
void signalInputIdle();

}  // namespace winplat::detail
