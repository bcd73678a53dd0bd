#include "share_mode.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "session_folder.h"

namespace winplat::detail {
namespace {

enum Byte : off_t { Reads = 0, Writes = 1, DeniesRead = 2, DeniesWrite = 3, Guard = 4 };

bool setLock(int fd, int command, short type, off_t start, off_t length = 1) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    while (fcntl(fd, command, &lock) != 0)
        if (errno != EINTR) return false;
    return true;
}

// Whether another open file description holds a lock on the bytes.
bool heldElsewhere(int fd, off_t start, off_t length = 1) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    return fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

// Whether `fd` is still the file linked at `path` (the last handle may have removed it).
bool stillLinked(int fd, const std::string& path) {
    struct stat open {}, named {};
    return fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

}  // namespace

DWORD ShareMode::acquire(const struct stat& file, bool read, bool write, DWORD share) {
    if (!read && !write) return ERROR_SUCCESS;
    auto folder = sessionFolder();
    if (!folder) return ERROR_SUCCESS;
    char name[64];
    std::snprintf(name, sizeof name, "share-%llx-%llx.lock", static_cast<unsigned long long>(file.st_dev),
                  static_cast<unsigned long long>(file.st_ino));
    const std::string path = folder->file(name);
    for (int attempt = 0; attempt < 20; ++attempt) {
        UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd) return ERROR_SUCCESS;  // nothing to share with
        if (!setLock(fd.get(), F_OFD_SETLKW, F_WRLCK, Guard)) return ERROR_SUCCESS;
        if (!stillLinked(fd.get(), path)) continue;
        const bool shareRead = share & FILE_SHARE_READ, shareWrite = share & FILE_SHARE_WRITE;
        if ((read && heldElsewhere(fd.get(), DeniesRead)) || (write && heldElsewhere(fd.get(), DeniesWrite)) ||
            (!shareRead && heldElsewhere(fd.get(), Reads)) || (!shareWrite && heldElsewhere(fd.get(), Writes)))
            return ERROR_SHARING_VIOLATION;
        for (auto [wanted, byte] : {std::pair{read, Reads}, {write, Writes}, {!shareRead, DeniesRead},
                                    {!shareWrite, DeniesWrite}})
            if (wanted) setLock(fd.get(), F_OFD_SETLK, F_RDLCK, byte);
        setLock(fd.get(), F_OFD_SETLK, F_UNLCK, Guard);
        folder_ = std::move(folder);
        path_ = path;
        fd_ = std::move(fd);
        return ERROR_SUCCESS;
    }
    return ERROR_SUCCESS;
}

void ShareMode::release() {
    if (!fd_) return;
    setLock(fd_.get(), F_OFD_SETLKW, F_WRLCK, Guard);
    setLock(fd_.get(), F_OFD_SETLK, F_UNLCK, Reads, 4);
    if (!heldElsewhere(fd_.get(), Reads, 4) && stillLinked(fd_.get(), path_)) unlink(path_.c_str());
    fd_.reset();
    folder_.reset();
}

}  // namespace winplat::detail
