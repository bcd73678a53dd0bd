// The emulated system family: Windows 98 unless $SPECTRINE_WINVER or [System] Version= in
// <root>/system.ini names 95, 98, NT4 or NT5.
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "ascii_case.h"
#include "detail.h"
#include "win32.h"

namespace winplat::detail {

namespace {
std::optional<Family> cachedFamily;

std::optional<Family> parseFamily(const char* text) {
    if (!text) return std::nullopt;
    std::string t(text);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
    size_t start = t.find_first_not_of(" \t");
    if (start == std::string::npos) return std::nullopt;
    t = t.substr(start);
    if (t == "95") return Family::Win95;
    if (t == "98") return Family::Win98;
    if (equalsIgnoringCase(t, "NT4")) return Family::NT4;
    if (equalsIgnoringCase(t, "NT5")) return Family::NT5;
    return std::nullopt;
}
}  // namespace

Family family() {
    if (!cachedFamily) {
        std::optional<Family> f = parseFamily(std::getenv("SPECTRINE_WINVER"));
        if (!f) {
            char buf[32] = "";
            std::string ini = systemRoot() + "/system.ini";
            GetPrivateProfileStringA("System", "Version", "", buf, sizeof buf, ini.c_str());
            f = parseFamily(buf);
        }
        cachedFamily = f.value_or(Family::Win98);
    }
    return *cachedFamily;
}

void resetVersion() { cachedFamily.reset(); }

}  // namespace winplat::detail

using winplat::detail::Family;

WINPLAT_API BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    struct Release {
        DWORD major, minor, build, platform;
        const char* csd;
    };
    static constexpr Release releases[] = {
        {4, 0, 950, VER_PLATFORM_WIN32_WINDOWS, ""},      // Windows 95
        {4, 10, 1998, VER_PLATFORM_WIN32_WINDOWS, " A "}, // Windows 98
        {4, 0, 1381, VER_PLATFORM_WIN32_NT, "Service Pack 6"},
        {5, 0, 2195, VER_PLATFORM_WIN32_NT, "Service Pack 4"},
    };
    const Release& r = releases[static_cast<int>(winplat::detail::family())];
    info->dwMajorVersion = r.major;
    info->dwMinorVersion = r.minor;
    // The 95 family keeps the version in the high word of the build number.
    info->dwBuildNumber = r.platform == VER_PLATFORM_WIN32_WINDOWS
                              ? ((r.major << 24) | (r.minor << 16) | r.build)
                              : r.build;
    info->dwPlatformId = r.platform;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, r.csd, sizeof info->szCSDVersion - 1);
    return TRUE;
}

WINPLAT_API DWORD GetVersion(void) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    DWORD v = info.dwMajorVersion | (info.dwMinorVersion << 8);
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) v |= 0x80000000u;
    else v |= (info.dwBuildNumber & 0x7fff) << 16;
    return v;
}
