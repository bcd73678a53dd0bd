// The plug-and-play registry walk of the 95 family (internal to the store).
//
// The configuration manager lists every present device under HKEY_DYN_DATA
// "Config Manager\Enum"; each entry's "HardWareKey" names the device's key below
// HKEY_LOCAL_MACHINE "Enum\". Monitors are the entries whose hardware key starts with "MONITOR";
// monitor n is the n-th of them in the list's order (the suite's one monitor order). Device keys
// name their driver's class key below "System\CurrentControlSet\Services\Class\" in "Driver".
//
// On the NT family none of these keys exist: no monitor is found, the class key is the
// fallback and the adapter is "Unknown". Every function reads the registry afresh.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vlt::pnp {

// Every path below is relative to HKEY_LOCAL_MACHINE.
inline constexpr char kClassRoot[] = "System\\CurrentControlSet\\Services\\Class\\";
// The class key used for a monitor whose own cannot be found.
inline constexpr char kFallbackMonitorClassKey[] =
    "System\\CurrentControlSet\\Services\\Class\\Monitor\\0000";
// The adapter description when no display adapter is listed.
inline constexpr char kUnknownAdapter[] = "Unknown";
// Characters of a monitor's description that go into its model key and model record.
inline constexpr size_t kDescriptionLimit = 259;

struct MonitorKeys {
    // "Enum\" followed by the monitor's "HardWareKey"; empty when there is no monitor n.
    std::string deviceKey;
    // Class root followed by the device's "Driver"; kFallbackMonitorClassKey when there is no
    // monitor n or its device key names no driver.
    std::string classKey;
    // True only when the monitor was found and its class key comes from its "Driver".
    bool found = false;
};

// The keys of monitor n (from 0). A negative n finds nothing.
MonitorKeys findMonitorKeys(int monitor);

// What a monitor that identifies itself through the display data channel reports.
struct EdidMonitor {
    // The system's description of the monitor ("DeviceDesc", at most kDescriptionLimit
    // characters; empty when the device key has none).
    std::string description;
    // The "EDID" value as stored (REG_BINARY); empty when the device key has none.
    std::vector<unsigned char> edid;
};

// Monitor n when the system recognises it as a plug-and-play EDID monitor: its "HardwareID"
// contains "*PNP09FF", or its "MatchingDeviceID" is "*PNP09FF" (any case) and it has an "EDID"
// of type REG_BINARY. Nothing when monitor n is missing, has no "HardwareID" or is not such a
// monitor.
std::optional<EdidMonitor> recogniseEdidMonitor(int monitor);

// The description and EDID block stored in monitor n's device key, whatever its ids say;
// nothing when monitor n has no device key or no "EDID" of type REG_BINARY.
std::optional<EdidMonitor> monitorEdid(int monitor);

// "DeviceDesc" of the first listed device whose "Class" is "Display" (any case) and which has
// a "DeviceDesc" and a "Driver"; kUnknownAdapter when there is none.
std::string displayAdapterDescription();

}  // namespace vlt::pnp
