// The generic accessors and the typed values of the suite key.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "reg_key.h"
#include "vltutil.h"

namespace {

using spx::test::FreshRootTest;
using StoreValues = FreshRootTest;

std::string rawString(const char* subkey, const char* name, DWORD* type = nullptr) {
    char buf[512];
    DWORD t = 0, size = sizeof buf;
    if (GetSpectrineRegValue(subkey, name, &t, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS)
        return "<absent>";
    if (type) *type = t;
    return std::string(buf, size);
}

TEST_F(StoreValues, WriteCreatesSubkeyAndNullDataDeletes) {
    const BYTE data[] = "abc";
    EXPECT_EQ(WriteSpectrineRegValue("Preset\\Group One", "P", REG_SZ, data, 4), ERROR_SUCCESS);
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Kalvenmor\\Spectrine\\95.4\\Preset\\Group One", 0,
                            KEY_READ, &k),
              ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(WriteSpectrineRegValue("Preset\\Group One", "P", REG_SZ, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(rawString("Preset\\Group One", "P"), "<absent>");
    EXPECT_EQ(WriteSpectrineRegValue("Preset\\Group One", "P", REG_SZ, nullptr, 0), ERROR_FILE_NOT_FOUND);
}

TEST_F(StoreValues, ReadReportsWin32Codes) {
    DWORD type = 0xdeadbeef, size = 4;
    BYTE b[4];
    EXPECT_EQ(GetSpectrineRegValue("Nowhere", "x", &type, b, &size), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(WriteSpectrineRegString("", "RootValue", "0123456789"), 1);
    size = 4;
    EXPECT_EQ(GetSpectrineRegValue("", "RootValue", &type, b, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(StoreValues, RegStringLengthEmptyAndMismatch) {
    char out[32];
    ASSERT_EQ(WriteSpectrineRegString("Settings", "Text", "hello"), 1);
    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetSpectrineRegString("Settings", "Text", out, sizeof out), 5);
    EXPECT_STREQ(out, "hello");

    ASSERT_EQ(WriteSpectrineRegString("Settings", "Empty", ""), 1);
    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetSpectrineRegString("Settings", "Empty", out, sizeof out), 0);
    EXPECT_STREQ(out, "");

    DWORD v = 5;
    ASSERT_EQ(WriteSpectrineRegValue("Settings", "Number", REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), 0);
    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetSpectrineRegString("Settings", "Number", out, sizeof out), 0) << "other types read as absent";
    EXPECT_STREQ(out, "");

    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetSpectrineRegString("Settings", "Text", out, 3), 0) << "too long for the buffer";
    EXPECT_STREQ(out, "");
    EXPECT_EQ(static_cast<unsigned char>(out[3]), 0xbd);
}

TEST_F(StoreValues, RegStringStoredWithoutTerminatorStaysInsideBuffer) {
    const BYTE raw[] = {'a', 'b', 'c'};
    ASSERT_EQ(WriteSpectrineRegValue("Settings", "Raw", REG_SZ, raw, 3), ERROR_SUCCESS);
    char out[3];
    EXPECT_EQ(GetSpectrineRegString("Settings", "Raw", out, sizeof out), 2);
    EXPECT_STREQ(out, "ab");
    char big[8];
    EXPECT_EQ(GetSpectrineRegString("Settings", "Raw", big, sizeof big), 3);
    EXPECT_STREQ(big, "abc");
}

TEST_F(StoreValues, OverLongSubkeyIsRefused) {
    std::string subkey(300, 'k');
    EXPECT_EQ(WriteSpectrineRegString(subkey.c_str(), "v", "x"), 0);
    DWORD size = 0;
    EXPECT_EQ(GetSpectrineRegValue(subkey.c_str(), "v", nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
}

TEST_F(StoreValues, EnumerationOfValuesAndKeys) {
    WriteSpectrineRegString("Preset", "B", "1");
    WriteSpectrineRegString("Preset", "A", "2");
    WriteSpectrineRegString("Preset\\G1", "x", "3");
    char name[32];
    DWORD nameSize = sizeof name, type = 0;
    ASSERT_EQ(EnumSpectrineRegValue("Preset", 0, name, &nameSize, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "B");
    nameSize = sizeof name;
    EXPECT_EQ(EnumSpectrineRegValue("Preset", 2, name, &nameSize, &type, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(EnumSpectrineRegKey("Preset", 0, name, sizeof name), ERROR_SUCCESS);
    EXPECT_STREQ(name, "G1");
    EXPECT_EQ(EnumSpectrineRegKey("Preset", 1, name, sizeof name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(EnumSpectrineRegKey("Missing", 0, name, sizeof name), ERROR_FILE_NOT_FOUND);
}

TEST_F(StoreValues, MonitorNamesPerMonitor) {
    char out[64];
    EXPECT_EQ(GetSpectrineMonitorName(out, sizeof out), 0);
    EXPECT_EQ(WriteSpectrineMonitorName("PnP VESA DDC - Plug and Play Monitor"), 1);
    EXPECT_EQ(WriteSpectrineMonitorName0("CRT Average", 2), 1);
    EXPECT_EQ(GetSpectrineMonitorName(out, sizeof out), 1);
    EXPECT_STREQ(out, "PnP VESA DDC - Plug and Play Monitor");
    EXPECT_EQ(GetSpectrineMonitorName0(out, sizeof out, 2), 1);
    EXPECT_STREQ(out, "CRT Average");
    EXPECT_EQ(rawString("Settings", "Monitor2"), std::string("CRT Average", 12));
    EXPECT_EQ(GetSpectrineMonitorName0(out, sizeof out, 1), 0);
    WriteSpectrineMonitorName("");
    EXPECT_EQ(GetSpectrineMonitorName(out, sizeof out), 0) << "an empty name is no name";
}

TEST_F(StoreValues, UnadjustedStringsAndMonitorCount) {
    char out[64];
    EXPECT_EQ(GetSpectrineUnadjustedString(out, sizeof out), 0);
    EXPECT_EQ(WriteSpectrineUnadjustedString("Native Gamma"), 1);
    EXPECT_EQ(GetSpectrineUnadjustedString(out, sizeof out), 1);
    EXPECT_STREQ(out, "Native Gamma");
    EXPECT_EQ(WriteSpectrineUnadjustedDescriptionString("Your monitor as it is"), 1);
    EXPECT_EQ(GetSpectrineUnadjustedDescriptionString(out, sizeof out), 1);
    EXPECT_STREQ(out, "Your monitor as it is");
    EXPECT_EQ(WriteSpectrineNbMonitors(3), 1);
    DWORD type = 0;
    EXPECT_EQ(rawString("Calibration", "Number of Monitors", &type), std::string("3", 2));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(StoreValues, ScaleToD50NeedsOnlyFourBytes) {
    DWORD v = 0xdeadbeef;
    EXPECT_EQ(GetSpectrineScaleToD50(&v), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(WriteSpectrineScaleToD50(1), ERROR_SUCCESS);
    EXPECT_EQ(GetSpectrineScaleToD50(&v), ERROR_SUCCESS);
    EXPECT_EQ(v, 1u);
    DWORD type = 0;
    rawString("Settings", "ScaleToD50", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    // Four bytes of another type still read.
    const BYTE four[] = {2, 0, 0, 0};
    WriteSpectrineRegValue("Settings", "ScaleToD50", REG_BINARY, four, 4);
    EXPECT_EQ(GetSpectrineScaleToD50(&v), ERROR_SUCCESS);
    EXPECT_EQ(v, 2u);
    // A value of another size is an error, never a success with 0.
    const struct {
        DWORD size;
        LONG result;
    } sizes[] = {{0, ERROR_INVALID_DATA}, {2, ERROR_INVALID_DATA}, {3, ERROR_INVALID_DATA},
                 {5, ERROR_MORE_DATA}, {8, ERROR_MORE_DATA}};
    const BYTE eight[] = {1, 1, 1, 1, 1, 1, 1, 1};
    for (const auto& c : sizes) {
        SCOPED_TRACE(c.size);
        ASSERT_EQ(WriteSpectrineRegValue("Settings", "ScaleToD50", REG_BINARY, eight, c.size), ERROR_SUCCESS);
        v = 0xdeadbeef;
        EXPECT_EQ(GetSpectrineScaleToD50(&v), c.result);
        EXPECT_EQ(v, 0u);
    }
}

// The length a string read gives is its text's own: a value stored with trailing NULs counts
// only the characters before the first one.
TEST_F(StoreValues, RegStringLengthIsTheTextsLength) {
    const std::string stored = std::string("C:\\Luts") + std::string(3, '\0');
    ASSERT_EQ(WriteSpectrineRegValue("Settings", "LutDir", REG_SZ,
                                     reinterpret_cast<const BYTE*>(stored.data()),
                                     static_cast<DWORD>(stored.size())),
              ERROR_SUCCESS);
    char out[32];
    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetSpectrineRegString("Settings", "LutDir", out, sizeof out), 7);
    EXPECT_STREQ(out, "C:\\Luts");
    EXPECT_EQ(static_cast<unsigned char>(out[8]), 0xbd);
}

TEST_F(StoreValues, CalibrationLimitDefaultsAndCap) {
    EXPECT_EQ(GetSpectrineCalibrationLimit(), 6);
    struct Case {
        DWORD months;
        int expected;
    } cases[] = {{20, 12}, {3, 3}, {12, 12}, {0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.months);
        WriteSpectrineRegValue("Settings", "TimeToRecalibrate", REG_DWORD, reinterpret_cast<const BYTE*>(&c.months), 4);
        EXPECT_EQ(GetSpectrineCalibrationLimit(), c.expected);
    }
    WriteSpectrineRegString("Settings", "TimeToRecalibrate", "3");
    EXPECT_EQ(GetSpectrineCalibrationLimit(), 6) << "not a REG_DWORD";
}

TEST_F(StoreValues, OemStringsInitscreenLcdModeScreenType) {
    char out[64];
    EXPECT_EQ(GetSpectrineOEMString("Splash", out, sizeof out), 0);
    WriteSpectrineRegString("Settings", "OEMSplash", "oemsplash.bmp");
    EXPECT_EQ(GetSpectrineOEMString("Splash", out, sizeof out), 1);
    EXPECT_STREQ(out, "oemsplash.bmp");
    EXPECT_EQ(GetSpectrineOEMString("Progress", out, sizeof out), 0);

    int flag = 7;
    EXPECT_EQ(ReadControlPanelInitscreen(&flag), 0);
    EXPECT_EQ(flag, 7);
    flag = 5;
    EXPECT_EQ(WriteControlPanelInitscreen(&flag), 1);
    DWORD raw = 0, size = 4, type = 0;
    GetSpectrineRegValue("Control Panel", "Initscreen", &type, reinterpret_cast<BYTE*>(&raw), &size);
    EXPECT_EQ(raw, 1u) << "written as 1 or 0";
    flag = 0;
    EXPECT_EQ(ReadControlPanelInitscreen(&flag), 1);
    EXPECT_EQ(flag, 1);

    DWORD mode = 0xdeadbeef;
    EXPECT_EQ(ReadSpectrineLCDMode(&mode), 0);
    EXPECT_EQ(mode, 0xdeadbeefu);
    DWORD stored = 0x00020001;
    WriteSpectrineRegValue("Settings", "LCDMode", REG_DWORD, reinterpret_cast<BYTE*>(&stored), 4);
    EXPECT_EQ(ReadSpectrineLCDMode(&mode), 1);
    EXPECT_EQ(mode, 0x00020001u);

    EXPECT_EQ(GetSpectrineScreenType(1), 0);
    EXPECT_EQ(WriteSpectrineScreenType(1, 1), 1);
    EXPECT_EQ(WriteSpectrineScreenType(0, 0), 1);
    EXPECT_EQ(GetSpectrineScreenType(1), 1);
    EXPECT_EQ(GetSpectrineScreenType(0), 0);
    EXPECT_EQ(GetSpectrineScreenType(2), 0);
}

TEST_F(StoreValues, OverallGammaIsTheWeightedSumAndItsText) {
    ASSERT_EQ(WriteSpectrineOverallGamma(0.2295, 0.67, 0.1005, 2.1, 2.3, 2.5), 1);
    double g = 0;
    ASSERT_EQ(GetSpectrineOverallGamma(&g), 1);
    const double expected = 0.2295 * 2.1 + 0.67 * 2.3 + 0.1005 * 2.5;
    EXPECT_NEAR(g, expected, 5e-6);
    EXPECT_EQ(rawString("Calibration", "OverallGamma"), std::string("2.27", 5));
}

TEST_F(StoreValues, NumbersAreWrittenInTheCLocaleWhateverTheProcessLocale) {
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no comma-decimal locale installed on this machine";
    ASSERT_EQ(WriteSpectrineOverallGamma(1, 0, 0, 2.2, 0, 0), 1);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(rawString("Calibration", "OverallGamma"), std::string("2.20", 5));
}

TEST(FileInPath, SeparatorsAndEdges) {
    struct Case {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\WINDOWS\\SYSTEM\\COLOR\\Spectrine95.icm", "Spectrine95.icm"},
        {"/usr/lib/spectrine/huevista", "huevista"},
        {"C:file.inf", "file.inf"},
        {"bare.icm", "bare.icm"},
        {"", ""},
        {"dir\\", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const char* r = GetFileInPath(c.path);
        EXPECT_STREQ(r, c.name);
        EXPECT_EQ(r, c.path + std::strlen(c.path) - std::strlen(c.name)) << "points into the argument";
    }
    EXPECT_EQ(GetFileInPath(nullptr), nullptr);
}

}  // namespace

// A value is read whole whatever its length against the first read's buffer, a value over the
// limit is refused without touching the caller's data, and a missing one keeps it too.
TEST_F(StoreValues, ValuesAreReadWholeAroundTheFirstReadsSize) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Lengths", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    struct Case {
        size_t length;
        DWORD limit;
        LONG result;
    } cases[] = {{0, 100, ERROR_SUCCESS},   {1, 100, ERROR_SUCCESS},   {511, 1u << 20, ERROR_SUCCESS},
                 {512, 1u << 20, ERROR_SUCCESS}, {513, 1u << 20, ERROR_SUCCESS}, {5000, 1u << 20, ERROR_SUCCESS},
                 {5000, 5000, ERROR_SUCCESS}, {5001, 5000, ERROR_MORE_DATA}, {600, 513, ERROR_MORE_DATA},
                 {1, 0, ERROR_MORE_DATA},   {0, 0, ERROR_SUCCESS}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.length << " bytes, limit " << c.limit);
        std::vector<BYTE> bytes(c.length);
        for (size_t i = 0; i < c.length; ++i) bytes[i] = static_cast<BYTE>(i * 7 + 1);
        ASSERT_EQ(RegSetValueExA(key, "v", 0, REG_BINARY, bytes.data(), static_cast<DWORD>(c.length)), ERROR_SUCCESS);
        std::vector<BYTE> data(3, 0xbd);
        DWORD type = 0xdeadbeef;
        EXPECT_EQ(vlt::readValueCode(key, "v", type, data, c.limit), c.result);
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(data, c.result == ERROR_SUCCESS ? bytes : std::vector<BYTE>(3, 0xbd));
    }
    std::vector<BYTE> data(3, 0xbd);
    DWORD type = 0;
    EXPECT_EQ(vlt::readValueCode(key, "missing", type, data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(data, std::vector<BYTE>(3, 0xbd));
    RegCloseKey(key);
}
