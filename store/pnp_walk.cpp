// The plug-and-play registry walk of the 95 family: monitors and the display adapter as the
// configuration manager lists them.
#include "pnp_walk.h"

#include <functional>
#include <utility>

#include "ascii_case.h"
#include "reg_key.h"
#include "win32.h"

namespace vlt::pnp {
namespace {

constexpr char kDeviceList[] = "Config Manager\\Enum";
constexpr char kEnumRoot[] = "Enum\\";
constexpr char kEdidMonitorId[] = "*PNP09FF";
// An EDID block is 128 bytes, or a few times that with extensions; anything larger is damaged.
constexpr DWORD kLargestBinary = 4096;

using Key = vlt::RegKey;

// Calls `visit` with each listed device's "HardWareKey", in the list's order, until it
// returns true. Entries without a readable hardware key are passed over.
void forEachDevice(const std::function<bool(const std::string&)>& visit) {
    Key list(HKEY_DYN_DATA, kDeviceList);
    if (!list) return;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        LONG rc = RegEnumKeyExA(list.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;  // no entry name of the system is that long
        if (rc != ERROR_SUCCESS) return;
        Key entry(list.get(), name);
        std::optional<std::string> hardwareKey = entry.text("HardWareKey");
        if (hardwareKey && visit(*hardwareKey)) return;
    }
}

// "Enum\" + the hardware key of monitor n, or empty.
std::string monitorDeviceKey(int monitor) {
    std::string found;
    if (monitor < 0) return found;
    int seen = 0;
    forEachDevice([&](const std::string& hardwareKey) {
        if (hardwareKey.compare(0, 7, "MONITOR") != 0) return false;  // case as the system writes it
        if (seen++ < monitor) return false;
        found = kEnumRoot + hardwareKey;
        return true;
    });
    return found;
}

std::string limitedDescription(const Key& device) {
    std::string description = device.text("DeviceDesc").value_or(std::string());
    if (description.size() > kDescriptionLimit) description.resize(kDescriptionLimit);
    return description;
}

}  // namespace

MonitorKeys findMonitorKeys(int monitor) {
    MonitorKeys keys;
    keys.classKey = kFallbackMonitorClassKey;
    keys.deviceKey = monitorDeviceKey(monitor);
    if (keys.deviceKey.empty()) return keys;
    Key device(HKEY_LOCAL_MACHINE, keys.deviceKey);
    std::optional<std::string> driver = device.text("Driver");
    if (!driver) return keys;
    keys.classKey = kClassRoot + *driver;
    keys.found = true;
    return keys;
}

std::optional<EdidMonitor> recogniseEdidMonitor(int monitor) {
    std::string path = monitorDeviceKey(monitor);
    if (path.empty()) return std::nullopt;
    Key device(HKEY_LOCAL_MACHINE, path);
    std::optional<std::string> hardwareId = device.text("HardwareID");
    if (!hardwareId) return std::nullopt;
    auto edid = device.bytes("EDID", REG_BINARY, kLargestBinary);
    if (hardwareId->find(kEdidMonitorId) == std::string::npos) {
        std::optional<std::string> matching = device.text("MatchingDeviceID");
        if (!matching || !winplat::equalsIgnoringCase(*matching, kEdidMonitorId) || !edid)
            return std::nullopt;
    }
    EdidMonitor found;
    if (edid) found.edid = std::move(*edid);
    found.description = limitedDescription(device);
    return found;
}

std::optional<EdidMonitor> monitorEdid(int monitor) {
    std::string path = monitorDeviceKey(monitor);
    if (path.empty()) return std::nullopt;
    Key device(HKEY_LOCAL_MACHINE, path);
    auto edid = device.bytes("EDID", REG_BINARY, kLargestBinary);
    if (!edid) return std::nullopt;
    return EdidMonitor{limitedDescription(device), std::move(*edid)};
}

std::string displayAdapterDescription() {
    std::string description = kUnknownAdapter;
    forEachDevice([&](const std::string& hardwareKey) {
        Key device(HKEY_LOCAL_MACHINE, kEnumRoot + hardwareKey);
        std::optional<std::string> deviceClass = device.text("Class");
        if (!deviceClass || !winplat::equalsIgnoringCase(*deviceClass, "Display")) return false;
        std::optional<std::string> text = device.text("DeviceDesc");
        if (!text || !device.text("Driver")) return false;
        description = *text;
        return true;
    });
    return description;
}

}  // namespace vlt::pnp
