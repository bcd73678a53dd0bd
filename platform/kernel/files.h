// Kernel objects of the platform layer (open files, directory searches, processes, file
// mappings) and their process-wide handle table (internal).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "win32.h"

namespace winplat::detail {

// An owned file descriptor, closed when the owner goes.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1);
    // The descriptor, no longer owned.
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_ = -1;
};

enum class ObjectKind { File, Find, Process, Mapping };

// Something a HANDLE stands for. The table shares ownership with calls in progress, so closing
// a handle while another thread uses it never frees the object under that thread.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    virtual ObjectKind kind() const = 0;
    // A descriptor that is readable once the object is signalled (a process that ended), for
    // the waits; -1 for objects that cannot be waited for.
    virtual int waitFd() const { return -1; }
};

// Enters `object` in the table and returns its new handle. Handles are never reused within a
// process, so a stale handle can only miss.
HANDLE insertObject(std::shared_ptr<KernelObject> object);
// The object of `handle` if it is open and of `kind`, else null (unknown, stale, or another kind).
std::shared_ptr<KernelObject> lookupObject(HANDLE handle, ObjectKind kind);
// The object of `handle` whatever its kind, else null.
std::shared_ptr<KernelObject> lookupAnyObject(HANDLE handle);
// Removes `handle` from the table if it is open and of `kind`; false otherwise.
bool removeObject(HANDLE handle, ObjectKind kind);

// Flushes every file of `fds` to disk (fsync), the waits overlapping where the kernel allows;
// errors[i] receives 0 or the errno of fds[i].
void flushToDisk(std::span<const int> fds, std::span<int> errors);

// FILETIME of a Unix time.
FILETIME fileTimeFromUnix(int64_t seconds, long nanoseconds);

// Creation, last access and last write times of a file (creation is the birth time when the file
// system records one, else the last status change).
struct FileTimes {
    FILETIME creation{};
    FILETIME access{};
    FILETIME write{};
};
FileTimes fileTimesOf(int dirfd, const char* path, int flags);

// FILE_ATTRIBUTE_* of a stat result; `name` is the entry's own name (a leading '.' hides it).
DWORD attributesOf(const struct stat& st, std::string_view name);

}  // namespace winplat::detail
