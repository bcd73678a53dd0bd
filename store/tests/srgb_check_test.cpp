// ChecksRGB: when the sRGB profile stands in for a requested target.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "registration_test_support.h"

namespace {

class SrgbCheck : public vlt::test::RegistrationTest {};

struct Case {
    const char* what;
    int kind;
    std::optional<DWORD> switches;  // "Settings" "sRGBSwitch"
    DWORD temperature;
    double red, green, blue;
    int expected;  // with the sRGB file present; 0 without it in every case
};

TEST_F(SrgbCheck, KindsSwitchesTemperatureAndGammas) {
    Case cases[] = {
        {"kind 1 at 6500", 1, std::nullopt, 6500, 2.2, 2.2, 2.2, 1},
        {"gamma 2.21", 1, std::nullopt, 6500, 2.21, 2.2, 2.2, 0},
        {"green 2.2000001, as a slider makes it", 1, std::nullopt, 6500, 2.2, 2.2000001, 2.2, 1},
        {"red 2.1951", 1, std::nullopt, 6500, 2.1951, 2.2, 2.2, 1},
        {"blue 2.2049", 1, std::nullopt, 6500, 2.2, 2.2, 2.2049, 1},
        {"green 2.194", 1, std::nullopt, 6500, 2.2, 2.194, 2.2, 0},
        {"red 2.206", 1, std::nullopt, 6500, 2.206, 2.2, 2.2, 0},
        {"a gamma that is not a number", 1, std::nullopt, 6500, 2.2, std::nan(""), 2.2, 0},
        {"blue 1.8", 1, std::nullopt, 6500, 2.2, 2.2, 1.8, 0},
        {"6400", 1, std::nullopt, 6400, 2.2, 2.2, 2.2, 0},
        {"6401", 1, std::nullopt, 6401, 2.2, 2.2, 2.2, 1},
        {"6599", 1, std::nullopt, 6599, 2.2, 2.2, 2.2, 1},
        {"6600", 1, std::nullopt, 6600, 2.2, 2.2, 2.2, 0},
        {"kind 1 whatever the switch", 1, 0, 6500, 2.2, 2.2, 2.2, 1},
        {"kind 0 switch absent", 0, std::nullopt, 6500, 2.2, 2.2, 2.2, 1},
        {"kind 0 switch 1", 0, 1, 6500, 2.2, 2.2, 2.2, 1},
        {"kind 0 switch 2", 0, 2, 6500, 2.2, 2.2, 2.2, 0},
        {"kind 3 switch absent", 3, std::nullopt, 6500, 2.2, 2.2, 2.2, 1},
        {"kind 3 switch 2", 3, 2, 6500, 2.2, 2.2, 2.2, 1},
        {"kind 3 switch 1", 3, 1, 6500, 2.2, 2.2, 2.2, 0},
        {"kind 3 switch 3", 3, 3, 6500, 2.2, 2.2, 2.2, 1},
        {"kind 2", 2, std::nullopt, 6500, 2.2, 2.2, 2.2, 0},
        {"kind -1", -1, std::nullopt, 6500, 2.2, 2.2, 2.2, 0},
    };
    for (bool present : {true, false}) {
        if (present)
            colourFile("sRGB Color Space Profile.icm");
        else
            removeColourFile("sRGB Color Space Profile.icm");
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << (present ? ", file present" : ", no file"));
            if (c.switches)
                setSuiteDword("Settings", "sRGBSwitch", *c.switches);
            else
                WriteSpectrineRegValue("Settings", "sRGBSwitch", REG_DWORD, nullptr, 0);
            EXPECT_EQ(ChecksRGB(c.kind, c.temperature, c.red, c.green, c.blue),
                      present ? c.expected : 0);
        }
    }
}

TEST_F(SrgbCheck, TheSwitchNeedsOnlyItsFourBytes) {
    colourFile("sRGB Color Space Profile.icm");
    DWORD two = 2;
    ASSERT_EQ(WriteSpectrineRegValue("Settings", "sRGBSwitch", REG_BINARY,
                                     reinterpret_cast<const BYTE*>(&two), 4),
              ERROR_SUCCESS);
    EXPECT_EQ(ChecksRGB(0, 6500, 2.2, 2.2, 2.2), 0);
    // Two bytes are no switch: every bit counts as set.
    ASSERT_EQ(WriteSpectrineRegValue("Settings", "sRGBSwitch", REG_BINARY,
                                     reinterpret_cast<const BYTE*>(&two), 2),
              ERROR_SUCCESS);
    EXPECT_EQ(ChecksRGB(0, 6500, 2.2, 2.2, 2.2), 1);
}

}  // namespace
