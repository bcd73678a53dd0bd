// The plug-and-play keys of the 95 family built from the virtual display's monitors, walked
// the way the calibration store walks them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fresh_root.h"
#include "win32_holders.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;
using spx::test::removeTree;
using spx::test::VirtualMonitor;

class DisplayPnp : public FreshRootTest {
protected:
};

// An open key closed at the end of the scope.
struct Key {
    HKEY h = nullptr;
    Key(HKEY parent, const std::string& path) {
        if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) h = nullptr;
    }
    ~Key() {
        if (h) RegCloseKey(h);
    }
};

// A REG_SZ value, "<missing>" or "<type n>" when it is absent or of another type.
std::string text(HKEY key, const char* name) {
    char buffer[512];
    DWORD size = sizeof buffer, type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (rc != ERROR_SUCCESS) return "<missing>";
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    return std::string(buffer, size ? size - 1 : 0);
}

// The configuration manager's entries in order: their "HardWareKey" values.
std::vector<std::string> hardwareKeys() {
    std::vector<std::string> keys;
    Key list(HKEY_DYN_DATA, "Config Manager\\Enum");
    EXPECT_NE(list.h, nullptr);
    if (!list.h) return keys;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(list.h, i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        EXPECT_EQ(size, 8u) << name;
        Key entry(list.h, name);
        keys.push_back(text(entry.h, "HardWareKey"));
    }
    return keys;
}

std::vector<BYTE> binary(HKEY key, const char* name, DWORD& type) {
    std::vector<BYTE> data(300, 0xbd);
    DWORD size = static_cast<DWORD>(data.size());
    type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return {};
    data.resize(size);
    return data;
}

TEST_F(DisplayPnp, EachDisplayDeviceIsAnAdapterWithItsMonitor) {
    std::vector<VirtualMonitor> m = spx::test::monitorsSideBySide(2);
    m[0].edid = spx::test::makeEdid("SAM", 0x0412, 34, 27, "SyncMaster");
    m[0].description = "Samsung SyncMaster 710N";
    writeDisplayIni(m, "Test Adapter");
    EXPECT_EQ(hardwareKeys(), (std::vector<std::string>{
                                  "ROOT\\VIRTUAL_DISPLAY\\0000", "MONITOR\\SAM0412\\0001",
                                  "ROOT\\VIRTUAL_DISPLAY\\0001", "MONITOR\\DEFAULT_MONITOR\\0001"}));

    struct Expected {
        const char* key;
        const char* cls;
        const char* desc;
        const char* driver;
        const char* mfg;
        const char* hardwareId;
        const char* matching;
    } devices[] = {
        {"Enum\\ROOT\\VIRTUAL_DISPLAY\\0000", "Display", "Test Adapter", "Display\\0000",
         "(Standard display types)", "ROOT\\VIRTUAL_DISPLAY", "<missing>"},
        {"Enum\\MONITOR\\SAM0412\\0001", "Monitor", "Samsung SyncMaster 710N", "Monitor\\0000",
         "(Standard monitor types)", "MONITOR\\SAM0412,*PNP09FF", "*PNP09FF"},
        {"Enum\\ROOT\\VIRTUAL_DISPLAY\\0001", "Display", "Test Adapter", "Display\\0001",
         "(Standard display types)", "ROOT\\VIRTUAL_DISPLAY", "<missing>"},
        {"Enum\\MONITOR\\DEFAULT_MONITOR\\0001", "Monitor", "Default Monitor", "Monitor\\0001",
         "(Standard monitor types)", "Monitor\\Default", "Monitor\\Default"},
    };
    for (const Expected& e : devices) {
        SCOPED_TRACE(e.key);
        Key device(HKEY_LOCAL_MACHINE, e.key);
        ASSERT_NE(device.h, nullptr);
        EXPECT_EQ(text(device.h, "Class"), e.cls);
        EXPECT_EQ(text(device.h, "DeviceDesc"), e.desc);
        EXPECT_EQ(text(device.h, "Driver"), e.driver);
        EXPECT_EQ(text(device.h, "Mfg"), e.mfg);
        EXPECT_EQ(text(device.h, "HardwareID"), e.hardwareId);
        EXPECT_EQ(text(device.h, "MatchingDeviceID"), e.matching);
        Key driver(HKEY_LOCAL_MACHINE,
                   std::string("System\\CurrentControlSet\\Services\\Class\\") + e.driver);
        ASSERT_NE(driver.h, nullptr);
        EXPECT_EQ(text(driver.h, "DriverDesc"), e.desc);
    }

    Key withEdid(HKEY_LOCAL_MACHINE, "Enum\\MONITOR\\SAM0412\\0001");
    DWORD type = 0;
    EXPECT_EQ(binary(withEdid.h, "EDID", type), m[0].edid);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    Key without(HKEY_LOCAL_MACHINE, "Enum\\MONITOR\\DEFAULT_MONITOR\\0001");
    EXPECT_TRUE(binary(without.h, "EDID", type).empty());
}

TEST_F(DisplayPnp, TheNthMonitorEntryLeadsToTheNthMonitorsClassKey) {
    std::vector<VirtualMonitor> m = spx::test::monitorsSideBySide(3);
    const char* names[] = {"Left one", "Middle one", "Right one"};
    for (size_t i = 0; i < 3; ++i) m[i].description = names[i];
    writeDisplayIni(m);
    for (const char* family : {"98", "95"}) {
        SCOPED_TRACE(family);
        useFamily(family);
        // The store's walk: the n-th entry whose key starts with "MONITOR", its device key, its
        // "Driver", the class key.
        size_t n = 0;
        for (const std::string& hardwareKey : hardwareKeys()) {
            if (hardwareKey.compare(0, 7, "MONITOR") != 0) continue;
            SCOPED_TRACE(hardwareKey);
            Key device(HKEY_LOCAL_MACHINE, "Enum\\" + hardwareKey);
            ASSERT_NE(device.h, nullptr);
            std::string driver = text(device.h, "Driver");
            Key cls(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\" + driver);
            ASSERT_NE(cls.h, nullptr);
            EXPECT_EQ(text(cls.h, "DriverDesc"), names[n]);
            ++n;
        }
        EXPECT_EQ(n, 3u);
    }
}

TEST_F(DisplayPnp, IdenticalMonitorsAreInstancesOfOneIdAndLongEdidsAreCut) {
    std::vector<VirtualMonitor> m = spx::test::monitorsSideBySide(2);
    std::vector<unsigned char> edid = spx::test::makeEdid("DEL", 0xA07B, 47, 30, "DELL P2210");
    edid.resize(256, 0x11);  // an extension block
    m[0].edid = m[1].edid = edid;
    writeDisplayIni(m);
    EXPECT_EQ(hardwareKeys(),
              (std::vector<std::string>{"ROOT\\VIRTUAL_DISPLAY\\0000", "MONITOR\\DELA07B\\0001",
                                        "ROOT\\VIRTUAL_DISPLAY\\0001", "MONITOR\\DELA07B\\0002"}));
    Key second(HKEY_LOCAL_MACHINE, "Enum\\MONITOR\\DELA07B\\0002");
    DWORD type = 0;
    std::vector<BYTE> stored = binary(second.h, "EDID", type);
    EXPECT_EQ(stored, std::vector<BYTE>(edid.begin(), edid.begin() + 128));
    EXPECT_EQ(text(second.h, "DeviceDesc"), "DELL P2210");  // the EDID's monitor name
    Key cls(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\Monitor\\0001");
    EXPECT_EQ(text(cls.h, "DriverDesc"), "DELL P2210");
}

TEST_F(DisplayPnp, IdsFromDisplayIniReplaceTheDerivedOnes) {
    writeFile("display.ini",
              "[Monitor1]\r\nHardwareID=Monitor\\ABC1234\r\nMatchingDeviceID=*pnp09ff\r\n"
              "EDID=00 FF FF FF FF FF FF 00 04 43 34 12\r\n");
    EXPECT_EQ(hardwareKeys(), (std::vector<std::string>{"ROOT\\VIRTUAL_DISPLAY\\0000",
                                                        "MONITOR\\ABC1234\\0001"}));
    Key device(HKEY_LOCAL_MACHINE, "Enum\\MONITOR\\ABC1234\\0001");
    EXPECT_EQ(text(device.h, "HardwareID"), "Monitor\\ABC1234");
    EXPECT_EQ(text(device.h, "MatchingDeviceID"), "*pnp09ff");
    DWORD type = 0;
    EXPECT_EQ(binary(device.h, "EDID", type).size(), 12u);  // stored as given
}

TEST_F(DisplayPnp, KeysAreRebuiltInEachProcessAndKeepWhatOthersWrote) {
    writeDisplayIni(spx::test::monitorsSideBySide(1));
    hardwareKeys();
    {
        HKEY cls = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                "System\\CurrentControlSet\\Services\\Class\\Monitor\\0000", 0,
                                KEY_ALL_ACCESS, &cls),
                  ERROR_SUCCESS);
        const char profile[] = "Spectrine95.icm";
        ASSERT_EQ(RegSetValueExA(cls, "ICMProfile", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(profile), sizeof profile),
                  ERROR_SUCCESS);
        RegCloseKey(cls);
    }
    // A new process with a changed monitor description.
    std::vector<VirtualMonitor> m = spx::test::monitorsSideBySide(1);
    m[0].description = "Renamed";
    writeDisplayIni(m);
    WinplatResetProcessState();
    EXPECT_EQ(hardwareKeys().size(), 2u);
    Key cls(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\Monitor\\0000");
    EXPECT_EQ(text(cls.h, "DriverDesc"), "Renamed");
    EXPECT_EQ(text(cls.h, "ICMProfile"), "Spectrine95.icm");
}

// The NT family has no dynamic list, but its machine hive holds the monitors' and adapters'
// device and class keys from its first use, as a real machine always does (colour management
// lists a monitor's profiles in its class key): the same keys as on the 95 family.
TEST_F(DisplayPnp, TheNtFamilyHasTheDeviceAndClassKeysButNoDynamicList) {
    std::vector<VirtualMonitor> m = spx::test::monitorsSideBySide(2);
    m[0].description = "Left Panel";
    m[1].description = "Right Panel";
    writeDisplayIni(m, "Test Adapter");
    for (const char* family : {"NT4", "NT5", "95"}) {
        SCOPED_TRACE(family);
        useFamily(family);
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager\\Enum", 0, KEY_READ, &key),
                  std::string(family) == "95" ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
        if (key) RegCloseKey(key);
        const struct {
            std::string key;
            const char* value;
            const char* expected;
        } values[] = {
            {"System\\CurrentControlSet\\Services\\Class\\Monitor\\0000", "DriverDesc", "Left Panel"},
            {"System\\CurrentControlSet\\Services\\Class\\Monitor\\0001", "DriverDesc", "Right Panel"},
            {"System\\CurrentControlSet\\Services\\Class\\Display\\0000", "DriverDesc", "Test Adapter"},
            {"Enum\\MONITOR\\DEFAULT_MONITOR\\0001", "Driver", "Monitor\\0000"},
            {"Enum\\MONITOR\\DEFAULT_MONITOR\\0002", "Driver", "Monitor\\0001"},
            {"Enum\\MONITOR\\DEFAULT_MONITOR\\0002", "DeviceDesc", "Right Panel"},
            {"Enum\\ROOT\\VIRTUAL_DISPLAY\\0000", "Class", "Display"},
        };
        for (const auto& v : values) {
            SCOPED_TRACE(v.key);
            winplat::RegKey k(HKEY_LOCAL_MACHINE, v.key);
            ASSERT_TRUE(k);
            EXPECT_EQ(text(k.get(), v.value), v.expected);
        }
        WinplatResetProcessState();
        removeTree(rootPath("registry.db"));
    }
}

TEST_F(DisplayPnp, AMachineWithoutMonitorsListsNoDevices) {
    writeDisplayIni({});
    EXPECT_TRUE(hardwareKeys().empty());
}

}  // namespace
