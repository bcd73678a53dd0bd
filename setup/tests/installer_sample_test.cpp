// The installer's sample calibration: what it stores and what it leaves out, the profiles and
// the ramp of the preset in force, a calibration of the user's never replaced, and the program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "icc_checks.h"
#include "install_steps.h"
#include "installer_test_support.h"
#include "profforge.h"
#include "registry_snapshot.h"
#include "sample_calibration.h"
#include "vltutil.h"
#include "win32_holders.h"

namespace {

// An installed suite.
class SampleCalibration : public installer_test::SuiteFolderTest {
protected:
    void SetUp() override {
        SuiteFolderTest::SetUp();
        installer::Report report;
        ASSERT_TRUE(installer::installSuite(suite, report)) << report.error;
    }
    static std::vector<WORD> loadedRamp() {
        std::vector<WORD> ramp(768, 0xbdbd);
        winplat::DeviceContext screen = winplat::DeviceContext::screen();
        EXPECT_NE(VLTGetDeviceGammaRamp(screen.get(), ramp.data(), 0), 0);
        return ramp;
    }
    // The monitor holds the ramp ComputeProfiles gives for the target.
    static void expectRampOf(double gamma, DWORD temperature) {
        std::vector<WORD> expected(768, 0xbdbd);
        const double gammas[3] = {gamma, gamma, gamma};
        ASSERT_EQ(ComputeProfiles(nullptr, "", gammas, temperature, expected.data(), 0x02, 0), 1);
        EXPECT_EQ(loadedRamp(), expected);
        EXPECT_LT(expected[512 + 255], expected[255]) << "blue turned down from the sample's bluish white";
    }
    static std::string joined(const installer::Report& report) {
        std::string all;
        for (const std::string& line : report.lines) all += line + "\n";
        return all;
    }
};

TEST_F(SampleCalibration, StoresTheSampleWritesTheProfilesAndLoadsTheRamp) {
    installer::Report report;
    ASSERT_TRUE(installer::storeSampleCalibration(suite, report)) << report.error;

    MONITORPARMS calibration{};
    calibration.size = MONITORPARMS_SIZE;
    ASSERT_EQ(GetSpectrineCalibrationName("Monitor", &calibration), 1);
    EXPECT_STREQ(calibration.description, installer::kSampleDescription);
    EXPECT_STREQ(calibration.modelKey, "CRT Average") << "the virtual monitor has no EDID";
    EXPECT_DOUBLE_EQ(calibration.gammaRed, 2.5);
    DWORD kelvin = 0;
    GetTemperatureFromWhitePoint(&kelvin, calibration.whiteX, calibration.whiteY);
    EXPECT_GT(kelvin, 7500u) << "a CRT's bluish white";
    EXPECT_EQ(IsSpectrineCalibrationOutdated(), 0);
    DWORD size = 0;
    EXPECT_EQ(GetSpectrineRegValue("Calibration", "Date", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND)
        << "no calibration was made, so none is dated";
    char text[256];
    ASSERT_EQ(GetSpectrineUnadjustedString(text, sizeof text), 1);
    EXPECT_STREQ(text, "Unadjusted");

    // The preset in force is the standard sRGB target, and its ramp is what the monitor holds.
    ASSERT_EQ(GetSpectrineCurrentPresetName(text, sizeof text), 1);
    EXPECT_STREQ(text, "sRGB");
    expectRampOf(2.2, 6500);

    char dated[MAX_PATH] = "";
    ASSERT_GT(GetWin98ProfileName(dated, sizeof dated), 0);
    EXPECT_EQ(std::string(dated).rfind("Generic CRT Average 6500K G2.2 .", 0), 0u) << dated;
    const std::string colour = root() + "/WINDOWS/SYSTEM/COLOR/";
    for (const std::string& name : {std::string("Spectrine95.icm"), std::string(dated), std::string("Netvivid.icc"),
                                    std::string("Pantone.icc")}) {
        SCOPED_TRACE(name);
        icctest::expectReadersAccept(colour + name);
        EXPECT_NE(joined(report).find(colour + name), std::string::npos) << "the report names where it is";
    }
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    EXPECT_NE(joined(report).find("Ramp loaded on monitor 0"), std::string::npos) << joined(report);
}

TEST_F(SampleCalibration, ARunAgainKeepsThePresetInForce) {
    installer::Report first;
    ASSERT_TRUE(installer::storeSampleCalibration(suite, first)) << first.error;
    PresetRecord video{};
    video.size = PRESETRECORD_SIZE;
    ASSERT_EQ(ReadSpectrinePreset("Video 2.4", &video), 1);
    std::strcpy(video.description, "Video 2.4");
    ASSERT_EQ(WriteSpectrinePreset("Current", &video), 1);
    installer::Report again;
    ASSERT_TRUE(installer::storeSampleCalibration(suite, again)) << again.error;
    char name[64];
    ASSERT_EQ(GetSpectrineCurrentPresetName(name, sizeof name), 1);
    EXPECT_STREQ(name, "Video 2.4");
    expectRampOf(2.4, 6500);
}

TEST_F(SampleCalibration, NeverReplacesACalibrationOfTheUser) {
    struct Case {
        const char* what;
        void (*store)();
    } cases[] = {
        {"a calibrated monitor", [] {
             ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", "", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
         }},
        {"a second monitor's calibration", [] {
             ASSERT_EQ(WriteSpectrineCalibrationName("Monitor1", "", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
         }},
        {"a panel's calibration", [] {
             ASSERT_EQ(WriteSpectrineCalibrationName("LCDPanel", "x", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
         }},
        {"a calibration date", [] { ASSERT_EQ(WriteSpectrineCalibrationDate(), 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteAllSpectrineCalibration();
        c.store();
        const spx::test::RegistrySnapshot before = spx::test::registrySnapshot();
        installer::Report report;
        EXPECT_FALSE(installer::storeSampleCalibration(suite, report));
        EXPECT_NE(report.error.find("a calibration is stored already"), std::string::npos) << report.error;
        EXPECT_TRUE(spx::test::registrySnapshot() == before);
        EXPECT_TRUE(icctest::listDirectory(root() + "/WINDOWS/SYSTEM/COLOR").empty());
    }
}

// The installed program with the option, as the README's main job runs it.
TEST_F(SampleCalibration, TheProgramPrintsWhereTheProfilesAreAndTheRamp) {
    WinplatResetProcessState();  // the program opens the registry itself
    const installer_test::ProgramRun run =
        installer_test::runInstaller(root(), "--root '" + root() + "' --suite '" + suite + "' --sample-calibration");
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string& out = run.output;
    for (const char* expected : {"Sample calibration for monitor 0 (CRT Average)",
                                 "Presets: Unadjusted, sRGB, Print Proof 5000K, Video 2.4, Web 9300K\n",
                                 "  Match screen To Printer... Generic InkJet, Generic Laser, Generic Newsprint\n",
                                 "Preset in force: sRGB",
                                 "/WINDOWS/SYSTEM/COLOR/Spectrine95.icm", "/WINDOWS/SYSTEM/COLOR/Netvivid.icc",
                                 "/WINDOWS/SYSTEM/COLOR/Pantone.icc", "Ramp loaded on monitor 0", "255: 255.00"}) {
        EXPECT_NE(out.find(expected), std::string::npos) << expected << " in\n" << out;
    }
    EXPECT_EQ(out.find("(missing)"), std::string::npos) << out;
}

}  // namespace
