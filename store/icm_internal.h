// Shared by the store's profile registration, default profile, plug-in and status sources
// (internal).
#pragma once

#include <string>
#include <vector>

#include "win32.h"

namespace vlt::icm {

// Subkey of the registration record.
inline constexpr char kRecordKey[] = "ICM Registry Info";
// The value that holds a monitor's profiles in its class key.
inline constexpr char kProfileValue[] = "ICMProfile";
inline constexpr char kFallbackDefault[] = "Netvivid.icc";

// The system's family as GetVersionExA reports it.
struct SystemVersion {
    DWORD platform = 0, major = 0, minor = 0;
    bool windows95() const { return platform == VER_PLATFORM_WIN32_WINDOWS && minor < 10; }
    bool windows98OrNt5() const {
        return (platform == VER_PLATFORM_WIN32_WINDOWS && minor >= 10) ||
               (platform == VER_PLATFORM_WIN32_NT && major >= 5);
    }
    bool ntBefore4() const { return platform == VER_PLATFORM_WIN32_NT && major < 4; }
};
SystemVersion systemVersion();

// The system colour directory: GetSystemDirectoryA + "\COLOR\"; empty when it is unknown.
std::string colourDirectory();

// The calibrated profile's file name recorded for monitor n ("Win98Profile" for 0, else
// "Win98Profile" + n); empty when none is recorded.
std::string recordedProfileName(int monitor);

// The names of an "ICMProfile" value: the stock name of a one-byte value (none for codes
// outside 1 to 13), else its terminated names up to the first empty one (a last name without
// its terminator ends at the value's end).
std::vector<std::string> profileList(const std::vector<BYTE>& value);
// The stock profile of a one-byte "ICMProfile"; null for codes outside 1 to 13.
const char* stockProfileName(unsigned code);

// Everything after the last '\' of a path (the whole path when it has none).
std::string fileNameOf(const std::string& path);

// Planes times bits per pixel of the screen; 0 without a screen context.
DWORD screenDepth();

// Closes a registry key when it goes out of scope.
class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    // Opens a key below HKEY_LOCAL_MACHINE with full access; false when it cannot.
    bool open(const std::string& path) {
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key_) ==
               ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// A value of an open key whole: false when absent or when it cannot be read. At most `limit`
// bytes are accepted.
bool readValue(HKEY key, const char* name, DWORD& type, std::vector<BYTE>& data,
               DWORD limit = 1u << 20);

}  // namespace vlt::icm
