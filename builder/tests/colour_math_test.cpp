// The colour model: inverses, the native white against a reference white, gains, colorants and
// the curves of a profile.
#include <gtest/gtest.h>

#include <cmath>

#include "colour_math.h"
#include "profile_content.h"

namespace {

using namespace builder;

Primaries srgb() {
    Primaries p;
    const double x[3] = {0.64, 0.30, 0.15}, y[3] = {0.33, 0.60, 0.06};
    for (int k = 0; k < 3; ++k) p.x[k] = x[k], p.y[k] = y[k];
    return p;
}
const Vec3 kD65{95.047, 100.0, 108.883};
const double kUnit[3] = {1, 1, 1}, kZero[3] = {0, 0, 0};

TEST(ColourMath, InverseUsesTheAdjugateAndRefusesSingularMatrices) {
    const Mat3 m{{{2, 0, 1}, {1, 3, 0}, {0, 1, 4}}};
    const auto inv = inverse(m);
    ASSERT_TRUE(inv);
    const Mat3 identity = multiply(m, *inv);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(identity[i][j], i == j ? 1.0 : 0.0, 1e-12) << i << j;
    EXPECT_NEAR((*inv)[0][0], 12.0 / 25.0, 1e-15);  // cofactor 12 over the determinant 25
    EXPECT_FALSE(inverse(Mat3{{{1, 2, 3}, {2, 4, 6}, {0, 1, 1}}})) << "rows 1 and 2 are parallel";
    Primaries same;  // three primaries at one point
    for (int k = 0; k < 3; ++k) same.x[k] = 0.3, same.y[k] = 0.3;
    EXPECT_FALSE(inverse(primaryMatrix(same)));
    EXPECT_FALSE(nativeWhiteFromChromaticity(same, 0.3127, 0.329));
}

TEST(ColourMath, FiveDecimalRounding) {
    EXPECT_DOUBLE_EQ(roundToFiveDecimals(0.312724999), 0.31272);
    EXPECT_DOUBLE_EQ(roundToFiveDecimals(0.3127251), 31273 * 0.00001);
    EXPECT_DOUBLE_EQ(roundToFiveDecimals(0.3290049), 32900 * 0.00001);
    EXPECT_DOUBLE_EQ(roundToFiveDecimals(0.329), 0.329);
}

TEST(ColourMath, UnitGainsShowTheReferenceWhiteWithSrgbLuminanceWeights) {
    const PowerLawModel model({2.2, 2.2, 2.2}, kZero);
    Vec3 luminances;
    for (int k = 0; k < 3; ++k) luminances[k] = model.luminance(k, 1.0);
    const auto white = nativeWhiteFromReference(srgb(), luminances, kD65);
    ASSERT_TRUE(white);
    EXPECT_DOUBLE_EQ(white->x, 0.31273);
    EXPECT_DOUBLE_EQ(white->y, 0.32902);
    EXPECT_NEAR(white->weights[0], 0.2126, 5e-4);
    EXPECT_NEAR(white->weights[1], 0.7152, 5e-4);
    EXPECT_NEAR(white->weights[2], 0.0722, 5e-4);
    // The same display described by its white point gives the same weights.
    const auto known = nativeWhiteFromChromaticity(srgb(), white->x, white->y);
    ASSERT_TRUE(known);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(known->weights[k], white->weights[k], 1e-4);
}

TEST(ColourMath, DimmedChannelMakesTheFullDriveWhiteBluer) {
    // Matching at red gain 0.9 means the full-drive red is brighter than the reference needs.
    const PowerLawModel model({2.0, 2.0, 2.0}, kZero);
    const Vec3 luminances{model.luminance(0, 0.9), 1.0, 1.0};
    const auto white = nativeWhiteFromReference(srgb(), luminances, kD65);
    ASSERT_TRUE(white);
    EXPECT_GT(white->x, 0.3127);
    EXPECT_FALSE(nativeWhiteFromReference(srgb(), {0.0, 1.0, 1.0}, kD65)) << "a dark channel";
}

TEST(ColourMath, GainsReachTheTargetWithTheBrightestChannelAtFull) {
    const PowerLawModel model({2.2, 2.2, 2.2}, kZero);
    const auto white = nativeWhiteFromChromaticity(srgb(), 0.31272, 0.32900);
    ASSERT_TRUE(white);
    const auto same = gainsForWhite(srgb(), white->xyz, 0.31272, 0.32900, model);
    ASSERT_TRUE(same);
    for (double g : *same) EXPECT_NEAR(g, 1.0, 1e-9);
    // 5000 K: red stays at full drive, blue is turned down most.
    const auto warm = gainsForWhite(srgb(), white->xyz, 0.3457, 0.3585, model);
    ASSERT_TRUE(warm);
    EXPECT_DOUBLE_EQ((*warm)[0], 1.0);
    EXPECT_LT((*warm)[2], (*warm)[1]);
    EXPECT_LT((*warm)[1], 1.0);
    // An offset: the drive for luminance 1 stays 1.
    const PowerLawModel withOffset({2.2, 2.2, 2.2}, {0.05, 0.05, 0.05});
    EXPECT_NEAR(withOffset.drive(0, withOffset.luminance(0, 0.7)), 0.7, 1e-12);
}

TEST(ColourMath, ColorantsOfSrgbAtD65) {
    const auto c = colorants(srgb(), 0.3127, 0.3290);
    ASSERT_TRUE(c);
    const double expected[3][3] = {{0.4124, 0.2126, 0.0193}, {0.3576, 0.7152, 0.1192}, {0.1805, 0.0722, 0.9505}};
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 3; ++i) EXPECT_NEAR((*c)[k][i], expected[k][i], 2e-4) << k << i;
    EXPECT_FALSE(colorants(srgb(), 0.3, 0.0)) << "y = 0 has no white";
}

TEST(ColourMath, CurveEntriesAtTheEnds) {
    struct Case {
        double gamma, offset;
        std::uint16_t first, last;
    } cases[] = {{2.2, 0.0, 0, 65535}, {1.0, 0.0, 0, 65535}, {0.5, 0.0, 0, 65535},
                 {2.0, 0.1, 655, 65535}, {2.0, -0.1, 0, 65535}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "gamma " << c.gamma << " offset " << c.offset);
        const auto curve = powerLawCurve(c.gamma, c.offset);
        ASSERT_EQ(curve.size(), 32u);
        EXPECT_EQ(curve[0], c.first);
        EXPECT_EQ(curve[31], c.last);
    }
    // Entry 16: t = floor(16 x 65535 / 31) / 65535 = 33824 / 65535.
    const double t = 33824.0 / 65535.0;
    EXPECT_EQ(powerLawCurve(2.2, 0.0)[16], static_cast<std::uint16_t>(std::trunc(65535 * std::pow(t, 2.2) + 0.5)));
    // The offset curve stays 0 while o + (1 - o) t <= 0: t <= 1/11 with o = -0.1, entries 0 to 2.
    const auto negative = powerLawCurve(2.0, -0.1);
    EXPECT_EQ(negative[2], 0);
    EXPECT_GT(negative[3], 0);
}

TEST(ColourMath, S15Fixed16TruncatesTowardZero) {
    EXPECT_EQ(toS15Fixed16(0.96420), 63189);
    EXPECT_EQ(toS15Fixed16(-0.5000076), -32768);
    EXPECT_EQ(toS15Fixed16(1e9), INT32_MAX);
    EXPECT_EQ(toS15Fixed16(-1e9), INT32_MIN);
    EXPECT_EQ(toS15Fixed16(std::nan("")), 0);
}

}  // namespace
