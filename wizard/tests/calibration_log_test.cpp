// The calibration log's bytes: the header once, a second append after the first, the fifteen
// lines of a CRT and a panel block (unset integers -1, numbers with six decimals in the C
// locale), "Table Color 1" as the light of the matched level, and a log that cannot be written.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>

#include "calibration_log.h"
#include "fake_suite.h"
#include "fresh_root.h"

namespace {

using huevista::CalibrationRecord;
using huevista::test::readText;

CalibrationRecord crt() {
    CalibrationRecord r = CalibrationRecord::fresh(huevista::kCrt);
    for (int ch = 0; ch < 3; ++ch) {
        r.black[ch] = 8 + ch;
        r.shadow[ch] = 160;
        r.highlight[ch] = 208;
        r.mottaK[ch] = -0.25;
        r.mottaGamma[ch] = 2.0;
        r.tableColor[ch] = 0.5 + 0.25 * ch;
    }
    r.lighting = 3;
    r.luminance = 21;
    r.color = 12;
    r.temperature = 6504;
    r.whitePoint[0] = 95.047;
    r.whitePoint[1] = 100.0;
    r.whitePoint[2] = 108.883;
    return r;
}

class CalibrationLogTest : public spx::test::FreshRootTest {};

TEST_F(CalibrationLogTest, BlocksHaveTheirFifteenLinesInTheCLocale) {
    CalibrationRecord panel = crt();
    panel.displayType = huevista::kFlatPanel;
    panel.midtone[0] = 120, panel.midtone[1] = 121, panel.midtone[2] = 122;
    const struct {
        const char* name;
        CalibrationRecord record;
        const char* screen;
        const char* midtone;
    } cases[] = {{"CRT", crt(), "Screen,0\n", "Gamma 50,,-1,-1,-1\n"},
                 {"panel", panel, "Screen,1\n", "Gamma 50,,120,121,122\n"}};
    // A locale with a decimal comma must not change a byte.
    const char* saved = std::setlocale(LC_ALL, nullptr);
    const std::string before = saved ? saved : "C";
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Light of the level: (K + (1 - K) t)^gamma = (-0.25 + 1.25 t)^2.
        const std::string expected = std::string("\n") + c.screen + "BlackPoint,,8,9,10\nGamma 33,,160,160,160\n" +
                                     c.midtone +
                                     "Gamma 66,,208,208,208\nLighting,3\nContrast,21\nColor,12\n"
                                     "Table Color,,0.500000,0.750000,1.000000\n"
                                     "Table Color 1,,0.140625,0.472656,1.000000\n"
                                     "Motta K,,-0.250000,-0.250000,-0.250000\n"
                                     "Motta Gamma,,2.000000,2.000000,2.000000\n"
                                     "Temperature,6504\nWhitePoint,,95.047000,100.000000,108.883000\n";
        EXPECT_EQ(huevista::logBlock(c.record), expected);
    }
    std::setlocale(LC_ALL, before.c_str());
}

TEST_F(CalibrationLogTest, TheHeaderStartsANewFileAndLaterBlocksAppend) {
    const std::string path = root() + "/Huevista.csv";
    EXPECT_EQ(huevista::logPathFor(root() + "/suite/huevista"), root() + "/suite/Huevista.csv");
    ASSERT_TRUE(huevista::appendLog(path, crt()));
    const std::string block = huevista::logBlock(crt());
    EXPECT_EQ(readText(path), ",,Red,Green,Blue\n" + block);
    ASSERT_TRUE(huevista::appendLog(path, crt()));
    EXPECT_EQ(readText(path), ",,Red,Green,Blue\n" + block + block);
}

TEST_F(CalibrationLogTest, ALogThatCannotBeWrittenFailsAndChangesNothing) {
    const struct {
        const char* name;
        std::string path;
    } cases[] = {{"a directory in its place", root() + "/Huevista.csv"},
                 {"a missing folder", root() + "/missing/Huevista.csv"}};
    std::filesystem::create_directory(root() + "/Huevista.csv");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(huevista::appendLog(c.path, crt()));
    }
    EXPECT_TRUE(std::filesystem::is_directory(root() + "/Huevista.csv"));
    EXPECT_FALSE(std::filesystem::exists(root() + "/missing"));
}

}  // namespace
