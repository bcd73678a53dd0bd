// The process-wide table of kernel object handles (open files, directory searches, processes
// and file mappings).
#include <unistd.h>

#include <mutex>
#include <unordered_map>

#include "detail.h"
#include "files.h"

namespace winplat::detail {

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    // Handle values are multiples of 4 from 0x100 on, never reused: null, INVALID_HANDLE_VALUE
    // and small integers a caller might confuse with handles are never valid.
    uintptr_t next = 0x100;
};

HandleTable& table() {
    static HandleTable instance;
    return instance;
}

}  // namespace

HANDLE insertObject(std::shared_ptr<KernelObject> object) {
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    uintptr_t value = t.next;
    t.next += 4;
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> lookupObject(HANDLE handle, ObjectKind kind) {
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end() || it->second->kind() != kind) return nullptr;
    return it->second;
}

std::shared_ptr<KernelObject> lookupAnyObject(HANDLE handle) {
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

bool removeObject(HANDLE handle, ObjectKind kind) {
    std::shared_ptr<KernelObject> doomed;  // released after the lock
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end() || it->second->kind() != kind) return false;
    doomed = std::move(it->second);
    t.objects.erase(it);
    return true;
}

void resetFiles() {
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> doomed;
    HandleTable& t = table();
    {
        std::lock_guard lock(t.mutex);
        doomed.swap(t.objects);
    }
}

}  // namespace winplat::detail
