// Colour temperature <-> white point, including the edges of both ranges.
#include <gtest/gtest.h>

#include "vltutil.h"

namespace {

TEST(WhitePointFromTemperature, DaylightLocusValues) {
    struct Case {
        DWORD kelvin;
        double x, y;
    } cases[] = {
        {6500, 0.31278, 0.32918},
        {5000, 0.34574, 0.35867},
        {9300, 0.28315, 0.29711},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kelvin);
        double x = -1, y = -1;
        EXPECT_EQ(GetWhitePointFromTemperature(&x, &y, c.kelvin), 1);
        EXPECT_NEAR(x, c.x, 5e-5);
        EXPECT_NEAR(y, c.y, 5e-5);
        // y always follows from the x just computed
        EXPECT_DOUBLE_EQ(y, (-3.0 * x + 2.87) * x - 0.275);
    }
}

TEST(WhitePointFromTemperature, RangeEdges) {
    struct Case {
        DWORD kelvin;
        int result;
    } cases[] = {{0, 0}, {4000, 0}, {4001, 1}, {25000, 1}, {25001, 0}, {0xffffffffu, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kelvin);
        double x = -1, y = -1;
        EXPECT_EQ(GetWhitePointFromTemperature(&x, &y, c.kelvin), c.result);
        if (!c.result) {
            EXPECT_EQ(x, 0.0);
            EXPECT_EQ(y, 0.0);
        }
    }
}

TEST(WhitePointFromTemperature, SevenThousandUsesTheLowerFormula) {
    double x7000, y, x7001;
    ASSERT_EQ(GetWhitePointFromTemperature(&x7000, &y, 7000), 1);
    ASSERT_EQ(GetWhitePointFromTemperature(&x7001, &y, 7001), 1);
    const double t = 7000.0;
    EXPECT_DOUBLE_EQ(x7000, 2967800.0 / (t * t) + -4607000000.0 / (t * (t * t)) + 0.244063 + 99.11 / t);
    const double u = 7001.0;
    EXPECT_DOUBLE_EQ(x7001, 1901800.0 / (u * u) + -2006400000.0 / (u * (u * u)) + 0.23704 + 247.48 / u);
}

TEST(TemperatureFromWhitePoint, KnownIlluminants) {
    struct Case {
        const char* name;
        double x, y;
        DWORD kelvin;
        int result;
    } cases[] = {
        {"D65", 0.3127, 0.3290, 6505, 1},
        {"D50", 0.3457, 0.3585, 5001, 1},
        {"A", 0.4476, 0.4074, 2856, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD t = 0xdeadbeef;
        EXPECT_EQ(GetTemperatureFromWhitePoint(&t, c.x, c.y), c.result);
        EXPECT_EQ(t, c.kelvin) << "stored also when out of range";
    }
}

TEST(TemperatureFromWhitePoint, NegativeAndSingularPointsFail) {
    DWORD t = 0;
    // Far beyond the blue end McCamy's cubic goes negative; as an unsigned number that is huge.
    EXPECT_EQ(GetTemperatureFromWhitePoint(&t, 0.9, 0.19), 0);
    EXPECT_GT(t, 11000u);
    EXPECT_EQ(GetTemperatureFromWhitePoint(&t, 0.3, 0.1858), 0);
}

TEST(TemperatureFromWhitePoint, RoundTripsThroughTheLocus) {
    for (DWORD k = 5500; k <= 9000; k += 500) {
        SCOPED_TRACE(k);
        double x, y;
        ASSERT_EQ(GetWhitePointFromTemperature(&x, &y, k), 1);
        DWORD back = 0;
        EXPECT_EQ(GetTemperatureFromWhitePoint(&back, x, y), 1);
        EXPECT_NEAR(static_cast<double>(back), static_cast<double>(k), 0.01 * k);
    }
}

}  // namespace
