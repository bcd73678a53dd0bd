// The tone model: Motta K and gamma from the black point and the tone matches (estimates that
// cannot be taken are left out), the panel table handed to the panel builder, and the inverse
// model that turns a wanted linear level into a video level.
#include <gtest/gtest.h>

#include <cmath>

#include "fresh_root.h"
#include "panelforge.h"
#include "tone_model.h"

namespace {

using huevista::CalibrationRecord;

class ToneModelTest : public spx::test::FreshRootTest {};

double paperGamma(int black, int shadow, int highlight) {
    const double k = -(black / 255.0) / (1.0 - black / 255.0);
    return (14.556 * std::log(1.0 / 3.0) / std::log(k + (1 - k) * shadow / 255.0) +
            8.868 * std::log(2.0 / 3.0) / std::log(k + (1 - k) * highlight / 255.0)) /
           23.424;
}

TEST_F(ToneModelTest, MottaGammaWeighsTheTwoEstimatesAndDropsTheOnesThatCannotBeTaken) {
    const double highlightOnly = std::log(2.0 / 3.0) / std::log(208.0 / 255.0);
    const double shadowOnly = std::log(1.0 / 3.0) / std::log(160.0 / 255.0);
    struct Case {
        const char* name;
        int black, shadow, highlight;
        double expected;
        double tolerance;
    };
    const Case cases[] = {
        {"black 0, 160, 208", 0, 160, 208, 2.218206, 5e-7},
        {"black 8, 160, 208", 8, 160, 208, 2.13340, 5e-6},
        {"the same through the formula", 8, 160, 208, paperGamma(8, 160, 208), 1e-12},
        {"highlight at full level: its estimate goes", 0, 160, 255, shadowOnly, 1e-12},
        // With K = -b / (255 - b) the argument is (level - b) / (255 - b).
        {"shadow at the black point: its estimate goes", 8, 8, 208, std::log(2.0 / 3.0) / std::log(200.0 / 247.0), 1e-12},
        {"shadow below the black point", 40, 16, 208, std::log(2.0 / 3.0) / std::log(168.0 / 215.0), 1e-12},
        {"shadow unset", 0, -1, 208, highlightOnly, 1e-12},
        {"both at or below the black point", 40, 40, 30, 2.0, 0},
        {"both at full level", 0, 255, 255, 2.0, 0},
        {"nothing measured", -1, -1, -1, 2.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double gamma = huevista::mottaGamma(huevista::mottaK(c.black), c.shadow, c.highlight);
        EXPECT_TRUE(std::isfinite(gamma));
        EXPECT_NEAR(gamma, c.expected, c.tolerance);
    }
}

TEST_F(ToneModelTest, MottaKPutsLightZeroAtTheBlackPoint) {
    EXPECT_DOUBLE_EQ(huevista::mottaK(0), 0.0);
    EXPECT_DOUBLE_EQ(huevista::mottaK(8), -8.0 / 247.0);
    EXPECT_DOUBLE_EQ(huevista::mottaK(-8), 8.0 / 263.0);
    EXPECT_DOUBLE_EQ(huevista::mottaK(255), 0.0);  // not a number otherwise
}

TEST_F(ToneModelTest, TheRecordTakesKAndGammaPerChannel) {
    CalibrationRecord record = CalibrationRecord::fresh(huevista::kCrt);
    const int black[3] = {8, 0, 255}, shadow[3] = {160, 160, 200}, highlight[3] = {208, 255, 230};
    for (int ch = 0; ch < 3; ++ch) {
        record.black[ch] = black[ch];
        record.shadow[ch] = shadow[ch];
        record.highlight[ch] = highlight[ch];
        record.mottaK[ch] = record.mottaGamma[ch] = 0xdeadbeef;
    }
    huevista::computeMottaModel(record);
    EXPECT_DOUBLE_EQ(record.mottaK[0], -8.0 / 247.0);
    EXPECT_NEAR(record.mottaGamma[0], 2.13340, 5e-6);
    EXPECT_DOUBLE_EQ(record.mottaGamma[1], std::log(1.0 / 3.0) / std::log(160.0 / 255.0));
    for (int ch = 0; ch < 3; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_TRUE(std::isfinite(record.mottaK[ch]));
        EXPECT_TRUE(std::isfinite(record.mottaGamma[ch]));
    }
}

TEST_F(ToneModelTest, TheInverseCrtModelMapsTheEndsToTheBlackPointAndFullLevel) {
    CalibrationRecord record = CalibrationRecord::fresh(huevista::kCrt);
    for (int ch = 0; ch < 3; ++ch) record.black[ch] = 8, record.shadow[ch] = 160, record.highlight[ch] = 208;
    huevista::computeMottaModel(record);
    struct Case {
        double wanted;
        int expected;
    };
    const double gamma = record.mottaGamma[0], k = record.mottaK[0];
    const Case cases[] = {
        {0, 8},
        {255, 255},
        {-5, 8},
        {300, 255},
        {128, static_cast<int>(255 * ((std::pow(128 / 255.0, 1 / gamma) - k) / (1 - k)))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wanted);
        for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(huevista::inverseToneLevel(record, c.wanted, ch), c.expected);
    }
    EXPECT_EQ(huevista::inverseToneLevel(record, 100, 3), 0);
}

TEST_F(ToneModelTest, PanelsGoThroughTheBuildersModelTables) {
    CalibrationRecord record = CalibrationRecord::fresh(huevista::kFlatPanel);
    record.shadowInput = 1.0 / 3, record.midtoneInput = 0.5, record.highlightInput = 2.0 / 3;
    const int shadow[3] = {150, 160, 170}, midtone[3] = {180, 185, 190}, highlight[3] = {210, 215, 220};
    for (int ch = 0; ch < 3; ++ch)
        record.shadow[ch] = shadow[ch], record.midtone[ch] = midtone[ch], record.highlight[ch] = highlight[ch];
    const auto table = huevista::panelTable(record);
    const double expected[12] = {1.0 / 3, 150 / 255.0, 160 / 255.0, 170 / 255.0, 0.5, 180 / 255.0, 185 / 255.0,
                                 190 / 255.0, 2.0 / 3, 210 / 255.0, 215 / 255.0, 220 / 255.0};
    for (int i = 0; i < 12; ++i) EXPECT_DOUBLE_EQ(table[static_cast<size_t>(i)], expected[i]) << i;

    EXPECT_EQ(huevista::beginToneModel(record), 1);
    BeginIOModelTable(table.data());
    for (int level : {0, 64, 128, 255})
        for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(huevista::inverseToneLevel(record, level, ch), DoIOModel(level, ch));
    huevista::endToneModel(record);
}

}  // namespace
