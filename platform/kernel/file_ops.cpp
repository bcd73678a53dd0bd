// Operations on files and directories by name: delete, move, copy, create and remove
// directories, attributes, and replacing a file's content through a new file beside it.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "detail.h"
#include "files.h"
#include "paths.h"
#include "winplat_files.h"

namespace winplat::detail {
namespace {

bool isReadOnlyFile(const struct stat& st) { return S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR); }

std::string directoryPart(const std::string& nativePath) {
    size_t slash = nativePath.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : nativePath.substr(0, slash);
}

// A temporary file beside a destination, removed unless kept (renamed into place).
class TempFileBeside {
public:
    explicit TempFileBeside(const std::string& destination)
        : path_(directoryPart(destination) + "/.~wpXXXXXX") {
        fd_ = UniqueFd(mkostemp(path_.data(), O_CLOEXEC));
        if (!fd_) error_ = errno;
        kept_ = !fd_;
    }
    ~TempFileBeside() {
        if (!kept_) ::unlink(path_.c_str());
    }
    TempFileBeside(const TempFileBeside&) = delete;
    TempFileBeside& operator=(const TempFileBeside&) = delete;

    bool ok() const { return static_cast<bool>(fd_); }
    int error() const { return error_; }
    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }
    void close() { fd_.reset(); }
    // The open file, for the caller to close.
    int release() { return fd_.release(); }
    void keep() { kept_ = true; }

private:
    std::string path_;
    UniqueFd fd_;
    int error_ = 0;
    bool kept_ = false;
};

bool copyContents(int from, int to) {
    // The kernel copies in place where it can; plain reads and writes otherwise.
    for (;;) {
        ssize_t n = copy_file_range(from, nullptr, to, nullptr, 1 << 20, 0);
        if (n == 0) return true;
        if (n > 0) continue;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) break;
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(to, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                if (w == 0) errno = ENOSPC;
                return false;
            }
            done += w;
        }
    }
}

// Renames without replacing: EEXIST when `to` exists.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // The file system cannot do it atomically: check, then rename.
    struct stat st {};
    if (lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Copies the regular file `source` to `destination` through a temporary file beside the
// destination, so the destination is always either the old file or the complete new one.
// Contents, permission bits and times travel, as Windows keeps the attributes and the last
// write time. Sets the last error on failure.
BOOL copyFile(const std::string& source, const std::string& destination, bool failIfExists) {
    UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!in) return failWithErrno(errno, source);
    struct stat st {};
    if (fstat(in.get(), &st) != 0) return failWithErrno(errno, source);
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    struct stat target {};
    if (stat(destination.c_str(), &target) == 0) {
        if (failIfExists) {
            SetLastError(ERROR_FILE_EXISTS);
            return FALSE;
        }
        if (target.st_dev == st.st_dev && target.st_ino == st.st_ino) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
        if (S_ISDIR(target.st_mode) || isReadOnlyFile(target)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    TempFileBeside temp(destination);
    if (!temp.ok()) return failWithErrno(temp.error(), temp.path());
    if (!copyContents(in.get(), temp.fd())) {
        return failWithErrno(errno);
    }
    fchmod(temp.fd(), st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(temp.fd(), times);
    temp.close();
    int err = failIfExists ? renameNoReplace(temp.path(), destination)
                           : (::rename(temp.path().c_str(), destination.c_str()) == 0 ? 0 : errno);
    if (err != 0) return failWithErrno(err, destination, ERROR_FILE_EXISTS);
    temp.keep();
    return TRUE;
}

// Permission bits a newly created file gets: 0666 less the process umask, read without
// changing it (umask() would race with other threads creating files).
mode_t newFileMode() {
    mode_t mask = 022;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        std::fclose(status);
    }
    return 0666 & ~mask;
}

bool checkNames(LPCSTR a, LPCSTR b) {
    if (!a || !b) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!*a || !*b) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

}  // namespace

// The check every call that takes one path makes first: null is ERROR_INVALID_PARAMETER, the
// empty path ERROR_PATH_NOT_FOUND. False, with the last error set, for either.
bool usablePathArgument(LPCSTR path) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

}  // namespace winplat::detail

namespace winplat {

using namespace detail;

FileReplacement::FileReplacement(FileReplacement&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, {})),
      unflushed_(std::exchange(other.unflushed_, -1)),
      flushError_(std::exchange(other.flushError_, ERROR_SUCCESS)) {}

FileReplacement& FileReplacement::operator=(FileReplacement&& other) noexcept {
    if (this != &other) {
        discard();
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
        unflushed_ = std::exchange(other.unflushed_, -1);
        flushError_ = std::exchange(other.flushError_, ERROR_SUCCESS);
    }
    return *this;
}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::discard() {
    if (unflushed_ >= 0) ::close(unflushed_);
    unflushed_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

DWORD FileReplacement::write(const char* path, std::string_view content) {
    return guardedCall(DWORD{ERROR_NOT_ENOUGH_MEMORY}, [&]() -> DWORD {
        discard();
        flushError_ = ERROR_SUCCESS;
        if (!path) return ERROR_INVALID_PARAMETER;
        if (!*path) return ERROR_PATH_NOT_FOUND;
        target_ = resolvePath(path);
        // A symbolic link is followed to the file it names (looked up only for a link).
        struct stat st {};
        bool exists = lstat(target_.c_str(), &st) == 0;
        if (exists && S_ISLNK(st.st_mode)) {
            if (std::unique_ptr<char, decltype(&std::free)> real(realpath(target_.c_str(), nullptr),
                                                                  &std::free);
                real)
                target_ = real.get();
            exists = stat(target_.c_str(), &st) == 0;
        }
        // What the rename could not replace is refused before anything is written.
        if (exists && (S_ISDIR(st.st_mode) || isReadOnlyFile(st))) return ERROR_ACCESS_DENIED;
        const mode_t mode = exists ? (st.st_mode & 07777) : newFileMode();
        TempFileBeside temp(target_);
        if (!temp.ok()) return errorFromErrno(temp.error(), temp.path());
        for (size_t done = 0; done < content.size();) {
            ssize_t n = ::write(temp.fd(), content.data() + done, content.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return errorFromErrno(n == 0 ? ENOSPC : errno, temp.path());
            done += static_cast<size_t>(n);
        }
        if (fchmod(temp.fd(), mode) != 0) return errorFromErrno(errno, temp.path());
        unflushed_ = temp.release();
        temporary_ = temp.path();
        temp.keep();
        return ERROR_SUCCESS;
    });
}

DWORD FileReplacement::prepare(const char* path, std::string_view content) {
    if (DWORD rc = write(path, content)) return rc;
    return flushTogether({this, 1});
}

DWORD FileReplacement::commit() {
    if (temporary_.empty()) return flushError_ != ERROR_SUCCESS ? flushError_ : ERROR_INVALID_FUNCTION;
    // Renamed before it is on disk, a crash could leave the target empty or torn.
    if (unflushed_ >= 0) return ERROR_INVALID_FUNCTION;
    struct stat st {};
    if (lstat(target_.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || isReadOnlyFile(st)))
        return ERROR_ACCESS_DENIED;
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) return errorFromErrno(errno, target_);
    temporary_.clear();
    return ERROR_SUCCESS;
}

DWORD flushTogether(std::span<FileReplacement> files) {
    return guardedCall(DWORD{ERROR_NOT_ENOUGH_MEMORY}, [&]() -> DWORD {
        std::vector<FileReplacement*> waiting;
        std::vector<int> fds;
        for (FileReplacement& file : files)
            if (file.unflushed_ >= 0) {
                waiting.push_back(&file);
                fds.push_back(file.unflushed_);
            }
        std::vector<int> errors(fds.size(), 0);
        // On disk before the rename makes it the file, so a system crash leaves the old file
        // or the whole new one on any file system.
        flushToDisk(fds, errors);
        DWORD first = ERROR_SUCCESS;
        for (size_t i = 0; i < waiting.size(); ++i) {
            FileReplacement& file = *waiting[i];
            ::close(std::exchange(file.unflushed_, -1));
            if (errors[i] == 0) continue;
            file.flushError_ = errorFromErrno(errors[i], file.temporary_);
            if (first == ERROR_SUCCESS) first = file.flushError_;
            file.discard();
        }
        return first;
    });
}

DWORD replaceFile(const char* path, std::string_view content) {
    FileReplacement replacement;
    if (DWORD rc = replacement.prepare(path, content)) return rc;
    return replacement.commit();
}

}  // namespace winplat

using namespace winplat::detail;

WINPLAT_API BOOL DeleteFileA(LPCSTR lpFileName) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (!usablePathArgument(lpFileName)) return FALSE;
        std::string path = resolvePath(lpFileName);
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0) return failWithErrno(errno, path);
        if (S_ISDIR(st.st_mode) || isReadOnlyFile(st)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (::unlink(path.c_str()) != 0) return failWithErrno(errno, path);
        return TRUE;
    });
}

WINPLAT_API BOOL MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        // Moving at the next restart (a null new name) has no meaning here.
        if (!checkNames(lpExistingFileName, lpNewFileName)) return FALSE;
        const std::string source = resolvePath(lpExistingFileName);
        std::string destination = resolvePath(lpNewFileName);
        struct stat st {};
        if (lstat(source.c_str(), &st) != 0) return failWithErrno(errno, source);

        if (destination == source) {
            // The new name differs from the old one at most in case: rename to the name as given.
            std::string_view given(lpNewFileName);
            std::string literal = directoryPart(source) + "/" +
                                  std::string(given.substr(lastComponentStart(given)));
            if (literal == source) return TRUE;
            if (::rename(source.c_str(), literal.c_str()) != 0) return failWithErrno(errno, literal);
            return TRUE;
        }

        int err = 0;
        if (dwFlags & MOVEFILE_REPLACE_EXISTING) {
            struct stat target {};
            if (lstat(destination.c_str(), &target) == 0 &&
                (S_ISDIR(target.st_mode) || isReadOnlyFile(target))) {
                SetLastError(ERROR_ACCESS_DENIED);
                return FALSE;
            }
            err = ::rename(source.c_str(), destination.c_str()) == 0 ? 0 : errno;
        } else {
            err = renameNoReplace(source, destination);
        }
        if (err == EXDEV && (dwFlags & MOVEFILE_COPY_ALLOWED) && S_ISREG(st.st_mode)) {
            // Another file system: copy, then remove the original.
            if (!copyFile(source, destination, !(dwFlags & MOVEFILE_REPLACE_EXISTING))) {
                if (GetLastError() == ERROR_FILE_EXISTS) SetLastError(ERROR_ALREADY_EXISTS);
                return FALSE;
            }
            if (::unlink(source.c_str()) != 0) return failWithErrno(errno, source);
            return TRUE;
        }
        if (err == EXDEV) {
            SetLastError(ERROR_ACCESS_DENIED);  // Windows: "not same device" without COPY_ALLOWED
            return FALSE;
        }
        if (err != 0) return failWithErrno(err, destination, ERROR_ALREADY_EXISTS);
        if (dwFlags & MOVEFILE_WRITE_THROUGH) {
            UniqueFd dir(::open(directoryPart(destination).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (dir) fsync(dir.get());
        }
        return TRUE;
    });
}

WINPLAT_API BOOL MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        return MoveFileExA(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
    });
}

WINPLAT_API BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (!checkNames(lpExistingFileName, lpNewFileName)) return FALSE;
        return copyFile(resolvePath(lpExistingFileName), resolvePath(lpNewFileName), bFailIfExists);
    });
}

WINPLAT_API BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES /*sa*/) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (!usablePathArgument(lpPathName)) return FALSE;
        std::string path = resolvePath(lpPathName);
        if (::mkdir(path.c_str(), 0777) != 0) {
            // A missing parent is a missing path, never a missing file.
            if (errno == ENOENT) {
                SetLastError(ERROR_PATH_NOT_FOUND);
                return FALSE;
            }
            return failWithErrno(errno, path, ERROR_ALREADY_EXISTS);
        }
        return TRUE;
    });
}

WINPLAT_API BOOL RemoveDirectoryA(LPCSTR lpPathName) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (!usablePathArgument(lpPathName)) return FALSE;
        std::string path = resolvePath(lpPathName);
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0) return failWithErrno(errno, path);
        if (!S_ISDIR(st.st_mode)) {
            SetLastError(ERROR_DIRECTORY);
            return FALSE;
        }
        if (::rmdir(path.c_str()) != 0) {
            if (errno == EEXIST) errno = ENOTEMPTY;
            return failWithErrno(errno, path);
        }
        return TRUE;
    });
}

WINPLAT_API DWORD GetFileAttributesA(LPCSTR lpFileName) {
    return winplat::detail::guardedCall(static_cast<DWORD>(INVALID_FILE_ATTRIBUTES), [&]() -> DWORD {
        if (!usablePathArgument(lpFileName)) return INVALID_FILE_ATTRIBUTES;
        std::string path = resolvePath(lpFileName);
        struct stat st {};
        if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0) {
            failWithErrno(errno, path);
            return INVALID_FILE_ATTRIBUTES;
        }
        std::string_view name(path);
        while (name.size() > 1 && name.back() == '/') name.remove_suffix(1);
        return attributesOf(st, name.substr(lastComponentStart(name)));
    });
}
