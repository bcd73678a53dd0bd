// Image colour management: the registered profiles and each monitor's default profile, kept in
// the registry as win32.h describes, and published by the display backend where the desktop's
// programs look for a monitor's profile.
#include <array>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ascii_case.h"
#include "detail.h"
#include "display_backend.h"
#include "paths.h"
#include "win32_holders.h"
#include "winplat_files.h"

namespace winplat::detail {
namespace {

constexpr char kIcmKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ICM\\";
constexpr char kDefaultsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ICM\\Default Profiles";
// The device classes of the ICC format; a registered profile is filed under one of them.
constexpr std::array<const char*, 7> kClasses = {"mntr", "prtr", "scnr", "link",
                                                 "spac", "abst", "nmcl"};
constexpr char kFallbackProfile[] = "sRGB Color Space Profile.icm";

// Keys of the colour management below HKEY_LOCAL_MACHINE, with full access; created when
// `create` is set.
LONG openKey(winplat::RegKey& key, const std::string& path, bool create) {
    return create ? key.create(HKEY_LOCAL_MACHINE, path)
                  : key.open(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
}

std::string fileNameOf(const std::string& path) { return path.substr(lastComponentStart(path)); }

// The ICC device class of the file's header ("mntr" when it has no ICC header).
std::string deviceClassOf(const std::string& path) {
    std::ifstream in(resolvePath(path), std::ios::binary);
    char header[40] = {};
    if (in.read(header, sizeof header) && std::memcmp(header + 36, "acsp", 4) == 0)
        for (const char* c : kClasses)
            if (std::memcmp(header + 12, c, 4) == 0) return c;
    return "mntr";
}

std::string readString(HKEY key, const char* name) {
    char buffer[MAX_PATH * 4];
    DWORD type = 0, size = sizeof buffer - 1;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    buffer[size] = '\0';
    return buffer;
}

LONG writeString(HKEY key, const char* name, const std::string& text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

// The class key holding the registration of a file name, or "" when it is not registered (the
// first of the format's classes in their order, should several hold it).
std::string registrationClass(const std::string& fileName) {
    winplat::RegKey icm;
    if (openKey(icm, kIcmKey, false) != ERROR_SUCCESS) return {};
    std::vector<std::string> holding;
    if (subkeysHoldingValue(icm.get(), fileName.c_str(), holding) != ERROR_SUCCESS) return {};
    for (const char* c : kClasses)
        for (const std::string& name : holding)
            if (equalsIgnoringCase(name, c)) return c;
    return {};
}

BOOL addProfile(const std::string& path) {
    if (!winplat::fileExists(path.c_str())) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::string fileName = fileNameOf(path);
    // A file registered before under another class (rewritten since) moves to its new one.
    std::string before = registrationClass(fileName);
    std::string now = deviceClassOf(path);
    if (!before.empty() && before != now) {
        winplat::RegKey old;
        if (openKey(old, std::string(kIcmKey) + before, false) == ERROR_SUCCESS)
            RegDeleteValueA(old.get(), fileName.c_str());
    }
    winplat::RegKey key;
    LONG rc = openKey(key, std::string(kIcmKey) + now, true);
    if (rc == ERROR_SUCCESS) rc = writeString(key.get(), fileName.c_str(), path);
    if (rc != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(rc));
        return FALSE;
    }
    return TRUE;
}

BOOL queryProfile(const std::string& path) {
    if (registrationClass(fileNameOf(path)).empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

// Withdraws the file from every monitor it is the default of.
void forgetDefaults(const std::string& fileName) {
    winplat::RegKey key;
    if (openKey(key, kDefaultsKey, false) != ERROR_SUCCESS) return;
    std::vector<std::string> devices;
    for (DWORD i = 0;; ++i) {
        char name[64];
        DWORD nameSize = sizeof name;
        char data[MAX_PATH * 4];
        DWORD type = 0, dataSize = sizeof data - 1;
        LONG rc = RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type,
                                reinterpret_cast<BYTE*>(data), &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
        data[dataSize] = '\0';
        if (equalsIgnoringCase(fileNameOf(data), fileName)) devices.push_back(name);
    }
    for (const std::string& device : devices) {
        RegDeleteValueA(key.get(), device.c_str());
        long monitor = displayDeviceMonitor(device.c_str());
        if (monitor < 0) continue;
        auto access = displayBackend();
        access.backend.publishProfile(static_cast<size_t>(monitor), {});
    }
}

BOOL deleteProfile(const std::string& path) {
    std::string fileName = fileNameOf(path);
    std::string cls = registrationClass(fileName);
    winplat::RegKey key;
    if (cls.empty() || openKey(key, std::string(kIcmKey) + cls, false) != ERROR_SUCCESS) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (LONG rc = RegDeleteValueA(key.get(), fileName.c_str()); rc != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(rc));
        return FALSE;
    }
    forgetDefaults(fileName);
    return TRUE;
}

BOOL setDefaultProfile(LPCSTR device, const std::string& path) {
    long monitor = device && *device ? displayDeviceMonitor(device) : 0;
    {
        auto access = displayBackend();
        if (monitor < 0 || static_cast<size_t>(monitor) >= access.backend.monitors().size()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    // Profiles larger than the suite reads whole are not published (far beyond any monitor
    // profile).
    std::string content;
    if (!winplat::fileExists(path.c_str()) || winplat::readWholeFile(path.c_str(), content) != ERROR_SUCCESS) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    const std::vector<BYTE> bytes(content.begin(), content.end());
    if (registrationClass(fileNameOf(path)).empty() && !addProfile(path)) return FALSE;
    {
        auto access = displayBackend();
        if (!access.backend.publishProfile(static_cast<size_t>(monitor), bytes)) {
            SetLastError(ERROR_GEN_FAILURE);
            return FALSE;
        }
    }
    winplat::RegKey key;
    LONG rc = openKey(key, kDefaultsKey, true);
    if (rc == ERROR_SUCCESS)
        rc = writeString(key.get(), displayDeviceName(static_cast<size_t>(monitor)).c_str(), path);
    if (rc != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(rc));
        return FALSE;
    }
    return TRUE;
}

bool refuseWithoutIcm() {
    if (family() != Family::NT4) return false;
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return true;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API BOOL UpdateICMRegKeyA(DWORD, LPSTR lpszCMID, LPSTR lpszFileName, UINT nCommand) {
    return guardedCall(FALSE, [&]() -> BOOL {
        if (refuseWithoutIcm()) return FALSE;
        if (nCommand == ICM_REGISTERICMATCHER || nCommand == ICM_UNREGISTERICMATCHER ||
            nCommand == ICM_QUERYMATCH) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        if (!lpszFileName || !*lpszFileName || nCommand < ICM_ADDPROFILE ||
            nCommand > ICM_SETDEFAULTPROFILE) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        std::string path = lpszFileName;
        if (fileNameOf(path).empty()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        switch (nCommand) {
            case ICM_ADDPROFILE: return addProfile(path);
            case ICM_DELETEPROFILE: return deleteProfile(path);
            case ICM_QUERYPROFILE: return queryProfile(path);
            default: return setDefaultProfile(lpszCMID, path);
        }
    });
}

WINPLAT_API int SetICMMode(HDC hdc, int mode) {
    return guardedCall(0, [&]() -> int {
        if (refuseWithoutIcm()) return 0;
        if (mode != ICM_ON && mode != ICM_OFF && mode != ICM_QUERY && mode != ICM_DONE_OUTSIDEDC) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        int current = 0;
        if (!deviceContextIcmMode(hdc, mode == ICM_QUERY ? 0 : mode, current)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        return current;
    });
}

WINPLAT_API BOOL GetICMProfileA(HDC hdc, LPDWORD pBufSize, LPSTR pszFilename) {
    return guardedCall(FALSE, [&]() -> BOOL {
        if (refuseWithoutIcm()) return FALSE;
        if (!pBufSize) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        long monitor = deviceContextMonitor(hdc);
        if (monitor < 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        std::string path;
        {
            winplat::RegKey key;
            if (openKey(key, kDefaultsKey, false) == ERROR_SUCCESS)
                path = readString(key.get(),
                                  displayDeviceName(static_cast<size_t>(monitor)).c_str());
        }
        if (path.empty()) {
            char system[MAX_PATH];
            UINT n = GetSystemDirectoryA(system, sizeof system);
            if (n == 0 || n >= sizeof system) {
                SetLastError(ERROR_GEN_FAILURE);
                return FALSE;
            }
            path = std::string(system) + "\\COLOR\\" + kFallbackProfile;
        }
        if (!pszFilename || *pBufSize < path.size() + 1) {
            *pBufSize = static_cast<DWORD>(path.size() + 1);
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memcpy(pszFilename, path.c_str(), path.size() + 1);
        return TRUE;
    });
}
