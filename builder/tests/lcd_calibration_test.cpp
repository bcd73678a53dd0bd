// LCD calibrations: the registry form WriteOrbelModelCalibrationName stores (four groups or
// none), the record GetOrbelModelCalibrationName fills, the monitor its name binds to, and the
// calls that fail.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "panel_test_support.h"

namespace {

using namespace buildertest;
using namespace paneltest;

std::string storedValue(const char* name) {
    char data[1024];
    DWORD type = 0, size = sizeof data;
    if (GetSpectrineRegValue("Calibration", name, &type, reinterpret_cast<BYTE*>(data), &size) || type != REG_MULTI_SZ)
        return "<absent>";
    return std::string(data, size);
}
template <size_t N>
std::string bytes(const char (&text)[N]) {  // the literal with its NULs, without its final one
    return std::string(text, N - 1);
}
LCDCALIBRATION marked() {
    LCDCALIBRATION r;
    std::memset(&r, 0xbd, sizeof r);
    r.size = LCDCALIBRATION_SIZE;
    return r;
}

// Gains 0.9625 and 0.8345 are stored to three decimals.
const PANELMODELRECORD kMeasured =
    panelModel({0.612, 0.731, 0.8345}, {0.5, 0.62, 0.75}, {0.4, 0.55, 0.7}, {1.0, 0.9625, 0.875});

class LcdCalibration : public BuilderTest {
protected:
    void SetUp() override {
        BuilderTest::SetUp();
        addStandardMonitor();
    }
};

TEST_F(LcdCalibration, FourGroupsOrNoneAreStoredAndReadBack) {
    struct Case {
        DWORD count;
        std::string bytes;
        double read[4][3];
    } cases[] = {
        {4, bytes("Panel A\0" "0.31270\0" "0.32900\0" "0.612\0" "0.500\0" "0.400\0" "0.731\0" "0.620\0" "0.550\0"
                  "0.835\0" "0.750\0" "0.700\0" "1.000\0" "0.963\0" "0.875\0\0"),
         {{0.612, 0.5, 0.4}, {0.731, 0.62, 0.55}, {0.835, 0.75, 0.7}, {1.0, 0.963, 0.875}}},
        {0, bytes("Panel A\0" "0.31270\0" "0.32900\0\0"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        PANELMODELRECORD model = kMeasured;
        model.count = c.count;
        ASSERT_EQ(WriteOrbelModelCalibrationName("LCDPanel", "Panel A", 0.3127, 0.329, &model), 1);
        EXPECT_EQ(storedValue("LCDPanel"), c.bytes);

        LCDCALIBRATION r = marked();
        ASSERT_NE(GetOrbelModelCalibrationName("LCDPanel", &r), 0);
        EXPECT_EQ(r.size, 736u);
        EXPECT_STREQ(r.description, "Panel A");
        using ::testing::DoubleNear, ::testing::Pointwise;
        EXPECT_THAT(std::vector<double>({r.whiteX, r.whiteY, r.reserved[0], r.reserved[1]}),
                    Pointwise(DoubleNear(1e-12), {0.3127, 0.329, 0.0, 0.0}));
        EXPECT_THAT(std::vector<double>({r.redX, r.redY, r.greenX, r.greenY, r.blueX, r.blueY}),
                    Pointwise(DoubleNear(1e-12), {0.64, 0.33, 0.30, 0.60, 0.15, 0.06}));
        EXPECT_STREQ(r.modelKey, "Kalvenmor Model 17");
        EXPECT_EQ(r.modelKey[255], 0) << "cleared past the key";
        EXPECT_EQ(r.model.count, 0u);
        const double levels[4] = {1.0 / 3.0, 0.5, 2.0 / 3.0, 1.0};
        for (int g = 0; g < 4; ++g) {
            EXPECT_EQ(r.model.groups[g][0], levels[g]);
            for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(r.model.groups[g][1 + k], c.read[g][k]) << g << k;
        }
    }
}

TEST_F(LcdCalibration, WhatIsNotStoredAsGiven) {
    const std::string longText(300, 'd');
    struct Case {
        const char* what;
        const char* name;
        const char* description;
        double number;  // white x and the red matches of the first two groups
        DWORD count;
        bool model;
        std::string stored;
    } cases[] = {
        {"a description cut to 255 characters", "LCDPanel", longText.c_str(), 0.3, 0, true,
         std::string(255, 'd') + bytes("\0" "0.30000\0" "0.32900\0\0")},
        {"five groups", "LCDPanel", "", 0.3, 5, true, "<absent>"},
        {"no model", "LCDPanel", "", 0.3, 4, false, "<absent>"},
        {"a number that is no number", "LCDPanel", "", NAN, 4, true, "<absent>"},
        {"numbers longer than the 512 bytes read", "LCDPanel", "", 1e300, 4, true, "<absent>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PANELMODELRECORD model = kMeasured;
        model.count = c.count;
        model.groups[0][1] = model.groups[1][1] = c.number;
        EXPECT_EQ(WriteOrbelModelCalibrationName(c.name, c.description, c.number, 0.329, c.model ? &model : nullptr),
                  c.stored == "<absent>" ? 0 : 1);
        EXPECT_EQ(storedValue("LCDPanel"), c.stored);
        WriteSpectrineRegValue("Calibration", "LCDPanel", REG_MULTI_SZ, nullptr, 0);
    }
}

TEST_F(LcdCalibration, TheNameBindsToTheMonitorAndSettingsValueOfTheNumberItEndsIn) {
    constexpr char kPnpKey[] = "PnP VESA DDC - Panel";
    struct Case {
        const char* name;
        const char* settingsValue;  // holds an EDID model key; no other "Monitor" value is set
        int monitorWithEdid;        // the only monitor with an EDID
        bool found;
    } cases[] = {
        {"LCDPanel2", "Monitor2", 2, true},    {"LCDPanel2", "Monitor2", 0, false},
        {"LCDPanel2", "Monitor", 2, false},    {"LCDPanel", "Monitor", 0, true},
        {"LCDPanel", "Monitor", 2, false},     {"LCDPanel12", "Monitor12", 12, true},
        {"LCDPanel12", "Monitor2", 2, false},  {"7", "Monitor7", 7, true},
    };
    WriteSpectrineRegValue("Settings", "Monitor", REG_SZ, nullptr, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << ", " << c.settingsValue << ", EDID on " << c.monitorWithEdid);
        auto monitors = spx::test::monitorsSideBySide(13);
        monitors[c.monitorWithEdid].edid = spx::test::makeEdid("SAM", 0x0412, 32, 24, "SyncMaster");
        writeDisplayIni(monitors);
        WinplatResetProcessState();
        ASSERT_EQ(WriteSpectrineRegString("Settings", c.settingsValue, kPnpKey), 1);
        ASSERT_EQ(WriteOrbelModelCalibrationName(c.name, "", 0.3127, 0.329, &kMeasured), 1);
        LCDCALIBRATION r = marked();
        EXPECT_EQ(GetOrbelModelCalibrationName(c.name, &r) != 0, c.found);
        EXPECT_STREQ(r.modelKey, c.found ? kPnpKey : "");
        WriteSpectrineRegValue("Settings", c.settingsValue, REG_SZ, nullptr, 0);
    }
}

TEST_F(LcdCalibration, ReadsThatFail) {
    LCDCALIBRATION r = marked();
    r.size = 735;
    const LCDCALIBRATION untouched = r;
    EXPECT_EQ(GetOrbelModelCalibrationName("LCDPanel", &r), 0);
    EXPECT_EQ(std::memcmp(&r, &untouched, sizeof r), 0) << "a wrong size leaves the record untouched";
    EXPECT_EQ(GetOrbelModelCalibrationName("LCDPanel", nullptr), 0);
    struct Case {
        const char* what;
        void (*prepare)();
    } cases[] = {
        {"no value", [] { WriteSpectrineRegValue("Calibration", "LCDPanel", REG_MULTI_SZ, nullptr, 0); }},
        {"a text value", [] { WriteSpectrineRegValue("Calibration", "LCDPanel", REG_SZ, (const BYTE*)"x", 2); }},
        {"over 512 bytes", [] { WriteSpectrineRegValue("Calibration", "LCDPanel", REG_MULTI_SZ,
                                                       (const BYTE*)std::string(600, '1').c_str(), 601); }},
        {"no monitor model key", [] { WriteSpectrineRegValue("Settings", "Monitor", REG_SZ, nullptr, 0); }},
        {"a key no INF file knows", [] { WriteSpectrineRegString("Settings", "Monitor", "Unknown Model"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(WriteOrbelModelCalibrationName("LCDPanel", "", 0.3127, 0.329, &kMeasured), 1);
        addStandardMonitor();
        c.prepare();
        r = marked();
        EXPECT_EQ(GetOrbelModelCalibrationName("LCDPanel", &r), 0);
        EXPECT_EQ(r.reserved[0], 0.0) << "cleared";
    }
    EXPECT_EQ(GetOrbelModelCalibrationName("LCDPanel99999999", &r), 0) << "no monitor has that number";
}

}  // namespace
