// ComputeWhitePoint against the white point reference file, the file's own format, and the file
// the suite ships.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "builder_test_support.h"
#include "colorimetry.h"
#include "whitepoint_file.h"

namespace {

using namespace buildertest;

class WhitePoint : public BuilderTest {
protected:
    void SetUp() override {
        BuilderTest::SetUp();
        addStandardMonitor();
    }
    // ComputeWhitePoint with unit gains and no offsets; the output starts at the markers.
    std::pair<double, double> compute(int lighting, const double (&gains)[3] = kUnit, int monitor = 0,
                                      const char* name = "Kalvenmor Model 17") {
        double out[2] = {-1.0, -2.0};
        const double gammas[3] = {2.2, 2.2, 2.2}, offsets[3] = {0, 0, 0};
        ComputeWhitePoint(out, name, gammas, offsets, gains, lighting, monitor);
        return {out[0], out[1]};
    }
    static constexpr double kUnit[3] = {1, 1, 1};
};

TEST_F(WhitePoint, ReferenceValuesReadTheSameWithOrWithoutBlanks) {
    writeReferenceFile("D50Ref_0=95.047,100,108.883\n"
                       "D50Ref_1= 95.047 , 100 , 108.883 \n"
                       "D50Ref_2=\t95.047\t,\t100\t,\t108.883\n"
                       "D50Ref_3=95.047, 100\n"
                       "D50Ref_4=95,047; 100; 108,883\n"
                       "D50Ref_5=nan, 100, 100\n"
                       "D50Ref_6=\n");
    const auto blankless = compute(0);
    EXPECT_DOUBLE_EQ(blankless.first, 0.31273);
    EXPECT_DOUBLE_EQ(blankless.second, 0.32902);
    EXPECT_EQ(compute(1), blankless);
    EXPECT_EQ(compute(2), blankless);
    for (int lighting : {3, 4, 5, 6, 8}) {
        SCOPED_TRACE(lighting);
        EXPECT_EQ(compute(lighting), std::make_pair(-1.0, -2.0)) << "no reference white: the output stays";
    }
}

TEST_F(WhitePoint, LightingSevenReadsReferenceSevenButNameFive) {
    writeReferenceFile("D50Ref_5=96.422, 100, 82.521\nD50Ref_7=109.850, 100, 35.585\n"
                       "Name_5=Five\nName_7=Seven\n");
    const auto white = compute(7);
    EXPECT_NEAR(white.first, 0.4476, 1e-4) << "illuminant A, the reference of choice 7";
    EXPECT_NEAR(white.second, 0.4074, 1e-4);
    // The profile's summary names lighting 7 by "Name_5".
    setLighting(7);
    storeCalibration(0, Calibration{});
    ASSERT_EQ(ComputeProfiles(nullptr, "", Calibration{}.gammas, 6500, nullptr, 0x11, 0), 1);
    const std::string summary = descriptionOf(icctest::readBytes(colourPath("Netvivid.icc")), "K007");
    EXPECT_EQ(summary.substr(summary.rfind('\t') + 1), "Five");
}

TEST_F(WhitePoint, NothingIsStoredWithoutADescriptionLineOrInputs) {
    EXPECT_EQ(compute(3, kUnit, 0, "Unknown Monitor"), std::make_pair(-1.0, -2.0));
    const double gammas[3] = {2.2, 2.2, 2.2}, zero[3] = {0, 0, 0};
    double out[2] = {-1.0, -2.0};
    ComputeWhitePoint(out, "Kalvenmor Model 17", gammas, zero, zero, 3, 0);  // black channels
    EXPECT_EQ(out[0], -1.0);
    ComputeWhitePoint(out, nullptr, gammas, zero, zero, 3, 0);
    ComputeWhitePoint(nullptr, "Kalvenmor Model 17", gammas, zero, zero, 3, 0);
    EXPECT_EQ(out[1], -2.0);
    // An INF key answers every monitor: the numbered form serves monitor 3 too.
    EXPECT_NE(compute(3, kUnit, 3).first, -1.0);
}

TEST_F(WhitePoint, ShippedReferenceWhitesAreTheLightsOwnWhites) {
    // CIE 1931 chromaticities of F2, A and D65 (CIE 15), and of Planck's radiator at 3200 K.
    const struct {
        int lighting;
        double x, y;
    } cases[] = {{0, 0.3721, 0.3751}, {1, 0.4476, 0.4074}, {2, 0.4234, 0.3990}, {3, 0.3127, 0.3290}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lighting);
        const auto white = compute(c.lighting);
        EXPECT_NEAR(white.first, c.x, 0.002);
        EXPECT_NEAR(white.second, c.y, 0.002);
    }
}

TEST_F(WhitePoint, ShippedFileHoldsNamesAndSliderTables) {
    const std::string file = whitepoint::referenceFile();
    EXPECT_EQ(file, rootPath("suite/huevista.ini"));
    const char* names[6] = {"Fluorescent", "Incandescent", "Halogen", "Daylight", "Mixed", "Other"};
    for (int n = 0; n < 6; ++n) EXPECT_EQ(whitepoint::readText(file, whitepoint::key("Name_", n)), names[n]);
    const int entries = GetPrivateProfileIntA(whitepoint::kSection, "Nb Of Entries", 0, file.c_str());
    ASSERT_GT(entries, 1);
    EXPECT_EQ(whitepoint::readText(file, "Default"), std::to_string(entries / 2) + ", " + std::to_string(entries / 2));
    for (const char* series : {"CRT_", "LCD_"})
        for (int a = 0; a < 4; ++a)
            for (int i = 0; i < entries; ++i) {
                SCOPED_TRACE(whitepoint::key(series, a, i));
                double rgb[3];
                ASSERT_TRUE(whitepoint::readTriple(file, whitepoint::key(series, a, i), rgb));
                EXPECT_DOUBLE_EQ(std::max(rgb[0], std::max(rgb[1], rgb[2])), 1.0);
                for (double v : rgb) EXPECT_GE(v, 0.0);
            }
    // A D65 card on the D65 display of the LCD series is the display's white.
    double middle[3];
    ASSERT_TRUE(whitepoint::readTriple(file, whitepoint::key("LCD_", 3, entries / 2), middle));
    for (double v : middle) EXPECT_NEAR(v, 1.0, 1e-4);
}

TEST(WhitePointFile, ShippedFileIsWhatTheGeneratorWrites) {
    const std::string command = std::string("'") + MAKE_HUEVISTA_INI + "' '" + WHITEPOINT_INF + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string generated;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) generated.append(buffer, n);
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const auto shipped = icctest::readBytes(WHITEPOINT_INI);
    EXPECT_EQ(generated, std::string(shipped.begin(), shipped.end()))
        << "data/huevista.ini is out of date: cmake --build build --target huevista_ini";
}

TEST(WhitePointFile, ObserverAndBlackBodiesMatchTheCieValues) {
    // Equal energy is the achromatic point; A's chromaticity; the locus temperature found back.
    whitetool::Spectrum flat{380.0, 5.0, std::vector<double>(81, 1.0)};
    const auto e = whitetool::chromaticity(whitetool::tristimulus(flat));
    EXPECT_NEAR(e.x, 1.0 / 3.0, 0.003);
    EXPECT_NEAR(e.y, 1.0 / 3.0, 0.003);
    const auto a = whitetool::planckian(2856);
    EXPECT_NEAR(a.x, 0.4476, 0.002);
    EXPECT_NEAR(a.y, 0.4074, 0.002);
    EXPECT_NEAR(whitetool::correlatedTemperature(whitetool::planckian(3200)), 3200, 0.5);
    const auto f2 = whitetool::chromaticity(whitetool::tristimulus(whitetool::illuminantF2()));
    // 4230 K with the tabulated observer; the fitted one lands within 2 reciprocal megakelvin.
    EXPECT_NEAR(1e6 / whitetool::correlatedTemperature(f2), 1e6 / 4230, 2.0);
}

// The values read as their format " %lf , %lf , %lf" reads them in the C locale: any white
// space around the numbers and commas, the rest after the third number ignored; a value that
// is refused leaves the output alone.
TEST(WhitePointFile, ValuesParseInTheCLocaleWithTheDocumentedBlanks) {
    struct Case {
        const char* text;
        bool ok;
        double v[3];
    } cases[] = {{"1,2,3", true, {1, 2, 3}},        {" 1.5 , -2 , 3e1 ", true, {1.5, -2, 30}},
                 {"1\v,\f2\r,\n3", true, {1, 2, 3}}, {"1, 2, 3, 4", true, {1, 2, 3}},
                 {"1, 2, 3e", true, {1, 2, 3}},     {"+2, 0x10, .5", true, {2, 16, 0.5}},
                 {"2E, 1, 1", false, {}},           {"1 2 3", false, {}},
                 {"1,2", false, {}},                {"1,,3", false, {}},
                 {"inf, 1, 1", false, {}},          {"1, 1e999, 1", false, {}},
                 {"1;2;3", false, {}},              {"", false, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double out[3] = {-7, -7, -7};
        EXPECT_EQ(whitepoint::parseTriple(c.text, out), c.ok);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(out[i], c.ok ? c.v[i] : -7);
    }
}

TEST(WhitePointFile, SliderTablesSpreadOverTheWizardsPositions) {
    struct Case {
        int entries, perEntry, positions;
    } cases[] = {{5, 10, 41}, {55, 1, 55}, {10, 5, 46}, {11, 4, 41}, {1, 54, 1}, {0, 0, 0}, {-3, 0, 0}, {200, 1, 200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        const auto s = whitepoint::sliderSpread(c.entries);
        EXPECT_EQ(s.perEntry, c.perEntry);
        EXPECT_EQ(s.positions, c.positions);
    }
}

}  // namespace
