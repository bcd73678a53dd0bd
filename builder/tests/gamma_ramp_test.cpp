// SetGammaRamp and ResetGammaRamp on the virtual display: which preset is in force, the
// fallback with the recalibration warning, what is written back as "Current", and a whole
// calibration's presets and ramps on two monitors read back by another process.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "preset_test_support.h"
#include "second_process.h"

namespace {

using namespace buildertest;

using vlt::test::presetRecord;

std::vector<WORD> identity() {
    std::vector<WORD> r(768);
    for (int i = 0; i < 768; ++i) r[i] = static_cast<WORD>((i % 256) * 256);
    return r;
}

// The ramp ComputeProfiles gives for a target: what SetGammaRamp must load for it.
std::vector<WORD> rampFor(double gamma, DWORD temperature, DWORD flags, int monitor = 0) {
    std::vector<WORD> ramp(768, 0xbdbd);
    const double gammas[3] = {gamma, gamma, gamma};
    EXPECT_EQ(ComputeProfiles(nullptr, "", gammas, temperature, ramp.data(), flags, monitor), 1);
    return ramp;
}

std::string recordedProfile() {
    char text[MAX_PATH];
    std::memset(text, 0xbd, sizeof text);
    DWORD type = 0, size = sizeof text;
    if (GetSpectrineRegValue("ICM Registry Info", "MonitorICMProfile", &type, reinterpret_cast<BYTE*>(text), &size))
        return "<absent>";
    return std::string(text, strnlen(text, size));
}

// An installed suite with the shipped presets and monitor 0 calibrated at gamma 2.2 with its
// native white near D65 (a gain of 0.9 on blue under daylight), the family written.
class GammaRamp : public BuilderTest {
protected:
    void SetUp() override {
        BuilderTest::SetUp();
        installPresetFile();
        calibrate(0);
        ASSERT_EQ(WriteAllSpectrinePreset(), 1);
    }
    void calibrate(int monitor) {
        if (monitor == 0)
            addStandardMonitor(0);
        else
            addMonitor(monitor, "Second", std::string("Other, Panel 2, 1, 2, 1, ") + kSrgbPrimaries);
        Calibration cal;
        cal.gains[2] = 0.9;
        cal.whiteX = 0.3200, cal.whiteY = 0.3400;
        storeCalibration(monitor, cal);
        setLighting(3);
        storeUnadjusted("Unadjusted", "The monitor as it is");
    }
    static PresetRecord current() {
        PresetRecord r;
        std::memset(&r, 0xbd, sizeof r);
        EXPECT_EQ(ReadSpectrinePreset("Current", &r), 1);
        return r;
    }
};

TEST_F(GammaRamp, ThePresetInForceIsLoadedAndWrittenBack) {
    PresetRecord unadjusted{};
    ASSERT_EQ(ReadSpectrinePreset("Unadjusted", &unadjusted), 1);
    const LONG nativeKelvin = unadjusted.temperature;
    struct Case {
        const char* what;
        std::optional<PresetRecord> current;  // stored before the call
        bool unadjustedStored;
        // What is loaded and written back as "Current"
        double gamma;
        LONG temperature;
        DWORD computeFlags;
        LONG flags;
        const char* description;
        bool fallback;
    } cases[] = {
        {"a usable Current", presetRecord(2.4, 2.4, 2.4, 5000, PRESET_STANDARD, "Generic Laser"), true,
         2.4, 5000, 0x02, 0x8000, "Generic Laser", false},
        {"a Current of the user's own, unadjusted", presetRecord(1.8, 1.8, 1.8, 9300, PRESET_UNADJUSTED, "Mine"), true,
         1.8, 9300, 0x12, 0x8001, "Mine", false},
        {"Current naming the unadjusted preset", presetRecord(1.8, 1.8, 1.8, 5000, PRESET_STANDARD, "Unadjusted"), true,
         2.2, nativeKelvin, 0x12, 0x8001, "Unadjusted", false},
        {"Current with a gamma of 0", presetRecord(2.4, 0.0, 2.4, 5000, PRESET_STANDARD, "Zero"), true,
         2.2, nativeKelvin, 0x12, 0x8001, "Unadjusted", false},
        {"Current with a gamma of -0", presetRecord(2.4, 2.4, -0.0, 5000, PRESET_STANDARD, "Negative zero"), true,
         2.2, nativeKelvin, 0x12, 0x8001, "Unadjusted", false},
        {"Current with a negative gamma", presetRecord(-2.4, 2.4, 2.4, 5000, PRESET_STANDARD, "Negative"), true,
         2.2, nativeKelvin, 0x12, 0x8001, "Unadjusted", false},
        {"Current with a temperature of 0", presetRecord(2.4, 2.4, 2.4, 0, PRESET_STANDARD, "Cold"), true,
         2.2, nativeKelvin, 0x12, 0x8001, "Unadjusted", false},
        {"no Current", std::nullopt, true, 2.2, nativeKelvin, 0x12, 0x8001, "Unadjusted", false},
        {"nothing usable", std::nullopt, false, 2.0, 8500, 0x02, 0x8000, "", true},
        {"a stale unadjusted bit is cleared", presetRecord(0.0, 0.0, 0.0, 5000, PRESET_UNADJUSTED, "Old"), false,
         2.0, 8500, 0x02, 0x8000, "Old", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(WriteAllSpectrinePreset(), 1);
        if (!c.unadjustedStored) {
            ASSERT_EQ(DeleteSpectrinePreset("Unadjusted"), 1);
        }
        DeleteSpectrinePreset("Current");
        if (c.current) {
            ASSERT_EQ(WriteSpectrinePreset("Current", &*c.current), 1);
        }
        ASSERT_EQ(WriteSpectrineRegString("ICM Registry Info", "MonitorICMProfile", "registered.icm"), 1);
        const std::vector<WORD> expected = rampFor(c.gamma, static_cast<DWORD>(c.temperature), c.computeFlags);

        EXPECT_EQ(SetGammaRamp(0), 1);
        EXPECT_EQ(loadedRamp(0), expected);
        // The calibration's own gammas with its native white: the ramp changes nothing.
        EXPECT_EQ(loadedRamp(0) == identity(), (c.computeFlags & 0x10) && c.gamma == 2.2);
        const PresetRecord now = current();
        EXPECT_DOUBLE_EQ(now.gammaRed, c.gamma);
        EXPECT_DOUBLE_EQ(now.gammaBlue, c.gamma);
        EXPECT_EQ(now.temperature, c.temperature);
        EXPECT_EQ(now.flags, c.flags);
        EXPECT_STREQ(now.description, c.description);
        EXPECT_EQ(recordedProfile(), c.fallback ? "" : "registered.icm");
        EXPECT_EQ(CheckSpectrineStatus() == SPECTRINE_STATUS_NOT_CALIBRATED, c.fallback);
    }
}

TEST_F(GammaRamp, WithoutRampSupportNothingIsLoadedOrWritten) {
    const DWORD no = 0;
    ASSERT_EQ(WriteSpectrineRegValue("Debug", "GammaRamp", REG_DWORD, reinterpret_cast<const BYTE*>(&no), sizeof no),
              ERROR_SUCCESS);
    DeleteSpectrinePreset("Current");
    const RegistrySnapshot before = registrySnapshot();
    const std::vector<WORD> ramp = loadedRamp(0);
    EXPECT_EQ(SetGammaRamp(0), 0);
    EXPECT_EQ(ResetGammaRamp(0), 0);
    EXPECT_TRUE(registrySnapshot() == before);
    EXPECT_EQ(loadedRamp(0), ramp) << "nothing was loaded";
}

TEST_F(GammaRamp, AScreenWithoutARampHasNone) {
    writeDisplayIni({spx::test::sixteenColourScreen()});
    WinplatResetProcessState();
    DeleteSpectrinePreset("Current");
    EXPECT_EQ(IsGammaRampSupported() & 1, 0);
    const RegistrySnapshot before = registrySnapshot();
    EXPECT_EQ(SetGammaRamp(0), 0);
    EXPECT_EQ(ResetGammaRamp(0), 0);
    EXPECT_TRUE(registrySnapshot() == before);
}

TEST_F(GammaRamp, ARampThatCannotBeComputedIsNotLoadedButCurrentIsWritten) {
    const PresetRecord laser = presetRecord(2.4, 2.4, 2.4, 5000, PRESET_STANDARD, "Generic Laser");
    ASSERT_EQ(WriteSpectrinePreset("Current", &laser), 1);
    ASSERT_EQ(SetGammaRamp(0), 1);
    const std::vector<WORD> loaded = loadedRamp(0);
    const PresetRecord kelvin = presetRecord(2.2, 2.2, 2.2, 3000, 0, "No white point");
    ASSERT_EQ(WriteSpectrinePreset("Current", &kelvin), 1);
    EXPECT_EQ(SetGammaRamp(0), 0) << "3000 K has no white point";
    EXPECT_EQ(loadedRamp(0), loaded) << "the ramp before stays";
    EXPECT_EQ(current().flags, PRESET_STANDARD) << "written back with the standard bit";
    EXPECT_EQ(current().temperature, 3000);
    ASSERT_EQ(WriteSpectrineRegValue("Settings", "Monitor", REG_SZ, nullptr, 0), ERROR_SUCCESS);
    ASSERT_EQ(WriteSpectrinePreset("Current", &laser), 1);
    EXPECT_EQ(SetGammaRamp(0), 0) << "no monitor name";
    EXPECT_EQ(loadedRamp(0), loaded);
    EXPECT_STREQ(current().description, "Generic Laser");
}

TEST_F(GammaRamp, ResetLoadsTheIdentityOnItsMonitorOnly) {
    writeDisplayIni(spx::test::monitorsSideBySide(2));
    WinplatResetProcessState();
    calibrate(1);
    const PresetRecord laser = presetRecord(2.4, 2.4, 2.4, 5000, PRESET_STANDARD, "Generic Laser");
    for (int reset : {0, 1}) {
        SCOPED_TRACE(reset);
        ASSERT_EQ(WriteSpectrinePreset("Current", &laser), 1);
        ASSERT_EQ(SetGammaRamp(0), 1);
        ASSERT_EQ(SetGammaRamp(1), 1);
        const std::vector<WORD> other = loadedRamp(1 - reset);
        ASSERT_NE(other, identity());
        EXPECT_EQ(ResetGammaRamp(reset), 1);
        EXPECT_EQ(loadedRamp(reset), identity());
        EXPECT_EQ(loadedRamp(1 - reset), other);
    }
    EXPECT_EQ(ResetGammaRamp(2), 0) << "no third monitor";
}

// The end of a calibration on two monitors, as the wizard finishes it: calibrations stored,
// the profile family of each monitor (the first last), the presets, each monitor's ramp; then
// another process reads both ramps back, and the status check finds the registration holding.
TEST_F(GammaRamp, TwoMonitorsEndToEnd) {
    writeDisplayIni(spx::test::monitorsSideBySide(2));
    WinplatResetProcessState();
    calibrate(1);
    Calibration second;
    second.gammas[0] = second.gammas[1] = second.gammas[2] = 1.8;
    storeCalibration(1, second);
    DeleteSpectrinePreset("Current");
    const double unadjustedTargets[2][3] = {{2.2, 2.2, 2.2}, {1.8, 1.8, 1.8}};
    for (int monitor = 1; monitor >= 0; --monitor)
        ASSERT_EQ(ComputeProfiles(nullptr, "Unadjusted", unadjustedTargets[monitor], 6500, nullptr, 0x11, monitor), 1);
    ASSERT_EQ(colourFiles().size(), 8u) << "four profiles per monitor";
    for (const std::string& name : colourFiles()) {
        SCOPED_TRACE(name);
        icctest::expectReadersAccept(colourPath(name));
    }
    ASSERT_EQ(WriteAllSpectrinePreset(), 1);

    // The preset in force: the printer group's laser target, as the display page applies it.
    PresetRecord laser{};
    laser.size = PRESETRECORD_SIZE;
    ASSERT_EQ(ReadSpectrinePreset0("Match screen To Printer...", "Generic Laser", &laser), 1);
    std::strcpy(laser.description, "Match screen To Printer...Generic Laser");
    ASSERT_EQ(WriteSpectrinePreset("Current", &laser), 1);
    const std::vector<WORD> expected[2] = {rampFor(2.4, 5000, 0x02, 0), rampFor(2.4, 5000, 0x02, 1)};
    ASSERT_NE(expected[0], expected[1]) << "each monitor's own calibration";
    for (int monitor = 1; monitor >= 0; --monitor) EXPECT_EQ(SetGammaRamp(monitor), 1) << monitor;

    const std::string answer = spx::test::inSecondProcess([](std::string& out) {
        winplat::DeviceContext screen = winplat::DeviceContext::screen();
        for (int monitor = 0; monitor < 2; ++monitor) {
            std::vector<WORD> ramp(768, 0xbdbd);
            if (!VLTGetDeviceGammaRamp(screen.get(), ramp.data(), monitor)) return 10 + monitor;
            out.append(reinterpret_cast<const char*>(ramp.data()), ramp.size() * sizeof(WORD));
        }
        return CheckSpectrineStatus();  // the exit status: 0 when the registration holds
    });
    ASSERT_EQ(answer.size(), 2 * 768 * sizeof(WORD));
    for (int monitor = 0; monitor < 2; ++monitor) {
        SCOPED_TRACE(monitor);
        std::vector<WORD> seen(768);
        std::memcpy(seen.data(), answer.data() + monitor * 768 * sizeof(WORD), 768 * sizeof(WORD));
        EXPECT_EQ(seen, expected[monitor]);
    }
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    char inForce[64];
    ASSERT_EQ(GetSpectrineCurrentPresetName(inForce, sizeof inForce), 1);
    EXPECT_STREQ(inForce, "Match screen To Printer...Generic Laser");
}

}  // namespace
