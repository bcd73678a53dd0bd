// Shared by the store's profile registration, default profile, plug-in and status sources
// (internal).
#pragma once

#include <string>
#include <vector>

#include "reg_key.h"
#include "win32.h"

namespace vlt::icm {

// Subkey of the registration record.
inline constexpr char kRecordKey[] = "ICM Registry Info";
// The value that holds a monitor's profiles in its class key.
inline constexpr char kProfileValue[] = "ICMProfile";

// The system colour directory: GetSystemDirectoryA + "\COLOR\"; empty when it is unknown.
std::string colourDirectory();

// The name of a per-monitor value of the registration record ("MonitorRegKey", "MonitorDesc",
// "MonitorICMProfile"): the base name for monitor 0 (and any number below 1), the base name
// followed by n for monitor n >= 1. The adapter, depth and gamma-ramp values are the machine's
// and have one name.
std::string recordValueName(const char* base, int monitor);

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

// Keys of the monitor class are opened with full access below HKEY_LOCAL_MACHINE.
class Key : public vlt::RegKey {
public:
    bool open(const std::string& path) {
        return RegKey::open(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS) == ERROR_SUCCESS;
    }
};
using vlt::readValue;

}  // namespace vlt::icm
