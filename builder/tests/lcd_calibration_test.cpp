// LCD calibrations: the registry form WriteOrbelModelCalibrationName stores (four groups or
// none), the record GetOrbelModelCalibrationName fills, the monitor its name binds to, and the
// values it refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "panel_test_support.h"

namespace {

using namespace buildertest;
using namespace paneltest;

// The stored bytes of a calibration value; "<absent>" when it cannot be read.
std::string storedValue(const char* name) {
    char data[1024];
    DWORD type = 0, size = sizeof data;
    if (GetSpectrineRegValue("Calibration", name, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return "<absent>";
    return std::string(data, size);
}

void storeValue(const char* name, const std::string& bytes, DWORD type = REG_MULTI_SZ) {
    ASSERT_EQ(WriteSpectrineRegValue("Calibration", name, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                     static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

LCDCALIBRATION marked() {
    LCDCALIBRATION r;
    std::memset(&r, 0xbd, sizeof r);
    r.size = LCDCALIBRATION_SIZE;
    return r;
}

// Red, green and blue matches; the gains 0.9625 and 0.8345 are stored to three decimals.
const PANELMODELRECORD kMeasured = panelModel({0.612, 0.731, 0.8345}, {0.5, 0.62, 0.75}, {0.4, 0.55, 0.7},
                                              {1.0, 0.9625, 0.875});

// The bytes of a literal, its NULs included (not its final terminator).
template <size_t N>
std::string bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

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
        double groups[4][3];  // read back
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
        EXPECT_EQ(r.size, static_cast<DWORD>(LCDCALIBRATION_SIZE));
        EXPECT_STREQ(r.description, "Panel A");
        EXPECT_DOUBLE_EQ(r.whiteX, 0.3127);
        EXPECT_DOUBLE_EQ(r.whiteY, 0.329);
        EXPECT_EQ(r.reserved[0], 0.0);
        EXPECT_EQ(r.reserved[1], 0.0);
        EXPECT_STREQ(r.modelKey, "Kalvenmor Model 17");
        const double primaries[6] = {r.redX, r.redY, r.greenX, r.greenY, r.blueX, r.blueY};
        const double srgb[6] = {0.64, 0.33, 0.30, 0.60, 0.15, 0.06};
        for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(primaries[i], srgb[i]) << i;
        EXPECT_EQ(r.model.count, 0u) << "the count is left 0";
        const double levels[4] = {1.0 / 3.0, 0.5, 2.0 / 3.0, 1.0};
        for (int g = 0; g < 4; ++g) {
            EXPECT_EQ(r.model.groups[g][0], levels[g]) << g;
            for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(r.model.groups[g][1 + k], c.groups[g][k]) << g << k;
        }
        EXPECT_EQ(static_cast<unsigned char>(r.modelKey[255]), 0) << "cleared past the key";
    }
}

TEST_F(LcdCalibration, WhatIsNotStored) {
    struct Case {
        const char* what;
        const char* name;
        const char* description;
        double whiteX;
        DWORD count;
        double red;  // the red matches of the first two groups
        bool model;
        int result;
        std::string stored;
    } cases[] = {
        {"a description cut to 255 characters", "LCDPanel", nullptr, 0.3, 0, 0.5, true, 1,
         std::string(255, 'd') + bytes("\0" "0.30000\0" "0.32900\0\0")},
        {"no description", "LCDPanel", "", 0.3, 0, 0.5, true, 1, bytes("\0" "0.30000\0" "0.32900\0\0")},
        {"five groups", "LCDPanel", "x", 0.3, 5, 0.5, true, 0, "<absent>"},
        {"no model", "LCDPanel", "x", 0.3, 4, 0.5, false, 0, "<absent>"},
        {"no name", nullptr, "x", 0.3, 4, 0.5, true, 0, "<absent>"},
        {"a white that is no number", "LCDPanel", "x", std::nan(""), 4, 0.5, true, 0, "<absent>"},
        {"a match that is no number", "LCDPanel", "x", 0.3, 4, INFINITY, true, 0, "<absent>"},
        {"matches longer than the 512 bytes read", "LCDPanel", "x", 0.3, 4, 1e300, true, 0, "<absent>"},
    };
    const std::string longText(300, 'd');
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSpectrineRegValue("Calibration", "LCDPanel", REG_MULTI_SZ, nullptr, 0);
        PANELMODELRECORD model = kMeasured;
        model.count = c.count;
        model.groups[0][1] = model.groups[1][1] = c.red;
        EXPECT_EQ(WriteOrbelModelCalibrationName(c.name, c.description ? c.description : longText.c_str(), c.whiteX,
                                                 0.329, c.model ? &model : nullptr),
                  c.result);
        EXPECT_EQ(storedValue("LCDPanel"), c.stored);
    }
}

TEST_F(LcdCalibration, TheNameBindsToTheMonitorAndSettingsValueItEndsIn) {
    constexpr char kPnpKey[] = "PnP VESA DDC - Panel";
    struct Case {
        const char* name;
        const char* settingsValue;  // holds the EDID model key; no other "Monitor" value is set
        int monitorWithEdid;        // the only monitor with an EDID
        bool found;
    } cases[] = {
        {"LCDPanel2", "Monitor2", 2, true},
        {"LCDPanel2", "Monitor2", 0, false},  // bound to monitor 2, not 0
        {"LCDPanel2", "Monitor", 2, false},   // "Monitor2" is read, not "Monitor"
        {"LCDPanel", "Monitor", 0, true},
        {"LCDPanel", "Monitor", 2, false},
        {"LCDPanel12", "Monitor12", 12, true},  // the whole number, not its last digit
        {"LCDPanel12", "Monitor2", 2, false},
        {"7", "Monitor7", 7, true},
    };
    WriteSpectrineRegValue("Settings", "Monitor", REG_SZ, nullptr, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << " with " << c.settingsValue << " and an EDID on monitor "
                                          << c.monitorWithEdid);
        auto monitors = spx::test::monitorsSideBySide(13);
        monitors[c.monitorWithEdid].edid = spx::test::makeEdid("SAM", 0x0412, 32, 24, "SyncMaster");
        writeDisplayIni(monitors);
        WinplatResetProcessState();
        ASSERT_EQ(WriteSpectrineRegString("Settings", c.settingsValue, kPnpKey), 1);
        ASSERT_EQ(WriteOrbelModelCalibrationName(c.name, "", 0.3127, 0.329, &kMeasured), 1);
        LCDCALIBRATION r = marked();
        EXPECT_EQ(GetOrbelModelCalibrationName(c.name, &r) != 0, c.found);
        if (c.found) {
            EXPECT_STREQ(r.modelKey, kPnpKey);
            EXPECT_DOUBLE_EQ(r.redX, 0.6396) << "the primaries of the monitor's EDID";
        }
        WriteSpectrineRegValue("Settings", c.settingsValue, REG_SZ, nullptr, 0);
    }
}

TEST_F(LcdCalibration, ReadsThatFail) {
    ASSERT_EQ(WriteOrbelModelCalibrationName("LCDPanel", "", 0.3127, 0.329, &kMeasured), 1);
    LCDCALIBRATION r = marked();
    r.size = LCDCALIBRATION_SIZE - 1;
    const LCDCALIBRATION untouched = r;
    EXPECT_EQ(GetOrbelModelCalibrationName("LCDPanel", &r), 0);
    EXPECT_EQ(std::memcmp(&r, &untouched, sizeof r), 0) << "a wrong size field leaves the record untouched";
    EXPECT_EQ(GetOrbelModelCalibrationName("LCDPanel", nullptr), 0);

    struct Case {
        const char* what;
        void (*prepare)();
    } cases[] = {
        {"no value", [] { WriteSpectrineRegValue("Calibration", "LCDPanel", REG_MULTI_SZ, nullptr, 0); }},
        {"a text value", [] { storeValue("LCDPanel", bytes("x\0"), REG_SZ); }},
        {"a value over 512 bytes", [] { storeValue("LCDPanel", std::string(600, '1') + bytes("\0\0")); }},
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
        EXPECT_EQ(r.size, static_cast<DWORD>(LCDCALIBRATION_SIZE));
        EXPECT_EQ(r.reserved[0], 0.0) << "cleared";
    }
    r = marked();
    EXPECT_EQ(GetOrbelModelCalibrationName("LCDPanel99999999", &r), 0) << "no monitor has that number";
}

TEST_F(LcdCalibration, AValueOfMalformedNumbersReadsAsFarAsTheReaderGoes) {
    storeValue("LCDPanel", bytes("desc\0" "0.3,0.33\0" "-1\0" "0.5x\0\0"));
    LCDCALIBRATION r = marked();
    ASSERT_NE(GetOrbelModelCalibrationName("LCDPanel", &r), 0);
    EXPECT_DOUBLE_EQ(r.whiteX, 0.3) << "a comma also separates numbers";
    EXPECT_DOUBLE_EQ(r.whiteY, 0.33);
    EXPECT_DOUBLE_EQ(r.model.groups[0][1], -1.0);
    EXPECT_DOUBLE_EQ(r.model.groups[0][2], 0.5 + ('x' - '0') * 0.01) << "every character is a digit";
    for (int g = 1; g < 4; ++g)
        for (int k = 1; k <= 3; ++k) EXPECT_EQ(r.model.groups[g][k], 0.0) << "missing numbers read as 0";
}

}  // namespace
