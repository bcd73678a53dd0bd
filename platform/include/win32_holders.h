// Owners of the handles the Win32 calls give out, one for each kind: a registry key, a loaded
// library, a device context, an open file and a directory search. Each closes, frees, releases
// or deletes its handle when it goes, so no path out of a function leaves one behind; each can
// be moved, never copied.
#pragma once

#include <string>
#include <utility>

#include "win32.h"

namespace winplat {

// Moves a handle out of `from`, leaving it empty.
template <typename H>
H takeHandle(H& from, H empty) {
    return std::exchange(from, empty);
}

// A registry key, closed with RegCloseKey.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    // Opens parent\path; check with operator bool.
    RegKey(HKEY parent, const std::string& path, REGSAM access = KEY_READ) { open(parent, path, access); }
    RegKey(RegKey&& other) noexcept : key_(takeHandle(other.key_, HKEY{})) {}
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            close();
            key_ = takeHandle(other.key_, HKEY{});
        }
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { close(); }

    LONG open(HKEY parent, const std::string& path, REGSAM access = KEY_READ) {
        close();
        HKEY key = nullptr;
        LONG rc = RegOpenKeyExA(parent, path.c_str(), 0, access, &key);
        key_ = rc == ERROR_SUCCESS ? key : nullptr;
        return rc;
    }
    // Opens parent\path with full access, creating the keys that are missing (empty class).
    LONG create(HKEY parent, const std::string& path, LPDWORD disposition = nullptr) {
        close();
        HKEY key = nullptr;
        LONG rc = RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, disposition);
        key_ = rc == ERROR_SUCCESS ? key : nullptr;
        return rc;
    }
    // RegCloseKey's answer; ERROR_SUCCESS when no key is held.
    LONG close() { return key_ ? RegCloseKey(takeHandle(key_, HKEY{})) : ERROR_SUCCESS; }

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

// A library loaded with LoadLibraryA, freed with FreeLibrary.
class Library {
public:
    Library() = default;
    explicit Library(HMODULE module) : module_(module) {}
    explicit Library(const std::string& name) : module_(LoadLibraryA(name.c_str())) {}
    Library(Library&& other) noexcept : module_(takeHandle(other.module_, HMODULE{})) {}
    Library& operator=(Library&& other) noexcept {
        if (this != &other) {
            reset();
            module_ = takeHandle(other.module_, HMODULE{});
        }
        return *this;
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() { reset(); }

    void reset() {
        if (module_) FreeLibrary(takeHandle(module_, HMODULE{}));
    }
    HMODULE get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }
    // An export of the library, converted to the type the caller expects; null when missing.
    template <typename T>
    T find(const char* name) const {
        return reinterpret_cast<T>(GetProcAddress(module_, name));
    }

private:
    HMODULE module_ = nullptr;
};

// A device context: the screen's from GetDC (given back with ReleaseDC) or one made with
// CreateDCA (deleted with DeleteDC).
class DeviceContext {
public:
    DeviceContext() = default;
    static DeviceContext screen() { return DeviceContext(GetDC(nullptr), true); }
    static DeviceContext create(LPCSTR driver, LPCSTR device) {
        return DeviceContext(CreateDCA(driver, device, nullptr, nullptr), false);
    }
    DeviceContext(DeviceContext&& other) noexcept
        : dc_(takeHandle(other.dc_, HDC{})), fromGetDC_(other.fromGetDC_) {}
    DeviceContext& operator=(DeviceContext&& other) noexcept {
        if (this != &other) {
            reset();
            dc_ = takeHandle(other.dc_, HDC{});
            fromGetDC_ = other.fromGetDC_;
        }
        return *this;
    }
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;
    ~DeviceContext() { reset(); }

    void reset() {
        if (!dc_) return;
        HDC dc = takeHandle(dc_, HDC{});
        if (fromGetDC_)
            ReleaseDC(nullptr, dc);
        else
            DeleteDC(dc);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    DeviceContext(HDC dc, bool fromGetDC) : dc_(dc), fromGetDC_(fromGetDC) {}
    HDC dc_ = nullptr;
    bool fromGetDC_ = false;
};

// A kernel handle with its own closing call: CloseHandle for files, FindClose for searches.
template <BOOL (*Close)(HANDLE)>
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    KernelHandle(KernelHandle&& other) noexcept
        : handle_(takeHandle(other.handle_, INVALID_HANDLE_VALUE)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            close();
            handle_ = takeHandle(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    ~KernelHandle() { close(); }

    // The closing call's answer; TRUE when no handle is held.
    BOOL close() { return valid() ? Close(takeHandle(handle_, INVALID_HANDLE_VALUE)) : TRUE; }
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    explicit operator bool() const { return valid(); }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

using FileHandle = KernelHandle<CloseHandle>;
using FindHandle = KernelHandle<FindClose>;
// The process and thread handles of CreateProcessA, and file mappings.
using ProcessHandle = KernelHandle<CloseHandle>;

}  // namespace winplat
