// Processes started by CreateProcessA (internal): what their handles hold.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>

#include "files.h"

namespace winplat::detail {

// A started program: its pidfd (readable once it has ended) and the read end of the pipe its
// idle signal arrives through. A program still running when its last handle closes is reaped
// later by the process's watched descriptors, never by a blocking wait.
class ProcessObject final : public KernelObject {
public:
    ProcessObject(pid_t pid, UniqueFd pidfd, UniqueFd idle)
        : pid_(pid), pidfd_(std::move(pidfd)), idle_(std::move(idle)) {}
    ~ProcessObject() override;
    ObjectKind kind() const override { return ObjectKind::Process; }
    int waitFd() const override { return pidfd_.get(); }
    pid_t pid() const { return pid_; }

    // STILL_ACTIVE while it runs, else its exit code: the program's own, or 128 + the signal
    // that ended it.
    DWORD exitCode();
    // The idle signal: Idle once the program has waited for input (then always), Never when
    // it ended or closed the pipe without, Pending otherwise. Never blocks.
    enum class IdleState { Pending, Idle, Never };
    IdleState idleState();
    int idleFd() const { return idle_.get(); }

private:
    const pid_t pid_;
    UniqueFd pidfd_;
    UniqueFd idle_;
    std::mutex mutex_;
    bool reaped_ = false;
    DWORD code_ = 0;
    bool idle_seen_ = false;
};

// The process of a handle (CreateProcessA's process or thread handle), else null with
// ERROR_INVALID_HANDLE.
std::shared_ptr<ProcessObject> processOf(HANDLE handle);

}  // namespace winplat::detail
