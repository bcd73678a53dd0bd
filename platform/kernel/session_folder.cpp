#include "session_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "detail.h"

namespace winplat::detail {
namespace {

std::string hexKey(const std::string& text) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
    return out;
}

// Makes `path` a folder of this user that nobody else may enter; false when it is something
// else (a link, another user's folder, one open to others).
bool ownPrivateFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & 077) == 0;
}

std::string sessionsBase() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        struct stat st {};
        if (stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid())
            return std::string(runtime) + "/spectrine";
    }
    return "/tmp/spectrine-" + std::to_string(geteuid());
}

// Joins (making it when needed) the session folder of `root`.
std::shared_ptr<SessionFolder> join(const std::string& root, std::string& why) {
    const std::string base = sessionsBase();
    if (!ownPrivateFolder(base)) {
        why = base + " is not a private folder of this user";
        return nullptr;
    }
    const std::string key = hexKey(root);
    const std::string path = base + "/" + key;
    // A member that leaves last removes the folder under an exclusive lock: whoever waited
    // for the lock then finds the lock file gone and starts again.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (!ownPrivateFolder(path)) {
            why = path + " is not a private folder of this user";
            return nullptr;
        }
        UniqueFd lock = lockSessionFile(path + "/session.lock", LOCK_SH);
        if (!lock) continue;  // removed meanwhile
        struct stat st {};
        if (fstat(lock.get(), &st) != 0 || st.st_nlink == 0) continue;
        return std::make_shared<SessionFolder>(path, key, std::move(lock));
    }
    why = "cannot join the session in " + path;
    return nullptr;
}

// Removes the session's named memory ("/dev/shm/spx-<key>-...") and the folder's files.
void removeSessionFiles(const std::string& path, const std::string& key) {
    const std::string prefix = "spx-" + key + "-";
    if (DIR* shm = opendir("/dev/shm")) {
        while (dirent* e = readdir(shm))
            if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) == 0) unlinkat(dirfd(shm), e->d_name, 0);
        closedir(shm);
    }
    if (DIR* folder = opendir(path.c_str())) {
        while (dirent* e = readdir(folder))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0 &&
                std::strcmp(e->d_name, "session.lock") != 0)
                unlinkat(dirfd(folder), e->d_name, 0);
        closedir(folder);
    }
    unlink((path + "/session.lock").c_str());
    rmdir(path.c_str());
}

struct Current {
    std::mutex mutex;
    std::shared_ptr<SessionFolder> folder;
    std::string failedRoot;  // a root whose session could not be joined (reported once)
    pid_t joinedBy = 0;
};

Current& current() {
    static Current* c = new Current;  // lives for the process: exit handlers use it
    return *c;
}

// At exit the session is left whoever still holds it: the process's descriptors go anyway.
void leaveAtExit() {
    Current& c = current();
    std::lock_guard lock(c.mutex);
    if (c.folder) c.folder->leave();
}

}  // namespace

UniqueFd lockSessionFile(const std::string& path, int operation) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (fd && flock(fd.get(), operation) != 0) fd.reset();
    return fd;
}

void SessionFolder::leave() {
    if (!membership_) return;
    if (member_ != getpid()) {
        membership_.reset();
        return;
    }
    // The last member (no other shared lock) takes the folder with it.
    if (flock(membership_.get(), LOCK_EX | LOCK_NB) == 0) removeSessionFiles(path_, key_);
    membership_.reset();
}

std::shared_ptr<SessionFolder> sessionFolder() {
    Current& c = current();
    std::lock_guard lock(c.mutex);
    if (c.folder && c.joinedBy == getpid()) return c.folder;
    c.folder.reset();  // one of the process this one was forked from
    const std::string& root = systemRoot();
    if (c.failedRoot == root) return nullptr;
    std::string why;
    c.folder = join(root, why);
    if (!c.folder) {
        c.failedRoot = root;
        std::fprintf(stderr, "winplat: no session with other processes: %s\n", why.c_str());
        return nullptr;
    }
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(leaveAtExit); });
    c.joinedBy = getpid();
    return c.folder;
}

void resetSessionFolder() {
    std::shared_ptr<SessionFolder> doomed;  // left after the lock, when nothing else holds it
    Current& c = current();
    std::lock_guard lock(c.mutex);
    doomed.swap(c.folder);
    c.failedRoot.clear();
}

}  // namespace winplat::detail
