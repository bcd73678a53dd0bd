// The plug-and-play keys, built from the display backend's monitors: what the 95 family's
// configuration manager lists under HKEY_DYN_DATA "Config Manager\Enum" (volatile, built once
// per process), and on both families the device keys under HKEY_LOCAL_MACHINE "Enum\" and the
// driver class keys under "System\CurrentControlSet\Services\Class\" (a real machine always
// has a monitor's class key, where colour management lists its profiles). Each display device
// is one adapter with one monitor, in the suite's monitor order; class keys are numbered by
// that order, so the first monitor's is "Monitor\0000".
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "detail.h"
#include "display_backend.h"
#include "win32_holders.h"

namespace winplat::detail {
namespace {

constexpr const char* kClassRoot = "System\\CurrentControlSet\\Services\\Class\\";

// A device or class key, created when missing, whose values are written only where they
// differ: the persistent keys are rebuilt by every process.
class DeviceKey {
public:
    DeviceKey(HKEY parent, const std::string& path) { key_.create(parent, path); }

    void setText(const char* name, const std::string& value) {
        set(name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), value.size() + 1);
    }
    void setBinary(const char* name, const BYTE* data, size_t size) {
        set(name, REG_BINARY, data, size);
    }
    void remove(const char* name) {
        if (key_) RegDeleteValueA(key_.get(), name);
    }

private:
    void set(const char* name, DWORD type, const BYTE* data, size_t size) {
        if (!key_) return;
        std::vector<BYTE> old(size + 1);
        DWORD oldType = 0, oldSize = static_cast<DWORD>(old.size());
        if (RegQueryValueExA(key_.get(), name, nullptr, &oldType, old.data(), &oldSize) == ERROR_SUCCESS &&
            oldType == type && oldSize == size && std::equal(data, data + size, old.begin()))
            return;
        RegSetValueExA(key_.get(), name, 0, type, data, static_cast<DWORD>(size));
    }

    winplat::RegKey key_;
};

std::string fourDigits(size_t n) {
    char text[16];
    std::snprintf(text, sizeof text, "%04u", static_cast<unsigned>(n % 10000));
    return text;
}

// Names of the configuration manager's entries: eight hexadecimal digits, as the system's own.
std::string entryName(size_t n) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(0xC1A00000u + n * 0x40u));
    return text;
}

void listDevice(size_t entry, const std::string& enumKey) {
    DeviceKey dyn(HKEY_DYN_DATA, std::string("Config Manager\\Enum\\") + entryName(entry));
    dyn.setText("HardWareKey", enumKey);
    const BYTE noProblem[4] = {0, 0, 0, 0};
    dyn.setBinary("Problem", noProblem, sizeof noProblem);
}

}  // namespace

std::string edidPnpId(const std::vector<BYTE>& edid) {
    if (edid.size() < 12) return {};
    unsigned maker = static_cast<unsigned>(edid[8]) << 8 | edid[9];
    std::string id;
    for (int shift : {10, 5, 0}) {
        unsigned letter = (maker >> shift) & 0x1F;
        if (letter < 1 || letter > 26) return {};
        id += static_cast<char>('A' + letter - 1);
    }
    char product[8];
    std::snprintf(product, sizeof product, "%04X", static_cast<unsigned>(edid[10] | edid[11] << 8));
    return id + product;
}

std::string edidMonitorName(const std::vector<BYTE>& edid) {
    if (edid.size() < 128) return {};
    for (size_t at = 54; at + 18 <= 126; at += 18) {
        if (edid[at] || edid[at + 1] || edid[at + 2] || edid[at + 3] != 0xFC) continue;
        std::string name;
        for (size_t i = at + 5; i < at + 18 && edid[i] != 0x0A; ++i)
            if (edid[i] >= 0x20 && edid[i] < 0x7F) name += static_cast<char>(edid[i]);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        return name;
    }
    return {};
}

MonitorPnp monitorPnp(const std::vector<MonitorDesc>& monitors, size_t n) {
    auto idOf = [&](size_t i) {
        std::string id = edidPnpId(monitors[i].edid);
        return id.empty() ? std::string("DEFAULT_MONITOR") : id;
    };
    MonitorPnp pnp;
    pnp.id = idOf(n);
    size_t instance = 0;
    for (size_t i = 0; i <= n; ++i)
        if (idOf(i) == pnp.id) ++instance;
    pnp.enumKey = "MONITOR\\" + pnp.id + "\\" + fourDigits(instance);
    bool fromEdid = pnp.id != "DEFAULT_MONITOR";
    const MonitorDesc& m = monitors[n];
    pnp.hardwareId = !m.hardwareId.empty() ? m.hardwareId
                     : fromEdid           ? "MONITOR\\" + pnp.id + ",*PNP09FF"
                                          : "Monitor\\Default";
    pnp.matchingDeviceId = !m.matchingDeviceId.empty() ? m.matchingDeviceId
                           : fromEdid                  ? "*PNP09FF"
                                                       : "Monitor\\Default";
    return pnp;
}

std::string adapterPnpId(const DisplayBackend& backend) {
    std::string id = "ROOT\\";
    for (const char* c = backend.name(); *c; ++c)
        id += static_cast<char>(*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c);
    return id + "_DISPLAY";
}

namespace {

// The device keys under "Enum\" and the class keys of every adapter and monitor, as both
// families keep them; `listDevice` is told each device key in the monitor order.
template <typename List>
void fillDeviceKeys(List listDevice) {
    auto access = displayBackend();
    const auto& monitors = access.backend.monitors();
    std::string adapter = access.backend.adapterDescription();
    std::string adapterId = adapterPnpId(access.backend);
    for (size_t n = 0; n < monitors.size(); ++n) {
        const MonitorDesc& m = monitors[n];

        std::string adapterKey = adapterId + "\\" + fourDigits(n);
        {
            DeviceKey device(HKEY_LOCAL_MACHINE, "Enum\\" + adapterKey);
            device.setText("Class", "Display");
            device.setText("DeviceDesc", adapter);
            device.setText("Driver", "Display\\" + fourDigits(n));
            device.setText("Mfg", "(Standard display types)");
            device.setText("HardwareID", adapterId);
            DeviceKey driver(HKEY_LOCAL_MACHINE, kClassRoot + std::string("Display\\") + fourDigits(n));
            driver.setText("DriverDesc", adapter);
        }
        listDevice(adapterKey);

        MonitorPnp pnp = monitorPnp(monitors, n);
        {
            DeviceKey device(HKEY_LOCAL_MACHINE, "Enum\\" + pnp.enumKey);
            device.setText("Class", "Monitor");
            device.setText("DeviceDesc", m.description);
            device.setText("Driver", "Monitor\\" + fourDigits(n));
            device.setText("Mfg", "(Standard monitor types)");
            device.setText("HardwareID", pnp.hardwareId);
            device.setText("MatchingDeviceID", pnp.matchingDeviceId);
            if (m.edid.empty())
                device.remove("EDID");
            else
                device.setBinary("EDID", m.edid.data(), std::min<size_t>(m.edid.size(), 128));
            DeviceKey driver(HKEY_LOCAL_MACHINE, kClassRoot + std::string("Monitor\\") + fourDigits(n));
            driver.setText("DriverDesc", m.description);
        }
        listDevice(pnp.enumKey);
    }
}

}  // namespace

void fillPlugAndPlayKeys() {
    DeviceKey list(HKEY_DYN_DATA, "Config Manager\\Enum");  // present even without devices
    size_t entry = 0;
    fillDeviceKeys([&](const std::string& deviceKey) { listDevice(entry++, deviceKey); });
}

void fillMachineKeys() {
    fillDeviceKeys([](const std::string&) {});
}

}  // namespace winplat::detail
