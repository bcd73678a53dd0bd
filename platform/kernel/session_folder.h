// The folder where the processes of a session meet (internal). A session is one user's
// processes on one system root: $XDG_RUNTIME_DIR/spectrine/<root key>/ (without
// $XDG_RUNTIME_DIR, /tmp/spectrine-<uid>/<root key>/), both 0700 and owned by the user. Each
// member holds a shared lock on its "session.lock" while it takes part; the last one to leave
// removes the folder and the session's named memory, so sessions of test roots never pile up.
#pragma once

#include <unistd.h>

#include <memory>
#include <string>

#include "files.h"

namespace winplat::detail {

class SessionFolder {
public:
    SessionFolder(std::string path, std::string key, UniqueFd membership)
        : path_(std::move(path)), key_(std::move(key)), membership_(std::move(membership)) {}
    ~SessionFolder() { leave(); }
    SessionFolder(const SessionFolder&) = delete;
    SessionFolder& operator=(const SessionFolder&) = delete;

    const std::string& path() const { return path_; }
    // 16 hexadecimal digits that stand for the system root.
    const std::string& key() const { return key_; }
    // A file of the folder.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Leaves the session now (the process ends): the last member removes what it left. A copy
    // of the process made by fork shares its lock and only forgets it.
    void leave();

private:
    const pid_t member_ = getpid();
    std::string path_;
    std::string key_;
    UniqueFd membership_;
};

// Opens (making it, 0600) a lock file of the session and takes `operation` (LOCK_SH, LOCK_EX,
// with LOCK_NB or not) on it; invalid when that fails. Closing the descriptor releases it.
UniqueFd lockSessionFile(const std::string& path, int operation);

// The session of this process's system root, joined at first use; null (with the reason on
// standard error, once) when its folder cannot be made or is not safely the user's own.
// Whatever uses the session keeps the returned reference while it does.
std::shared_ptr<SessionFolder> sessionFolder();
// Forgets the process's own reference (WinplatResetProcessState); the session is left when the
// last holder lets go.
void resetSessionFolder();

}  // namespace winplat::detail
