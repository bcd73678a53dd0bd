// ComputeProfiles2 and the panel build's other exports: the ramps and curves of the panel
// model, no USB values, the calls that fail, ComputeProfiles and SetGammaRamp serving a monitor
// calibrated as a panel, the panel's white point and presets, and what each library exports.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "panel_tables.h"
#include "panel_test_support.h"
#include "preset_test_support.h"
#include "profile_content.h"

namespace {

using namespace buildertest;
using namespace paneltest;

const double kTarget[3] = {2.2, 2.0, 1.8};

std::vector<WORD> identity() {
    std::vector<WORD> r(768);
    for (int i = 0; i < 768; ++i) r[i] = static_cast<WORD>((i % 256) * 256);
    return r;
}

std::vector<WORD> compute2(const double* gammas, DWORD temperature, DWORD flags, int expected = 1) {
    std::vector<WORD> ramp(769, 0xbdbd);
    EXPECT_EQ(ComputeProfiles2(nullptr, "", gammas, temperature, ramp.data(), flags, 0), expected);
    EXPECT_EQ(ramp[768], 0xbdbd) << "written past the ramp";
    ramp.pop_back();
    return ramp;
}

class PanelProfiles : public PanelTest {};

TEST_F(PanelProfiles, AnUnadjustedPanelsInverseRampIsItsForwardModel) {
    for (DWORD gray : {1u, 0u}) {
        SCOPED_TRACE(gray ? "grey" : "own channels");
        setLcdGray(gray);
        const std::vector<WORD> ramp = compute2(nullptr, 0, 0x14);  // needs no gammas
        const builder::PanelTables t = builder::buildPanelTables(storedModel(), gray != 0);
        const Triple triples[3] = {kGamma22, {0.62, 0.74, 0.84}, {0.59, 0.72, 0.825}};
        for (int k = 0; k < 3; ++k) {
            const std::vector<double> own = forwardTable(triples[k]);
            for (int i = 0; i < 256; ++i) {
                ASSERT_EQ(ramp[k * 256 + i], static_cast<int>(255.0 * t.forward[gray ? 3 : k][i]) * 256) << k << " " << i;
                if (!gray) {
                    ASSERT_NEAR(ramp[k * 256 + i] / 256, 255.0 * own[i], 1.01) << "the model of the matches";
                }
            }
        }
        EXPECT_EQ(std::equal(ramp.begin(), ramp.begin() + 256, ramp.begin() + 512), gray != 0);
    }
}

TEST_F(PanelProfiles, RampsThroughTheLookUpTablesWithThePanelsGainsAndNoUsbValues) {
    setLcdGray(0);
    auto plugin = [] {  // the block handed to the plug-ins: what the default profile describes
        PLUGINRECORD r;
        DWORD type = 0, size = sizeof r;
        EXPECT_EQ(GetSpectrineRegValue("Calibration", "PlugInData", &type, reinterpret_cast<BYTE*>(&r), &size), 0);
        return r;
    };
    EXPECT_EQ(compute2(kTarget, 9300, 0x13), identity()) << "unadjusted: the identity";
    PLUGINRECORD r = plugin();
    EXPECT_EQ(std::vector<double>({r.gammaRed, r.gammaGreen, r.gammaBlue}), std::vector<double>(3, 1.0));
    EXPECT_NEAR(r.gainRed * r.gainGreen * r.gainBlue, 1.0, 0.01) << "the native white needs no gain";

    // 9300 K: the requested gammas against a linear display, offsets 0, the model's gains.
    const std::vector<WORD> forward = compute2(kTarget, 9300, 0x03);
    r = plugin();
    EXPECT_EQ(std::vector<double>({r.gammaRed, r.gammaGreen, r.gammaBlue}), std::vector<double>(kTarget, kTarget + 3));
    EXPECT_EQ(std::vector<double>({r.offsetRed, r.offsetGreen, r.offsetBlue}), std::vector<double>(3, 0.0));
    EXPECT_LT(r.gainRed, 0.95) << "a bluer white turns red down";
    EXPECT_EQ(r.gainBlue, 1.0);
    std::vector<WORD> expected(768);
    GetSpectrineLUT(&expected[0], &expected[256], &expected[512], kTarget[0], kTarget[1], kTarget[2], 1, 1, 1, 0, 0,
                    0, r.gainRed, r.gainGreen, r.gainBlue);
    EXPECT_EQ(forward, expected);
    // The inverse ramp takes each gain as 1 / inverse(gain) of the model.
    const builder::PanelTables t = builder::buildPanelTables(storedModel(), false);
    const builder::PanelModel m(t);
    GetSpectrineBackLUT(&expected[0], &expected[256], &expected[512], 1, 1, 1, kTarget[0], kTarget[1], kTarget[2], 0,
                        0, 0, 1 / m.drive(0, r.gainRed), 1 / m.drive(1, r.gainGreen), 1 / m.drive(2, r.gainBlue));
    EXPECT_EQ(compute2(kTarget, 9300, 0x04), expected);

    int usb[6];
    EXPECT_EQ(ReadUSBValues(&usb[0], &usb[1], &usb[2], &usb[3], &usb[4], &usb[5]), 0) << "no USB values";
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(PanelProfiles, TheCurvesOfAnUnadjustedPanelAreItsForwardModel) {
    setLcdGray(0);
    const builder::PanelTables t = builder::buildPanelTables(storedModel(), false);
    const builder::PanelModel model(t);
    struct Case {
        const char* what;
        int screenType;
        DWORD flags;
        double gammas[3];  // of power-law curves; 0: the panel's own curves
    } cases[] = {
        {"an unadjusted panel", 1, 0x11, {}},
        {"an unadjusted notebook (screen type 2)", 2, 0x11, {}},
        {"unadjusted, but the screen type says CRT", 0, 0x11, {1.0, 1.0, 1.0}},
        {"a panel at the requested gammas", 1, 0x01, {2.2, 2.0, 1.8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(WriteSpectrineScreenType(c.screenType, 0), 1);
        std::filesystem::remove_all(colourPath(""));
        std::filesystem::create_directories(colourPath(""));
        ASSERT_EQ(ComputeProfiles2(nullptr, "", kTarget, 6500, nullptr, c.flags, 0), 1);
        ASSERT_EQ(colourFiles().size(), 4u);
        for (const std::string& name : colourFiles()) {
            SCOPED_TRACE(name);
            icctest::expectReadersAccept(colourPath(name));
            const auto file = icctest::readBytes(colourPath(name));
            for (int k = 0; k < 3; ++k) {
                std::vector<std::uint16_t> expected = builder::powerLawCurve(c.gammas[k], 0.0);
                if (c.gammas[k] == 0.0)
                    for (int i = 0; i < 32; ++i) expected[i] = static_cast<std::uint16_t>(model.forwardLevel(i * 255 / 31, k) * 256);
                EXPECT_EQ(curveOf(file, std::string(1, "rgb"[k]) + "TRC"), expected) << k;
            }
        }
    }
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(PanelProfiles, CallsThatCannotBeComputedFailBeforeAnythingIsWritten) {
    static const double zeroGreen[3] = {2.2, 0.0, 2.2};
    struct Case {
        const char* what;
        DWORD flags, count;  // the stored model's count
        const double* gammas;
    } cases[] = {
        {"a calibration of the white alone (gains 0)", 0x17, 0, kTarget},
        {"no panel calibration", 0x17, 5, kTarget},  // five groups are not stored
        {"a requested gamma of 0", 0x03, 4, zeroGreen},
        {"no gammas", 0x07, 4, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSpectrineRegValue("Calibration", "LCDPanel", REG_MULTI_SZ, nullptr, 0);
        PANELMODELRECORD m = kPanel;
        m.count = c.count;
        WriteOrbelModelCalibrationName("LCDPanel", "", 0.3127, 0.329, &m);
        const RegistrySnapshot before = registrySnapshot();
        EXPECT_EQ(compute2(c.gammas, 6500, c.flags, 0), identity()) << "a ramp that cannot be computed";
        EXPECT_TRUE(colourFiles().empty());
        EXPECT_TRUE(registrySnapshot() == before) << "the registry changed";
    }
    EXPECT_EQ(ComputeProfiles2(nullptr, "", kTarget, 6500, nullptr, 0x02, 0), 0) << "a ramp without a buffer";
}

// The colour pages and tray programs call ComputeProfiles and SetGammaRamp for every monitor:
// a monitor calibrated as a panel is served by the panel computation, also with a CRT
// calibration of the same monitor left from before, or none.
TEST_F(PanelProfiles, ComputeProfilesAndSetGammaRampServeAPanel) {
    installPresetFile();
    storeUnadjusted("Unadjusted", "The panel as it is");
    setLcdGray(0);
    Calibration stale;
    stale.gammas[0] = stale.gammas[1] = stale.gammas[2] = 2.8;
    storeCalibration(0, stale);
    for (DWORD flags : {0x02u, 0x12u, 0x04u, 0x14u}) {
        SCOPED_TRACE(flags);
        std::vector<WORD> ramp(768, 0xbdbd);
        ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 9300, ramp.data(), flags, 0), 1);
        EXPECT_EQ(ramp, compute2(kTarget, 9300, flags));
        ASSERT_EQ(WriteSpectrineScreenType(0, 0), 1);
        ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 9300, ramp.data(), flags, 0), 1);
        EXPECT_NE(ramp, compute2(kTarget, 9300, flags)) << "a CRT: its own calibration";
        ASSERT_EQ(WriteSpectrineScreenType(1, 0), 1);
    }
    // The panel's presets: the unadjusted one at gammas 1.0 and the temperature of its white.
    calibratePanel(kPanel, 0.2831, 0.2971);
    ASSERT_EQ(WriteAllSpectrinePreset2(), 1);
    PresetRecord unadjusted = vlt::test::markedPresetRecord();
    ASSERT_EQ(ReadSpectrinePreset("Unadjusted", &unadjusted), 1);
    DWORD kelvin = 0;
    GetTemperatureFromWhitePoint(&kelvin, 0.2831, 0.2971);
    EXPECT_EQ(unadjusted.temperature, static_cast<LONG>(kelvin));
    EXPECT_EQ(std::vector<double>({unadjusted.gammaRed, unadjusted.gammaGreen, unadjusted.gammaBlue}),
              std::vector<double>(3, 1.0));
    EXPECT_EQ(unadjusted.flags, 0x8001);
    EXPECT_STREQ(unadjusted.description, "The panel as it is");

    const PresetRecord laser = vlt::test::presetRecord(2.2, 2.0, 1.8, 9300, PRESET_STANDARD, "Laser");
    ASSERT_EQ(WriteSpectrinePreset("Current", &laser), 1);
    WriteSpectrineRegValue("Calibration", "Monitor", REG_MULTI_SZ, nullptr, 0);
    ASSERT_EQ(SetGammaRamp(0), 1);
    EXPECT_EQ(loadedRamp(0), compute2(kTarget, 9300, 0x02));
    ASSERT_EQ(ResetGammaRamp(0), 1);
    ASSERT_EQ(SetGammaRamp2(0), 1);
    EXPECT_EQ(loadedRamp(0), compute2(kTarget, 9300, 0x02));
    DeleteSpectrinePreset("Current");
    ASSERT_EQ(SetGammaRamp(0), 1);
    EXPECT_EQ(loadedRamp(0), identity()) << "the unadjusted panel";
}

TEST_F(PanelProfiles, TheWhitePointOfAPanelIsThatOfTheForwardModelAtItsGains) {
    setLcdGray(0);
    const PANELMODELRECORD measured = panelModel(kGamma22, kNeverFull, kDipsNeverFull, {0.9, 1.0, 0.8});
    double panel[2] = {-1, -2};
    ComputeWhitePoint2(panel, "Kalvenmor Model 17", &measured, 3, 0);
    // The CRT computation with gamma 1 and the model's luminances as gains gives the same.
    const builder::PanelTables t = builder::buildPanelTables(measured, false);
    const builder::PanelModel model(t);
    const double ones[3] = {1, 1, 1}, zeros[3] = {0, 0, 0};
    const double luminances[3] = {model.luminance(0, 0.9), model.luminance(1, 1.0), model.luminance(2, 0.8)};
    double crt[2] = {-3, -4};
    ComputeWhitePoint(crt, "Kalvenmor Model 17", ones, zeros, luminances, 3, 0);
    EXPECT_NE(panel[0], -1.0);
    EXPECT_EQ(std::vector<double>(panel, panel + 2), std::vector<double>(crt, crt + 2));
    EXPECT_EQ(DoIOModel(128, 2), model.inverseLevel(128, 2)) << "the wizard's tables are replaced";
    double untouched[2] = {-1, -2};
    ComputeWhitePoint2(untouched, "Unknown Monitor", &measured, 3, 0);
    ComputeWhitePoint2(untouched, "Kalvenmor Model 17", nullptr, 3, 0);
    EXPECT_EQ(std::vector<double>(untouched, untouched + 2), std::vector<double>({-1, -2}));
}

TEST(PanelExports, EachLibraryExportsItsOwnNames) {
    const std::vector<std::string> shared = {"ComputeICM", "ComputePT", "GetSpectrineCurrent",
                                             "GetSpectrineCurrentPresetName"};
    const std::vector<std::string> crt = {"ComputeProfiles", "ComputeWhitePoint", "WriteAllSpectrinePreset",
                                          "SetGammaRamp", "ResetGammaRamp"};
    const std::vector<std::string> panel = {"ComputeProfiles2", "ComputeWhitePoint2", "WriteAllSpectrinePreset2",
                                            "GetOrbelModelCalibrationName", "WriteOrbelModelCalibrationName",
                                            "BeginIOModelTable", "DoIOModel", "EndIOModelTable", "SetGammaRamp2"};
    for (const auto& [path, own, other] :
         {std::tuple{PROFFORGE_LIBRARY, crt, panel}, std::tuple{PANELFORGE_LIBRARY, panel, crt}}) {
        SCOPED_TRACE(path);
        void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        for (const auto* names : {&shared, &own})
            for (const std::string& name : *names) EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
        for (const std::string& name : other) EXPECT_EQ(dlsym(library, name.c_str()), nullptr) << name;
        dlclose(library);
    }
}

}  // namespace
