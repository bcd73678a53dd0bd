// Open files: CreateFileA and the calls on the handles it returns.
#include "detail.h"
#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <type_traits>

#include "paths.h"
#include "share_mode.h"

namespace winplat::detail {
namespace {

class FileObject final : public KernelObject {
public:
    FileObject(UniqueFd fd, bool canRead, bool canWrite, ShareMode share)
        : share_(std::move(share)), fd_(std::move(fd)), canRead_(canRead), canWrite_(canWrite) {}
    ObjectKind kind() const override { return ObjectKind::File; }
    int fd() const { return fd_.get(); }
    bool canRead() const { return canRead_; }
    bool canWrite() const { return canWrite_; }

private:
    ShareMode share_;  // released after the file is closed
    UniqueFd fd_;
    bool canRead_;
    bool canWrite_;
};

std::shared_ptr<FileObject> fileOf(HANDLE handle) {
    auto object = lookupObject(handle, ObjectKind::File);
    if (!object) SetLastError(ERROR_INVALID_HANDLE);
    return std::static_pointer_cast<FileObject>(object);
}

// Opens without ever blocking (a FIFO would wait for a writer), then restores blocking I/O.
int openNonBlocking(const std::string& path, int flags, mode_t mode) {
    int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd >= 0) {
        int fl = fcntl(fd, F_GETFL);
        if (fl >= 0) fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    }
    return fd;
}

// Opens per the creation disposition; `existed` tells whether the file was there before.
// Files are never truncated here, so that checks on the opened file can still refuse it.
UniqueFd openForDisposition(const std::string& path, int flags, mode_t mode, DWORD disposition,
                            bool& existed) {
    existed = false;
    switch (disposition) {
    case CREATE_NEW:
        return UniqueFd(openNonBlocking(path, flags | O_CREAT | O_EXCL, mode));
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING: {
        UniqueFd fd(openNonBlocking(path, flags, mode));
        existed = static_cast<bool>(fd);
        return fd;
    }
    default:  // CREATE_ALWAYS, OPEN_ALWAYS: open what is there, else create, racing creators
        for (int attempt = 0; attempt < 100; ++attempt) {
            UniqueFd fd(openNonBlocking(path, flags, mode));
            if (fd) {
                existed = true;
                return fd;
            }
            if (errno != ENOENT) return fd;
            fd = UniqueFd(openNonBlocking(path, flags | O_CREAT | O_EXCL, mode));
            if (fd || errno != EEXIST) return fd;
        }
        return UniqueFd();
    }
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                               LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                               DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                               HANDLE /*hTemplateFile*/) {
    return winplat::detail::guardedCall(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        if (!lpFileName || dwCreationDisposition < CREATE_NEW ||
            dwCreationDisposition > TRUNCATE_EXISTING ||
            (dwCreationDisposition == TRUNCATE_EXISTING && !(dwDesiredAccess & GENERIC_WRITE))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        if (!*lpFileName) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        const bool canRead = dwDesiredAccess & GENERIC_READ;
        const bool canWrite = dwDesiredAccess & GENERIC_WRITE;
        const int flags = canRead && canWrite ? O_RDWR : (canWrite ? O_WRONLY : O_RDONLY);
        const mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
        const std::string path = resolvePath(lpFileName);

        bool existed = false;
        UniqueFd fd = openForDisposition(path, flags, mode, dwCreationDisposition, existed);
        if (!fd) {
            failWithErrno(errno, path, ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        struct stat st {};
        if (fstat(fd.get(), &st) != 0) {
            failWithErrno(errno, path);
            return INVALID_HANDLE_VALUE;
        }
        // A directory is no file, and a read-only file cannot be opened for writing (also for root).
        if (S_ISDIR(st.st_mode) || (existed && canWrite && !(st.st_mode & S_IWUSR))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        ShareMode share;
        if (DWORD refused = share.acquire(st, canRead, canWrite, dwShareMode)) {
            SetLastError(refused);
            return INVALID_HANDLE_VALUE;
        }
        bool truncate = dwCreationDisposition == TRUNCATE_EXISTING ||
                        (dwCreationDisposition == CREATE_ALWAYS && existed);
        if (truncate && S_ISREG(st.st_mode) && ftruncate(fd.get(), 0) != 0) {
            failWithErrno(errno, path);
            return INVALID_HANDLE_VALUE;
        }
        HANDLE handle = insertObject(std::make_shared<FileObject>(std::move(fd), canRead, canWrite, std::move(share)));
        bool reportExisting = existed && (dwCreationDisposition == CREATE_ALWAYS ||
                                          dwCreationDisposition == OPEN_ALWAYS);
        SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
        return handle;
    });
}

namespace {

// The file of a handle opened for reading or `writing`; null with ERROR_INVALID_HANDLE or
// ERROR_ACCESS_DENIED.
std::shared_ptr<FileObject> fileFor(HANDLE handle, bool writing) {
    auto file = fileOf(handle);
    if (file && !(writing ? file->canWrite() : file->canRead())) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return file;
}

// ReadFile and WriteFile: the whole count moved with retries after signals, the count done so
// far reported on failure. A read stops early at the end of the file; a write that moves
// nothing has run out of space.
template <bool Writing>
BOOL transfer(HANDLE hFile, std::conditional_t<Writing, const char*, char*> buffer, DWORD count, LPDWORD done,
              LPVOID overlapped) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (done) *done = 0;
        if (!fileOf(hFile)) return FALSE;  // a bad handle is reported before bad arguments
        if (overlapped || (!buffer && count > 0)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        auto file = fileFor(hFile, Writing);
        if (!file) return FALSE;
        DWORD total = 0;
        while (total < count) {
            ssize_t n = 0;
            if constexpr (Writing) n = ::write(file->fd(), buffer + total, count - total);
            else n = ::read(file->fd(), buffer + total, count - total);
            if (n < 0 && errno == EINTR) continue;
            if (n == 0 && !Writing) break;  // end of file: success with what was read
            if (n <= 0) {
                if (done) *done = total;
                if (n < 0 && errno == EIO) {
                    SetLastError(Writing ? ERROR_WRITE_FAULT : ERROR_READ_FAULT);
                    return FALSE;
                }
                return failWithErrno(n == 0 ? ENOSPC : errno);
            }
            total += static_cast<DWORD>(n);
        }
        if (done) *done = total;
        return TRUE;
    });
}

}  // namespace

WINPLAT_API BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                          LPDWORD lpNumberOfBytesRead, LPVOID lpOverlapped) {
    return transfer<false>(hFile, static_cast<char*>(lpBuffer), nNumberOfBytesToRead, lpNumberOfBytesRead,
                           lpOverlapped);
}

WINPLAT_API BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                           LPDWORD lpNumberOfBytesWritten, LPVOID lpOverlapped) {
    return transfer<true>(hFile, static_cast<const char*>(lpBuffer), nNumberOfBytesToWrite, lpNumberOfBytesWritten,
                          lpOverlapped);
}

WINPLAT_API BOOL FlushFileBuffers(HANDLE hFile) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        auto file = fileFor(hFile, true);
        if (!file) return FALSE;
        if (fsync(file->fd()) != 0 && errno != EINVAL) return failWithErrno(errno);
        return TRUE;
    });
}

WINPLAT_API DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                                 DWORD dwMoveMethod) {
    return winplat::detail::guardedCall(static_cast<DWORD>(INVALID_SET_FILE_POINTER), [&]() -> DWORD {
        auto file = fileOf(hFile);
        if (!file) return INVALID_SET_FILE_POINTER;
        // Without a high part the distance is a signed 32-bit number; with one, the two halves form
        // a signed 64-bit number.
        int64_t distance = lpDistanceToMoveHigh
                               ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(
                                                           *lpDistanceToMoveHigh))
                                                       << 32) |
                                                      static_cast<uint32_t>(lDistanceToMove))
                               : static_cast<int64_t>(lDistanceToMove);
        int64_t base = 0;
        switch (dwMoveMethod) {
        case FILE_BEGIN:
            break;
        case FILE_CURRENT:
            base = lseek(file->fd(), 0, SEEK_CUR);
            break;
        case FILE_END: {
            struct stat st {};
            base = fstat(file->fd(), &st) == 0 ? st.st_size : -1;
            break;
        }
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_SET_FILE_POINTER;
        }
        if (base < 0) {
            failWithErrno(errno);
            return INVALID_SET_FILE_POINTER;
        }
        if ((distance < 0 && base + distance < 0) ||
            (distance > 0 && base > INT64_MAX - distance)) {
            SetLastError(distance < 0 ? ERROR_NEGATIVE_SEEK : ERROR_INVALID_PARAMETER);
            return INVALID_SET_FILE_POINTER;
        }
        off_t position = lseek(file->fd(), static_cast<off_t>(base + distance), SEEK_SET);
        if (position < 0) {
            failWithErrno(errno);
            return INVALID_SET_FILE_POINTER;
        }
        auto low = static_cast<DWORD>(static_cast<uint64_t>(position) & 0xFFFFFFFFu);
        if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
        // A valid position whose low half looks like the failure value: tell callers it is none.
        if (low == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
        return low;
    });
}

WINPLAT_API BOOL SetEndOfFile(HANDLE hFile) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        auto file = fileFor(hFile, true);
        if (!file) return FALSE;
        off_t position = lseek(file->fd(), 0, SEEK_CUR);
        if (position < 0 || ftruncate(file->fd(), position) != 0) return failWithErrno(errno);
        return TRUE;
    });
}

WINPLAT_API DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    return winplat::detail::guardedCall(static_cast<DWORD>(INVALID_FILE_SIZE), [&]() -> DWORD {
        auto file = fileOf(hFile);
        if (!file) return INVALID_FILE_SIZE;
        struct stat st {};
        if (fstat(file->fd(), &st) != 0) {
            failWithErrno(errno);
            return INVALID_FILE_SIZE;
        }
        auto size = static_cast<uint64_t>(st.st_size);
        if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
        auto low = static_cast<DWORD>(size & 0xFFFFFFFFu);
        if (low == INVALID_FILE_SIZE) SetLastError(ERROR_SUCCESS);
        return low;
    });
}

WINPLAT_API BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                             LPFILETIME lpLastWriteTime) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        auto file = fileOf(hFile);
        if (!file) return FALSE;
        struct stat st {};
        if (fstat(file->fd(), &st) != 0) return failWithErrno(errno);
        FileTimes times = fileTimesOf(file->fd(), "", AT_EMPTY_PATH);
        if (lpCreationTime) *lpCreationTime = times.creation;
        if (lpLastAccessTime) *lpLastAccessTime = times.access;
        if (lpLastWriteTime) *lpLastWriteTime = times.write;
        return TRUE;
    });
}

WINPLAT_API BOOL CloseHandle(HANDLE hObject) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        // Directory searches end with FindClose alone.
        if (!removeObject(hObject, ObjectKind::File) && !removeObject(hObject, ObjectKind::Process) &&
            !removeObject(hObject, ObjectKind::Mapping)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        return TRUE;
    });
}
