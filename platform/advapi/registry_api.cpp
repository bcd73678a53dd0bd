// Win32 registry functions: argument checks, HKEY handles and Win32 result codes, over the
// SQLite hive store (hive_store.cpp). The persistent hives live in <root>/registry.db;
// HKEY_DYN_DATA is a private in-memory hive of each process.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "detail.h"
#include "hive_store.h"
#include "win32.h"
#include "winplat_registry.h"

using namespace winplat;
using winplat::detail::isNtFamily;

namespace {

constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr DWORD kMaxValueSize = 0x7FFFFFFF;

struct OpenKey {
    HiveStore* store = nullptr;
    KeyId id = 0;
    REGSAM access = 0;
};

struct RegistryState {
    std::recursive_mutex lock;
    std::unique_ptr<HiveStore> hives;
    std::unique_ptr<HiveStore> dynData;
    std::unordered_map<uintptr_t, OpenKey> handles;
    uintptr_t nextHandle = 0x1000;
    // The transaction group of the thread that holds `lock` across calls, and its depth.
    int groupDepth = 0;
    std::thread::id groupOwner;
    // The NT family's monitor and adapter keys under HKEY_LOCAL_MACHINE are filled once per
    // process, at its first use of that root.
    bool machineKeysFilled = false;
};

RegistryState& state() {
    static RegistryState s;
    return s;
}

bool isPredefined(HKEY h) {
    auto v = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h));
    return v >= 0x80000000u && v < 0x80000000u + kRootCount;
}

HiveStore& persistentHives(RegistryState& s) {
    if (!s.hives) {
        const std::string& root = detail::systemRoot();
        std::error_code ec;
        std::filesystem::create_directories(root, ec);
        std::string path = root + "/registry.db";
        s.hives = std::make_unique<HiveStore>(path);
        if (s.hives->status() != ERROR_SUCCESS) {
            std::fprintf(stderr, "winplat: the registry database %s cannot be used (%s); "
                                 "registry calls fail until it is repaired or removed\n",
                         path.c_str(),
                         s.hives->status() == ERROR_BADDB ? "the file is damaged or not a registry"
                                                          : "it cannot be opened or written");
        }
    }
    return *s.hives;
}

// On the NT family, what the 95 family builds with its dynamic keys exists in the machine's
// hive from the start: the monitors' and adapters' device and class keys.
void fillMachineKeysOnce(RegistryState& s, const HiveStore& store) {
    if (s.machineKeysFilled || !isNtFamily() || store.status() != ERROR_SUCCESS) return;
    s.machineKeysFilled = true;
    detail::fillMachineKeys();  // re-enters through the Reg* calls
}

// The 95 family's dynamic hive, made at its first use with the device and class keys below
// HKEY_LOCAL_MACHINE that it names.
HiveStore& dynamicHive(RegistryState& s) {
    if (!s.dynData) {
        s.dynData = std::make_unique<HiveStore>(":memory:");
        detail::fillPlugAndPlayKeys();  // re-enters through the Reg* calls
    }
    return *s.dynData;
}

// The key behind a handle, or the Win32 code why there is none.
LONG resolve(RegistryState& s, HKEY h, OpenKey& out) {
    if (isPredefined(h)) {
        auto index = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)) - 0x80000000u;
        if (h == HKEY_PERFORMANCE_DATA) return ERROR_INVALID_HANDLE;
        HiveStore* store;
        if (h == HKEY_DYN_DATA) {
            // Only the 95 family has the dynamic hive.
            if (isNtFamily()) return ERROR_INVALID_HANDLE;
            store = &dynamicHive(s);
        } else {
            store = &persistentHives(s);
            if (h == HKEY_LOCAL_MACHINE) fillMachineKeysOnce(s, *store);
        }
        if (store->status() != ERROR_SUCCESS) return store->status();
        out = {store, kFirstRootId + index, KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    auto it = s.handles.find(reinterpret_cast<uintptr_t>(h));
    if (it == s.handles.end()) return ERROR_INVALID_HANDLE;
    out = it->second;
    return ERROR_SUCCESS;
}

// Access rights are only enforced by the NT family; the 95 family grants everything.
bool allowed(const OpenKey& key, REGSAM needed) {
    if (!isNtFamily()) return true;
    return (key.access & needed) == needed;
}

HKEY newHandle(RegistryState& s, const OpenKey& key) {
    uintptr_t h = s.nextHandle;
    s.nextHandle += 4;
    s.handles.emplace(h, key);
    return reinterpret_cast<HKEY>(h);
}

REGSAM effectiveAccess(REGSAM sam) { return (sam & MAXIMUM_ALLOWED) ? KEY_ALL_ACCESS : sam; }

// Splits a key path at backslashes; runs of backslashes and a trailing one are one separator.
// Fails when a component is longer than a key name may be.
bool splitPath(LPCSTR path, std::vector<std::string_view>& out) {
    out.clear();
    if (!path) return true;
    std::string_view rest(path);
    while (!rest.empty()) {
        size_t cut = rest.find('\\');
        std::string_view part = rest.substr(0, cut);
        if (!part.empty()) {
            if (part.size() > kMaxKeyNameLength) return false;
            out.push_back(part);
        }
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    return true;
}

std::string_view valueName(LPCSTR name) { return name ? std::string_view(name) : std::string_view(); }

// Copies a name into a caller buffer measured in characters (terminator included).
// ERROR_MORE_DATA when it does not fit.
LONG putName(const std::string& name, LPSTR out, LPDWORD size) {
    if (name.size() + 1 > *size) return ERROR_MORE_DATA;
    std::memcpy(out, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// The common course of a call on an open key: no exception leaves it, the process lock is
// held, the handle names a key, and the key was opened with the access the call needs (0: none).
template <typename Body>
LONG onKey(HKEY hKey, REGSAM needed, Body body) {
    return detail::guardedCall(LONG{ERROR_OUTOFMEMORY}, [&]() -> LONG {
        auto& s = state();
        std::lock_guard guard(s.lock);
        OpenKey key;
        if (LONG rc = resolve(s, hKey, key)) return rc;
        if (needed && !allowed(key, needed)) return ERROR_ACCESS_DENIED;
        return body(s, key);
    });
}

}  // namespace

void winplat::detail::resetRegistry() {
    auto& s = state();
    std::lock_guard guard(s.lock);
    s.handles.clear();
    s.hives.reset();  // an open group is dropped with its connection
    s.dynData.reset();
    s.machineKeysFilled = false;
    if (s.groupDepth > 0 && s.groupOwner == std::this_thread::get_id()) {
        for (; s.groupDepth > 0; --s.groupDepth) s.lock.unlock();
    }
}

WINPLAT_API LONG WinplatBeginRegistryTransaction(BOOL write) {
    return detail::guardedCall(LONG{ERROR_OUTOFMEMORY}, [&]() -> LONG {
        auto& s = state();
        std::unique_lock guard(s.lock);  // held until the group ends
        HiveStore& hives = persistentHives(s);
        if (s.groupDepth == 0) {
            if (LONG rc = hives.status()) return rc;
            // The keys the system keeps of its devices are made before, never inside, a group,
            // which may only read or be dropped while the process goes on using them.
            fillMachineKeysOnce(s, hives);
            if (!isNtFamily()) dynamicHive(s);
        }
        if (LONG rc = hives.beginGroup(write != FALSE)) return rc;
        if (s.groupDepth == 0) s.groupOwner = std::this_thread::get_id();
        ++s.groupDepth;
        guard.release();
        return ERROR_SUCCESS;
    });
}

WINPLAT_API LONG WinplatEndRegistryTransaction(BOOL commit) {
    return detail::guardedCall(LONG{ERROR_OUTOFMEMORY}, [&]() -> LONG {
        auto& s = state();
        std::lock_guard guard(s.lock);
        if (s.groupDepth == 0 || s.groupOwner != std::this_thread::get_id())
            return ERROR_INVALID_FUNCTION;
        const LONG rc = s.hives ? s.hives->endGroup(commit != FALSE) : ERROR_INVALID_FUNCTION;
        --s.groupDepth;
        s.lock.unlock();  // the hold taken when this group began
        return rc;
    });
}

// The subkeys of `hKey` holding a value named `name` (see detail.h).
LONG winplat::detail::subkeysHoldingValue(HKEY hKey, const char* name, std::vector<std::string>& names) {
    return onKey(hKey, KEY_QUERY_VALUE, [&](RegistryState&, const OpenKey& key) -> LONG {
        return key.store->subkeysWithValue(key.id, valueName(name), names);
    });
}

WINPLAT_API LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    return onKey(hKey, 0, [&](RegistryState& s, const OpenKey& parent) -> LONG {
        std::vector<std::string_view> parts;
        if (!splitPath(lpSubKey, parts)) return ERROR_FILE_NOT_FOUND;
        KeyId id = 0;
        if (LONG rc = parent.store->openPath(parent.id, parts, id)) return rc;
        *phkResult = newHandle(s, {parent.store, id, effectiveAccess(samDesired)});
        return ERROR_SUCCESS;
    });
}

WINPLAT_API LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return RegOpenKeyExA(hKey, lpSubKey, 0, MAXIMUM_ALLOWED, phkResult);
}

WINPLAT_API LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR lpClass, DWORD,
                                 REGSAM samDesired, LPSECURITY_ATTRIBUTES, PHKEY phkResult,
                                 LPDWORD lpdwDisposition) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    return onKey(hKey, 0, [&](RegistryState& s, const OpenKey& parent) -> LONG {
        std::vector<std::string_view> parts;
        if (!splitPath(lpSubKey, parts)) return ERROR_INVALID_PARAMETER;
        KeyId id = 0;
        bool created = false;
        if (parent.store->openPath(parent.id, parts, id) != ERROR_SUCCESS) {
            if (!allowed(parent, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
            if (LONG rc = parent.store->createPath(parent.id, parts, lpClass ? lpClass : "", id, created))
                return rc;
        }
        *phkResult = newHandle(s, {parent.store, id, effectiveAccess(samDesired)});
        if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    });
}

WINPLAT_API LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return RegCreateKeyExA(hKey, lpSubKey, 0, nullptr, 0, MAXIMUM_ALLOWED, nullptr, phkResult, nullptr);
}

WINPLAT_API LONG RegCloseKey(HKEY hKey) {
    return winplat::detail::guardedCall(LONG{ERROR_OUTOFMEMORY}, [&]() -> LONG {
        if (isPredefined(hKey)) return ERROR_SUCCESS;
        auto& s = state();
        std::lock_guard guard(s.lock);
        return s.handles.erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    });
}

WINPLAT_API LONG RegFlushKey(HKEY hKey) {
    // Every call is already durable when it returns.
    return onKey(hKey, 0, [](RegistryState&, const OpenKey&) -> LONG { return ERROR_SUCCESS; });
}

WINPLAT_API LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType,
                                  LPBYTE lpData, LPDWORD lpcbData) {
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    return onKey(hKey, KEY_QUERY_VALUE, [&](RegistryState&, const OpenKey& key) -> LONG {
        LONG result = ERROR_SUCCESS;
        LONG rc = key.store->queryValue(key.id, valueName(lpValueName),
                                        [&](DWORD type, const BYTE* data, size_t size) {
                                            if (lpType) *lpType = type;
                                            if (!lpcbData) return;
                                            if (lpData && size > *lpcbData)
                                                result = ERROR_MORE_DATA;
                                            else if (lpData && size)
                                                std::memcpy(lpData, data, size);
                                            *lpcbData = static_cast<DWORD>(size);
                                        });
        return rc ? rc : result;
    });
}

WINPLAT_API LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType,
                                const BYTE* lpData, DWORD cbData) {
    if (!lpData && cbData) return ERROR_NOACCESS;
    // The database takes blobs below 2 GiB (its sizes are signed 32-bit): refused before the
    // data is touched.
    if (cbData > kMaxValueSize) return ERROR_INVALID_PARAMETER;
    if (lpValueName && std::strlen(lpValueName) > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
    return onKey(hKey, KEY_SET_VALUE, [&](RegistryState&, const OpenKey& key) -> LONG {
        return key.store->setValue(key.id, valueName(lpValueName), dwType, lpData, cbData);
    });
}

WINPLAT_API LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return onKey(hKey, KEY_SET_VALUE, [&](RegistryState&, const OpenKey& key) -> LONG {
        return key.store->deleteValue(key.id, valueName(lpValueName));
    });
}

WINPLAT_API LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    return onKey(hKey, 0, [&](RegistryState&, const OpenKey& parent) -> LONG {
        std::vector<std::string_view> parts;
        if (!splitPath(lpSubKey, parts)) return ERROR_FILE_NOT_FOUND;
        // The roots themselves cannot be deleted.
        if (parts.empty() && isPredefined(hKey)) return ERROR_ACCESS_DENIED;
        KeyId id = 0;
        if (LONG rc = parent.store->openPath(parent.id, parts, id)) return rc;
        if (id < kFirstRootId + kRootCount) return ERROR_ACCESS_DENIED;
        // The 95 family removes the whole subtree; the NT family refuses a key with subkeys.
        return parent.store->deleteKey(id, !isNtFamily());
    });
}

WINPLAT_API LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD,
                               LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    if (!lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
    if (lpClass && !lpcchClass) return ERROR_INVALID_PARAMETER;
    return onKey(hKey, KEY_ENUMERATE_SUB_KEYS, [&](RegistryState&, const OpenKey& key) -> LONG {
        std::string name, className;
        FILETIME written{};
        if (LONG rc = key.store->enumKey(key.id, dwIndex, name, className, written)) return rc;
        if (lpClass && className.size() + 1 > *lpcchClass) return ERROR_MORE_DATA;
        if (LONG rc = putName(name, lpName, lpcchName)) return rc;
        if (lpClass) putName(className, lpClass, lpcchClass);
        if (lpftLastWriteTime) *lpftLastWriteTime = written;
        return ERROR_SUCCESS;
    });
}

WINPLAT_API LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    DWORD size = cchName;
    return RegEnumKeyExA(hKey, dwIndex, lpName, &size, nullptr, nullptr, nullptr, nullptr);
}

WINPLAT_API LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                               LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (!lpValueName || !lpcchValueName) return ERROR_INVALID_PARAMETER;
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    return onKey(hKey, KEY_QUERY_VALUE, [&](RegistryState&, const OpenKey& key) -> LONG {
        std::string name;
        LONG dataResult = ERROR_SUCCESS;
        DWORD type = 0;
        std::vector<BYTE> copy;
        size_t size = 0;
        LONG rc = key.store->enumValue(key.id, dwIndex, name, [&](DWORD t, const BYTE* data, size_t n) {
            type = t;
            size = n;
            if (lpData && lpcbData && n <= *lpcbData) copy.assign(data, data + n);
        });
        if (rc) return rc;
        if (LONG nrc = putName(name, lpValueName, lpcchValueName)) return nrc;
        if (lpType) *lpType = type;
        if (lpcbData) {
            if (lpData && size > *lpcbData)
                dataResult = ERROR_MORE_DATA;
            else if (lpData && size)
                std::memcpy(lpData, copy.data(), size);
            *lpcbData = static_cast<DWORD>(size);
        }
        return dataResult;
    });
}

WINPLAT_API LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD,
                                  LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen,
                                  LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                  LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                  LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
    if (lpClass && !lpcchClass) return ERROR_INVALID_PARAMETER;
    return onKey(hKey, KEY_QUERY_VALUE, [&](RegistryState&, const OpenKey& key) -> LONG {
        KeyInfo info;
        if (LONG rc = key.store->queryInfo(key.id, info)) return rc;
        LONG result = ERROR_SUCCESS;
        if (lpClass) {
            result = putName(info.className, lpClass, lpcchClass);
        } else if (lpcchClass) {
            *lpcchClass = static_cast<DWORD>(info.className.size());
        }
        if (lpcSubKeys) *lpcSubKeys = info.subKeys;
        if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = info.maxSubKeyLen;
        if (lpcbMaxClassLen) *lpcbMaxClassLen = info.maxClassLen;
        if (lpcValues) *lpcValues = info.values;
        if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = info.maxValueNameLen;
        if (lpcbMaxValueLen) *lpcbMaxValueLen = info.maxValueLen;
        if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
        if (lpftLastWriteTime) *lpftLastWriteTime = info.lastWrite;
        return result;
    });
}
