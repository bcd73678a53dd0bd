// The plug-and-play walk: monitor n's device and class keys, the display adapter's description,
// and which monitors count as plug-and-play EDID monitors.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "pnp_walk.h"
#include "vltutil.h"

namespace {

using spx::test::FreshRootTest;
using spx::test::makeEdid;
using spx::test::monitorsSideBySide;

constexpr char kClassRoot[] = "System\\CurrentControlSet\\Services\\Class\\";

class PnpWalk : public FreshRootTest {
protected:
    static bool keyExists(const std::string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    static void setText(const std::string& path, const char* name, const char* value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS) << path;
        if (value)
            EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                     static_cast<DWORD>(std::string(value).size() + 1)),
                      ERROR_SUCCESS);
        else
            EXPECT_EQ(RegDeleteValueA(key, name), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // Two monitors with EDID blocks of different makers.
    void twoEdidMonitors() {
        auto monitors = monitorsSideBySide(2);
        monitors[0].edid = makeEdid("SAM", 0x0412, 32, 24, "SyncMaster");
        monitors[1].edid = makeEdid("DEL", 0x4001, 40, 30, "Dell Panel");
        writeDisplayIni(monitors, "Matrox Millennium");
    }
};

TEST_F(PnpWalk, EachMonitorHasItsOwnDeviceAndClassKey) {
    twoEdidMonitors();
    struct Case {
        int monitor;
        const char* deviceKey;
        std::string classKey;
        bool found;
    } cases[] = {
        {0, "Enum\\MONITOR\\SAM0412\\0001", std::string(kClassRoot) + "Monitor\\0000", true},
        {1, "Enum\\MONITOR\\DEL4001\\0001", std::string(kClassRoot) + "Monitor\\0001", true},
        {2, "", std::string(kClassRoot) + "Monitor\\0000", false},
        {-1, "", std::string(kClassRoot) + "Monitor\\0000", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("monitor " + std::to_string(c.monitor));
        vlt::pnp::MonitorKeys keys = vlt::pnp::findMonitorKeys(c.monitor);
        EXPECT_EQ(keys.deviceKey, c.deviceKey);
        EXPECT_EQ(keys.classKey, c.classKey);
        EXPECT_EQ(keys.found, c.found);
        if (c.found) {
            EXPECT_TRUE(keyExists(keys.deviceKey));
            EXPECT_TRUE(keyExists(keys.classKey));
        }
    }
}

TEST_F(PnpWalk, MonitorWithoutDriverFallsBackToTheFirstMonitorClass) {
    twoEdidMonitors();
    vlt::pnp::MonitorKeys before = vlt::pnp::findMonitorKeys(1);
    ASSERT_TRUE(before.found);
    setText(before.deviceKey, "Driver", nullptr);
    vlt::pnp::MonitorKeys keys = vlt::pnp::findMonitorKeys(1);
    EXPECT_EQ(keys.deviceKey, before.deviceKey) << "the monitor itself is still found";
    EXPECT_EQ(keys.classKey, std::string(kClassRoot) + "Monitor\\0000");
    EXPECT_FALSE(keys.found);
}

TEST_F(PnpWalk, NtFamilyHasNoPlugAndPlayKeys) {
    twoEdidMonitors();
    for (const char* family : {"NT4", "NT5"}) {
        SCOPED_TRACE(family);
        useFamily(family);
        vlt::pnp::MonitorKeys keys = vlt::pnp::findMonitorKeys(0);
        EXPECT_EQ(keys.deviceKey, "");
        EXPECT_EQ(keys.classKey, std::string(kClassRoot) + "Monitor\\0000");
        EXPECT_FALSE(keys.found);
        EXPECT_EQ(vlt::pnp::displayAdapterDescription(), "Unknown");
        EXPECT_FALSE(vlt::pnp::recogniseEdidMonitor(0).has_value());
        EXPECT_FALSE(vlt::pnp::monitorEdid(0).has_value());
    }
}

TEST_F(PnpWalk, AdapterDescription) {
    twoEdidMonitors();
    useFamily("95");
    EXPECT_EQ(vlt::pnp::displayAdapterDescription(), "Matrox Millennium");
}

TEST_F(PnpWalk, FirstAdapterWithDescriptionAndDriverCountsWhateverTheCaseOfItsClass) {
    twoEdidMonitors();
    ASSERT_EQ(vlt::pnp::displayAdapterDescription(), "Matrox Millennium");
    // The first adapter loses its driver; the second one's class is spelled in capitals.
    setText("Enum\\ROOT\\VIRTUAL_DISPLAY\\0000", "Driver", nullptr);
    setText("Enum\\ROOT\\VIRTUAL_DISPLAY\\0001", "Class", "DISPLAY");
    setText("Enum\\ROOT\\VIRTUAL_DISPLAY\\0001", "DeviceDesc", "Second Adapter");
    EXPECT_EQ(vlt::pnp::displayAdapterDescription(), "Second Adapter");
    setText("Enum\\ROOT\\VIRTUAL_DISPLAY\\0001", "Class", "Displays");
    EXPECT_EQ(vlt::pnp::displayAdapterDescription(), "Unknown");
}

TEST_F(PnpWalk, NoMonitorsMeansNoAdapterAndNoMonitorKeys) {
    writeDisplayIni({});
    EXPECT_EQ(vlt::pnp::displayAdapterDescription(), "Unknown");
    vlt::pnp::MonitorKeys keys = vlt::pnp::findMonitorKeys(0);
    EXPECT_EQ(keys.deviceKey, "");
    EXPECT_FALSE(keys.found);
}

// Which monitors the system reports as plug-and-play EDID monitors, from the ids in their keys.
TEST_F(PnpWalk, RecognitionFollowsHardwareAndMatchingIds) {
    const std::vector<unsigned char> edid = makeEdid("SAM", 0x0412, 32, 24, "SyncMaster");
    std::string hex;
    for (unsigned char b : edid) {
        static const char digits[] = "0123456789ABCDEF";
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    struct Case {
        const char* name;
        const char* hardwareId;
        const char* matchingId;
        bool withEdid;
        bool recognised;
    } cases[] = {
        {"EDID id in the hardware ids, no block", "MONITOR\\ABC1234,*PNP09FF", "Monitor\\Default", false, true},
        {"matching id in another case, with a block", "Monitor\\Default", "*pnp09ff", true, true},
        {"matching id without a block", "Monitor\\Default", "*PNP09FF", false, false},
        {"neither id, with a block", "Monitor\\Default", "Monitor\\Default", true, false},
        {"hardware id compared in its case", "MONITOR\\ABC1234,*pnp09ff", "Monitor\\Default", true, false},
        {"matching id compared whole", "Monitor\\Default", "*PNP09FF0", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string ini = "[Display]\r\nMonitors=1\r\n[Monitor1]\r\nDescription=Test Monitor\r\nHardwareID=" +
                          std::string(c.hardwareId) + "\r\nMatchingDeviceID=" + c.matchingId + "\r\n";
        if (c.withEdid) ini += "EDID=" + hex + "\r\n";
        writeFile("display.ini", ini);
        useFamily("98");  // a new process state that reads the new display
        std::optional<vlt::pnp::EdidMonitor> m = vlt::pnp::recogniseEdidMonitor(0);
        ASSERT_EQ(m.has_value(), c.recognised);
        if (!m) continue;
        EXPECT_EQ(m->description, "Test Monitor");
        EXPECT_EQ(m->edid, c.withEdid ? edid : std::vector<unsigned char>());
    }
}

TEST_F(PnpWalk, MonitorWithoutHardwareIdIsNotRecognised) {
    auto monitors = monitorsSideBySide(1);
    monitors[0].edid = makeEdid("SAM", 0x0412, 32, 24, "SyncMaster");
    writeDisplayIni(monitors);
    vlt::pnp::MonitorKeys keys = vlt::pnp::findMonitorKeys(0);
    ASSERT_TRUE(vlt::pnp::recogniseEdidMonitor(0).has_value());
    setText(keys.deviceKey, "HardwareID", nullptr);
    EXPECT_FALSE(vlt::pnp::recogniseEdidMonitor(0).has_value());
    // The block itself is still there for the model record.
    ASSERT_TRUE(vlt::pnp::monitorEdid(0).has_value());
    EXPECT_EQ(vlt::pnp::monitorEdid(0)->edid, monitors[0].edid);
}

TEST_F(PnpWalk, DescriptionIsCutAfter259Characters) {
    auto monitors = monitorsSideBySide(1);
    monitors[0].edid = makeEdid("SAM", 0x0412, 32, 24, "SyncMaster");
    std::string longName(300, 'x');
    for (size_t i = 0; i < longName.size(); ++i) longName[i] = static_cast<char>('a' + i % 26);
    monitors[0].description = longName;
    writeDisplayIni(monitors);
    auto m = vlt::pnp::recogniseEdidMonitor(0);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->description, longName.substr(0, 259));
    EXPECT_EQ(vlt::pnp::monitorEdid(0)->description, longName.substr(0, 259));
}

// Values of other types or sizes than the system writes are passed over, never trusted.
TEST_F(PnpWalk, GarbageValuesAreSkipped) {
    twoEdidMonitors();
    ASSERT_TRUE(vlt::pnp::findMonitorKeys(1).found);
    // The first monitor's list entry gets a hardware key that is not text.
    HKEY list = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager\\Enum", 0, KEY_ALL_ACCESS, &list), ERROR_SUCCESS);
    for (DWORD i = 0;; ++i) {
        char entry[64];
        DWORD size = sizeof entry;
        ASSERT_EQ(RegEnumKeyExA(list, i, entry, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(list, entry, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        char text[64] = {};
        DWORD type = 0, textSize = sizeof text - 1;
        ASSERT_EQ(RegQueryValueExA(key, "HardWareKey", nullptr, &type, reinterpret_cast<BYTE*>(text), &textSize),
                  ERROR_SUCCESS);
        bool monitor = std::string(text).rfind("MONITOR", 0) == 0;
        if (monitor) {
            EXPECT_EQ(RegSetValueExA(key, "HardWareKey", 0, REG_BINARY, reinterpret_cast<const BYTE*>(text), textSize),
                      ERROR_SUCCESS);
        }
        RegCloseKey(key);
        if (monitor) break;
    }
    RegCloseKey(list);
    vlt::pnp::MonitorKeys keys = vlt::pnp::findMonitorKeys(0);
    EXPECT_EQ(keys.deviceKey, "Enum\\MONITOR\\DEL4001\\0001") << "the entry without a text key is not counted";
    EXPECT_EQ(vlt::pnp::findMonitorKeys(1).deviceKey, "");

    // A description stored without its terminator ends with its data; a driver that is not
    // text names no class key; an EDID of another length is read as it is.
    HKEY device = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, keys.deviceKey.c_str(), 0, KEY_ALL_ACCESS, &device), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(device, "DeviceDesc", 0, REG_SZ, reinterpret_cast<const BYTE*>("Dell"), 4), ERROR_SUCCESS);
    const DWORD number = 7;
    EXPECT_EQ(RegSetValueExA(device, "Driver", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);
    std::vector<BYTE> longEdid(200, 0xff);
    EXPECT_EQ(RegSetValueExA(device, "EDID", 0, REG_BINARY, longEdid.data(), 200), ERROR_SUCCESS);
    RegCloseKey(device);

    keys = vlt::pnp::findMonitorKeys(0);
    EXPECT_EQ(keys.classKey, std::string(kClassRoot) + "Monitor\\0000");
    EXPECT_FALSE(keys.found);
    auto m = vlt::pnp::monitorEdid(0);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->description, "Dell");
    EXPECT_EQ(m->edid, std::vector<unsigned char>(200, 0xff));
    char record[MONITOR_INF_RECORD_SIZE];
    std::memset(record, 0xbd, sizeof record);
    EXPECT_EQ(GetMonitorInfString0("PnP VESA DDC - Dell", record, sizeof record, 0), 0);
    EXPECT_STREQ(record, "");

    // An EDID value of another type is no EDID.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, keys.deviceKey.c_str(), 0, KEY_ALL_ACCESS, &device), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(device, "EDID", 0, REG_SZ, reinterpret_cast<const BYTE*>("00FF"), 5), ERROR_SUCCESS);
    RegCloseKey(device);
    EXPECT_FALSE(vlt::pnp::monitorEdid(0).has_value());
}

}  // namespace
