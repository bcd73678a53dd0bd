// Monitor names and model records from the monitors' own plug-and-play keys and EDID blocks,
// and the calibration reader taking each monitor's primaries from its own EDID.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "vltutil.h"

namespace {

using spx::test::FreshRootTest;
using spx::test::makeEdid;
using spx::test::monitorsSideBySide;

// The block of makeEdid with other primaries: red 0.6250 0.3320, green 0.2930 0.5859,
// blue 0.1484 0.0664 (low bits 0), the checksum made right again.
std::vector<unsigned char> withOtherPrimaries(std::vector<unsigned char> e) {
    e[25] = 0;
    e[26] = 0;
    const unsigned char high[6] = {160, 85, 75, 150, 38, 17};
    for (int i = 0; i < 6; ++i) e[static_cast<size_t>(27 + i)] = high[i];
    unsigned sum = 0;
    for (size_t i = 0; i < 127; ++i) sum += e[i];
    e[127] = static_cast<unsigned char>((256 - sum % 256) % 256);
    return e;
}

constexpr char kSamsungRecord[] =
    "PnP VESA DDC -, SyncMaster, 1259, 944, 1, 0.6396, 0.3301, 0.2998, 0.5996, 0.1504, 0.0596, 0.27";
constexpr char kDellRecord[] =
    "PnP VESA DDC -, Dell Panel, 1574, 1181, 1, 0.6250, 0.3320, 0.2930, 0.5859, 0.1484, 0.0664, 0.33";

class MonitorNames : public FreshRootTest {
protected:
    static constexpr int kUnnumbered = INT_MIN;  // the form without a monitor number

    // Monitor 0: 32 x 24 cm with the sRGB primaries; monitor 1: no EDID; monitor 2: 40 x 30 cm
    // with other primaries.
    void threeMonitors() {
        auto monitors = monitorsSideBySide(3);
        monitors[0].edid = makeEdid("SAM", 0x0412, 32, 24, "SyncMaster");
        monitors[2].edid = withOtherPrimaries(makeEdid("DEL", 0x4001, 40, 30, "Dell Panel"));
        writeDisplayIni(monitors);
    }

    // GetWindowsMonitorName (monitor kUnnumbered) or GetWindowsMonitorName0 into `size` characters;
    // checks that nothing past them was written.
    static std::string name(int* result, DWORD size = 256, int monitor = kUnnumbered) {
        std::string out(size + 1, '\xbd');
        *result = monitor == kUnnumbered ? GetWindowsMonitorName(out.data(), size)
                              : GetWindowsMonitorName0(out.data(), size, monitor);
        EXPECT_EQ(out[size], '\xbd') << "written past the size";
        return out.c_str();
    }
    static std::string record(const char* key, int* result, int monitor = kUnnumbered) {
        char out[MONITOR_INF_RECORD_SIZE + 1];
        std::memset(out, 0xbd, sizeof out);
        *result = monitor == kUnnumbered ? GetMonitorInfString(key, out, MONITOR_INF_RECORD_SIZE)
                              : GetMonitorInfString0(key, out, MONITOR_INF_RECORD_SIZE, monitor);
        EXPECT_EQ(static_cast<unsigned char>(out[MONITOR_INF_RECORD_SIZE]), 0xbd);
        return out;
    }
};

TEST_F(MonitorNames, FirstMonitorNameOnThe95Family) {
    threeMonitors();
    for (const char* family : {"95", "98"}) {
        SCOPED_TRACE(family);
        useFamily(family);
        int r = -1;
        EXPECT_EQ(name(&r), "PnP VESA DDC - SyncMaster");
        EXPECT_EQ(r, 1);
        EXPECT_EQ(name(&r, 256, 0), "PnP VESA DDC - SyncMaster");
        EXPECT_EQ(r, 1);
    }
}

TEST_F(MonitorNames, NoNameOnTheNtFamily) {
    threeMonitors();
    for (const char* family : {"NT4", "NT5"}) {
        SCOPED_TRACE(family);
        useFamily(family);
        int r = -1;
        EXPECT_EQ(name(&r), "");
        EXPECT_EQ(r, 0);
        EXPECT_EQ(name(&r, 256, 2), "");
        EXPECT_EQ(r, 0);
        EXPECT_EQ(record("PnP VESA DDC - SyncMaster", &r), "");
        EXPECT_EQ(r, 0);
    }
}

TEST_F(MonitorNames, EachMonitorAnswersFromItsOwnKey) {
    threeMonitors();
    struct Case {
        int monitor;
        int result;
        const char* name;
        const char* record;
    } cases[] = {
        {0, 1, "PnP VESA DDC - SyncMaster", kSamsungRecord},
        {1, 0, "", ""},  // no EDID: neither recognised nor with a record
        {2, 1, "PnP VESA DDC - Dell Panel", kDellRecord},
        {3, 0, "", ""},
        {-5, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("monitor " + std::to_string(c.monitor));
        int r = -1;
        EXPECT_EQ(name(&r, 256, c.monitor), c.name);
        EXPECT_EQ(r, c.result);
        // Whatever description follows the prefix, the record is the monitor's own.
        EXPECT_EQ(record("PnP VESA DDC - anything", &r, c.monitor), c.record);
        EXPECT_EQ(r, c.result);
    }
}

TEST_F(MonitorNames, UnnumberedLookupUsesTheFirstMonitor) {
    threeMonitors();
    int r = -1;
    EXPECT_EQ(record("PnP VESA DDC - Dell Panel", &r), kSamsungRecord);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(record("PnP VESA DDC -", &r), kSamsungRecord);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(record("PnP VESA DDC", &r), "") << "not the whole prefix: an INF key, and no INF file";
    EXPECT_EQ(r, 0);
}

TEST_F(MonitorNames, WorkedExampleThroughTheRecordLookup) {
    auto monitors = monitorsSideBySide(1);
    monitors[0].edid = makeEdid("SAM", 0x0412, 32, 24, "SyncMaster");  // 1280 x 1024 timing
    monitors[0].description = "Plug and Play Monitor";
    writeDisplayIni(monitors);
    int r = -1;
    EXPECT_EQ(record("PnP VESA DDC - Plug and Play Monitor", &r),
              "PnP VESA DDC -, Plug and Play Monitor, 1259, 944, 1, 0.6396, 0.3301, 0.2998, 0.5996, "
              "0.1504, 0.0596, 0.27");
    EXPECT_EQ(r, 1);
}

TEST_F(MonitorNames, BadChecksumGivesNoRecordButStillAName) {
    auto monitors = monitorsSideBySide(1);
    monitors[0].edid = makeEdid("SAM", 0x0412, 32, 24, "SyncMaster");
    monitors[0].edid[127] ^= 1;
    writeDisplayIni(monitors);
    int r = -1;
    EXPECT_EQ(record("PnP VESA DDC - SyncMaster", &r), "");
    EXPECT_EQ(r, 0);
    EXPECT_EQ(name(&r), "PnP VESA DDC - SyncMaster") << "recognised by its hardware ids";
    EXPECT_EQ(r, 1);
}

TEST_F(MonitorNames, NameIsCutToTheBuffer) {
    threeMonitors();
    struct Case {
        DWORD size;
        int result;
        const char* expected;
    } cases[] = {
        {1, 1, ""},
        {10, 1, "PnP VESA "},
        {25, 1, "PnP VESA DDC - SyncMaste"},
        {26, 1, "PnP VESA DDC - SyncMaster"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size));
        int r = -1;
        EXPECT_EQ(name(&r, c.size), c.expected);
        EXPECT_EQ(r, c.result);
    }
    EXPECT_EQ(GetWindowsMonitorName(nullptr, 256), 0);
    char untouched = '\xbd';
    EXPECT_EQ(GetWindowsMonitorName(&untouched, 0), 0);
    EXPECT_EQ(untouched, '\xbd');
}

TEST_F(MonitorNames, LongDescriptionGives259CharactersInTheKey) {
    auto monitors = monitorsSideBySide(1);
    monitors[0].edid = makeEdid("SAM", 0x0412, 32, 24, "SyncMaster");
    monitors[0].description = std::string(200, 'a') + std::string(100, 'b');
    writeDisplayIni(monitors);
    int r = -1;
    EXPECT_EQ(name(&r, 512), "PnP VESA DDC - " + std::string(200, 'a') + std::string(59, 'b'));
    EXPECT_EQ(r, 1);
}

class CalibrationOfEachMonitor : public MonitorNames {
protected:
    void SetUp() override {
        MonitorNames::SetUp();
        ASSERT_EQ(WriteSpectrineRegString("Settings", "AppFile", (root() + "/suite/huevista").c_str()), 1);
        ASSERT_EQ(WriteSpectrineRegString("Settings", "InfFile", (root() + "\\suite\\monitors.inf").c_str()), 1);
    }
};

TEST_F(CalibrationOfEachMonitor, NumberedNamesUseTheirMonitorsEdid) {
    threeMonitors();
    // Every calibration names the same model key; the primaries come from the monitor the
    // calibration name belongs to.
    const char* key = "PnP VESA DDC - Dell Panel";
    struct Case {
        const char* calibration;
        int result;
        double primaries[6];
    } cases[] = {
        {"Monitor2", 1, {0.625, 0.332, 0.293, 0.5859, 0.1484, 0.0664}},
        {"LCDPanel2", 1, {0.625, 0.332, 0.293, 0.5859, 0.1484, 0.0664}},
        {"2", 1, {0.625, 0.332, 0.293, 0.5859, 0.1484, 0.0664}},
        {"Monitor", 1, {0.6396, 0.3301, 0.2998, 0.5996, 0.1504, 0.0596}},
        {"LCDPanel", 1, {0.6396, 0.3301, 0.2998, 0.5996, 0.1504, 0.0596}},
        {"0", 1, {0.6396, 0.3301, 0.2998, 0.5996, 0.1504, 0.0596}},
        {"Monitor2b", 1, {0.6396, 0.3301, 0.2998, 0.5996, 0.1504, 0.0596}},  // not a number
        {"Monitor1", 0, {0, 0, 0, 0, 0, 0}},  // monitor 1 has no EDID
        {"Monitor3", 0, {0, 0, 0, 0, 0, 0}},  // no monitor 3
        {"Monitor99999999999", 0, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calibration);
        ASSERT_EQ(WriteSpectrineCalibrationName(c.calibration, "d", 0.3, 0.31, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
        ASSERT_EQ(WriteSpectrineRegString("Settings", c.calibration, key), 1);
        MONITORPARMS p;
        std::memset(&p, 0xbd, sizeof p);
        p.size = MONITORPARMS_SIZE;
        EXPECT_EQ(GetSpectrineCalibrationName(c.calibration, &p), c.result);
        const double got[6] = {p.redX, p.redY, p.greenX, p.greenY, p.blueX, p.blueY};
        for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(got[i], c.primaries[i]) << "primary " << i;
        EXPECT_DOUBLE_EQ(p.whiteY, 0.31);
        EXPECT_STREQ(p.modelKey, c.result ? key : "");
    }
}

}  // namespace
