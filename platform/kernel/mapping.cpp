// Named shared memory with the lifetime Windows gives it. The memory of a name is a POSIX
// shared memory object "/spx-<session key>-<name>"; every handle (with its views) holds a
// shared flock on the name's lock file in the session folder. Decisions about a name are made
// under the session's "mappings.lock": a close whose exclusive probe of the name's lock file
// succeeds was the last holder and removes the object, and an object whose holders all died
// (their locks went with them) counts as gone, so the next creation starts it zero-filled.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <string>

#include "detail.h"
#include "files.h"
#include "paths.h"
#include "session_folder.h"

namespace winplat::detail {
namespace {

constexpr uint64_t kViewAlignment = 65536;  // the allocation granularity of the Windows family
constexpr size_t kLongestName = 200;        // encoded, so that file names stay below NAME_MAX

// A name as file names carry it: letters, digits, '.', '_' and '-' as they are, every other
// byte as %XX. Object names keep their case.
std::string encodeName(const std::string& name) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
            c == '-') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

// The memory of one mapping in this process, shared by its handle and the views made from it.
struct MappingCore {
    ~MappingCore() {
        memory.reset();
        if (!folder) return;
        holding.reset();
        UniqueFd guard = lockSessionFile(folder->file("mappings.lock"), LOCK_EX);
        if (lockSessionFile(lockPath, LOCK_EX | LOCK_NB)) {
            shm_unlink(shmName.c_str());
            unlink(lockPath.c_str());
        }
    }

    std::shared_ptr<SessionFolder> folder;  // null for memory without a name
    std::string lockPath;
    std::string shmName;
    UniqueFd holding;  // the shared lock on the name's lock file
    UniqueFd memory;
    uint64_t size = 0;
    bool writable = true;
};

class MappingObject final : public KernelObject {
public:
    explicit MappingObject(std::shared_ptr<MappingCore> core) : core_(std::move(core)) {}
    ObjectKind kind() const override { return ObjectKind::Mapping; }
    const std::shared_ptr<MappingCore>& core() const { return core_; }

private:
    std::shared_ptr<MappingCore> core_;
};

struct View {
    std::shared_ptr<MappingCore> core;
    size_t length = 0;
};

struct Views {
    std::mutex mutex;
    std::map<const void*, View> byAddress;
};

Views& views() {
    static Views* v = new Views;  // views outlive process state resets, as memory does
    return *v;
}

// Whether any process holds the name: its lock file refuses an exclusive lock.
bool held(const std::string& lockPath) {
    struct stat st {};
    if (stat(lockPath.c_str(), &st) != 0) return false;
    return !lockSessionFile(lockPath, LOCK_EX | LOCK_NB);
}

uint64_t sizeOf(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

// Opens or creates the named object (under the session's mapping lock); `existed` tells which.
// Sets the last error and returns null on failure.
std::shared_ptr<MappingCore> openNamed(const std::string& name, bool create, uint64_t size, bool writable,
                                       bool& existed) {
    const std::string encoded = encodeName(name);
    if (encoded.size() > kLongestName) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    auto core = std::make_shared<MappingCore>();
    core->folder = sessionFolder();
    if (!core->folder) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    core->lockPath = core->folder->file("map-" + encoded + ".lock");
    core->shmName = "/spx-" + core->folder->key() + "-" + encoded;
    core->writable = writable;
    UniqueFd guard = lockSessionFile(core->folder->file("mappings.lock"), LOCK_EX);
    if (!guard) {
        failWithErrno(errno);
        return nullptr;
    }
    existed = held(core->lockPath);
    if (existed) {
        core->memory = UniqueFd(shm_open(core->shmName.c_str(), O_RDWR | O_CLOEXEC, 0600));
        existed = static_cast<bool>(core->memory);
    }
    if (!existed) {
        shm_unlink(core->shmName.c_str());  // left by holders that died
        if (!create) {
            unlink(core->lockPath.c_str());
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        core->memory = UniqueFd(shm_open(core->shmName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!core->memory || ftruncate(core->memory.get(), static_cast<off_t>(size)) != 0) {
            int err = errno;
            core->memory.reset();
            shm_unlink(core->shmName.c_str());
            SetLastError(err == ENOSPC || err == EFBIG ? ERROR_NOT_ENOUGH_MEMORY : errorFromErrno(err));
            return nullptr;
        }
    }
    core->holding = lockSessionFile(core->lockPath, LOCK_SH);
    if (!core->holding) {
        failWithErrno(errno);
        return nullptr;
    }
    core->size = sizeOf(core->memory.get());
    return core;
}

std::shared_ptr<MappingCore> unnamed(uint64_t size, bool writable) {
    auto core = std::make_shared<MappingCore>();
    core->memory = UniqueFd(memfd_create("winplat-mapping", MFD_CLOEXEC));
    if (!core->memory || ftruncate(core->memory.get(), static_cast<off_t>(size)) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    core->size = size;
    core->writable = writable;
    return core;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HANDLE CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES, DWORD flProtect, DWORD dwMaximumSizeHigh,
                                      DWORD dwMaximumSizeLow, LPCSTR lpName) {
    return guardedCall(HANDLE{nullptr}, [&]() -> HANDLE {
        const uint64_t size = static_cast<uint64_t>(dwMaximumSizeHigh) << 32 | dwMaximumSizeLow;
        if (hFile != INVALID_HANDLE_VALUE) {
            SetLastError(ERROR_NOT_SUPPORTED);  // only memory of the paging file is supplied
            return nullptr;
        }
        if ((flProtect != PAGE_READWRITE && flProtect != PAGE_READONLY) || size == 0 ||
            size > static_cast<uint64_t>(INT64_MAX)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        const bool writable = flProtect == PAGE_READWRITE;
        bool existed = false;
        auto core = lpName && *lpName ? openNamed(lpName, true, size, writable, existed) : unnamed(size, writable);
        if (!core) return nullptr;
        HANDLE handle = insertObject(std::make_shared<MappingObject>(std::move(core)));
        SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
        return handle;
    });
}

WINPLAT_API HANDLE OpenFileMappingA(DWORD dwDesiredAccess, BOOL, LPCSTR lpName) {
    return guardedCall(HANDLE{nullptr}, [&]() -> HANDLE {
        if (!lpName || !*lpName) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        bool existed = false;
        const bool writable = (dwDesiredAccess & FILE_MAP_WRITE) != 0;
        auto core = openNamed(lpName, false, 0, writable, existed);
        if (!core) return nullptr;
        SetLastError(ERROR_SUCCESS);
        return insertObject(std::make_shared<MappingObject>(std::move(core)));
    });
}

WINPLAT_API LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                                 DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap) {
    return guardedCall(LPVOID{nullptr}, [&]() -> LPVOID {
        auto object = std::static_pointer_cast<MappingObject>(lookupObject(hFileMappingObject, ObjectKind::Mapping));
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        const auto& core = object->core();
        const uint64_t offset = static_cast<uint64_t>(dwFileOffsetHigh) << 32 | dwFileOffsetLow;
        const bool write = (dwDesiredAccess & FILE_MAP_WRITE) != 0;
        const bool copy = dwDesiredAccess == FILE_MAP_COPY;
        if (offset % kViewAlignment) {
            SetLastError(ERROR_MAPPED_ALIGNMENT);
            return nullptr;
        }
        if ((write && !copy && !core->writable) || offset >= core->size ||
            dwNumberOfBytesToMap > core->size - offset) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        const size_t length = dwNumberOfBytesToMap ? dwNumberOfBytesToMap : static_cast<size_t>(core->size - offset);
        void* at = mmap(nullptr, length, PROT_READ | (write || copy ? PROT_WRITE : 0), copy ? MAP_PRIVATE : MAP_SHARED,
                        core->memory.get(), static_cast<off_t>(offset));
        if (at == MAP_FAILED) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        Views& v = views();
        std::lock_guard lock(v.mutex);
        v.byAddress[at] = View{core, length};
        return at;
    });
}

WINPLAT_API BOOL UnmapViewOfFile(LPCVOID lpBaseAddress) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        View doomed;  // lets go of the mapping after the lock
        {
            Views& v = views();
            std::lock_guard lock(v.mutex);
            auto it = v.byAddress.find(lpBaseAddress);
            if (it == v.byAddress.end()) {
                SetLastError(ERROR_INVALID_ADDRESS);
                return FALSE;
            }
            doomed = std::move(it->second);
            v.byAddress.erase(it);
        }
        munmap(const_cast<void*>(lpBaseAddress), doomed.length);
        return TRUE;
    });
}
