// ComputeProfiles2 and the panel build's other exports: the ramps and curves of the panel
// model, no USB values, the calls that fail, ComputeProfiles and SetGammaRamp serving a monitor
// calibrated as a panel, the panel's white point and presets, and what each library exports.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "panel_tables.h"
#include "preset_test_support.h"
#include "panel_test_support.h"
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

// The block last handed to the plug-ins: what the default profile describes.
PLUGINRECORD pluginRecord() {
    PLUGINRECORD r;
    std::memset(&r, 0xbd, sizeof r);
    DWORD type = 0, size = sizeof r;
    EXPECT_EQ(GetSpectrineRegValue("Calibration", "PlugInData", &type, reinterpret_cast<BYTE*>(&r), &size), 0);
    return r;
}

class PanelProfiles : public PanelTest {};

TEST_F(PanelProfiles, AnUnadjustedPanelsInverseRampIsItsForwardModel) {
    for (DWORD gray : {1u, 0u}) {
        SCOPED_TRACE(gray ? "grey" : "own channels");
        setLcdGray(gray);
        const std::vector<WORD> ramp = compute2(nullptr, 0, 0x14);  // no gammas needed
        const builder::PanelTables t = builder::buildPanelTables(storedModel(), gray != 0);
        const Triple triples[3] = {kGamma22, {0.62, 0.74, 0.84}, {0.59, 0.72, 0.825}};
        for (int k = 0; k < 3; ++k) {
            const std::vector<double> own = forwardTable(triples[k]);
            for (int i = 0; i < 256; ++i) {
                const double f = gray ? t.forward[3][i] : t.forward[k][i];
                ASSERT_EQ(ramp[k * 256 + i], static_cast<WORD>(static_cast<int>(255.0 * f) * 256)) << k << " " << i;
                if (!gray) {
                    ASSERT_NEAR(ramp[k * 256 + i] / 256, 255.0 * own[i], 1.01) << "the model of the matches";
                }
            }
        }
        EXPECT_EQ(std::vector<WORD>(ramp.begin(), ramp.begin() + 256) ==
                      std::vector<WORD>(ramp.begin() + 512, ramp.end()),
                  gray != 0);
    }
}

TEST_F(PanelProfiles, RampsThroughTheLookUpTablesWithThePanelsGains) {
    setSettingsDword("DefaultProfile", 0);
    setLcdGray(0);
    // Unadjusted: unit gains, the identity forward ramp.
    EXPECT_EQ(compute2(kTarget, 9300, 0x13), identity());
    PLUGINRECORD r = pluginRecord();
    EXPECT_NEAR(r.gainRed, 1.0, 0.01);
    EXPECT_NEAR(r.gainGreen, 1.0, 0.01);
    EXPECT_NEAR(r.gainBlue, 1.0, 0.01);
    EXPECT_EQ(r.gammaRed, 1.0);
    EXPECT_EQ(r.gammaBlue, 1.0);

    // 9300 K: the requested gammas, offsets 0, and the gains of the panel model.
    const std::vector<WORD> forward = compute2(kTarget, 9300, 0x03);
    r = pluginRecord();
    EXPECT_EQ(std::vector<double>({r.gammaRed, r.gammaGreen, r.gammaBlue}), std::vector<double>(kTarget, kTarget + 3));
    EXPECT_EQ(std::vector<double>({r.offsetRed, r.offsetGreen, r.offsetBlue}), std::vector<double>(3, 0.0));
    EXPECT_LT(r.gainRed, 0.95) << "a bluer white turns red down";
    EXPECT_EQ(r.gainBlue, 1.0);
    std::vector<WORD> expected(768, 0xbdbd);
    GetSpectrineLUT(expected.data(), expected.data() + 256, expected.data() + 512, kTarget[0], kTarget[1], kTarget[2],
                    1, 1, 1, 0, 0, 0, r.gainRed, r.gainGreen, r.gainBlue);
    EXPECT_EQ(forward, expected);

    // The inverse ramp: each gain for the call 1 / inverse(gain) of the model.
    const builder::PanelTables t = builder::buildPanelTables(storedModel(), false);
    const builder::PanelModel model(t);
    GetSpectrineBackLUT(expected.data(), expected.data() + 256, expected.data() + 512, 1, 1, 1, kTarget[0],
                        kTarget[1], kTarget[2], 0, 0, 0, 1.0 / model.drive(0, r.gainRed),
                        1.0 / model.drive(1, r.gainGreen), 1.0 / model.drive(2, r.gainBlue));
    EXPECT_EQ(compute2(kTarget, 9300, 0x04), expected);
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(PanelProfiles, NoUsbValuesAreWritten) {
    ASSERT_EQ(ComputeProfiles2(nullptr, "", kTarget, 6500, nullptr, 0x11, 0), 1);
    ASSERT_EQ(ComputeProfiles2(nullptr, "", kTarget, 6500, nullptr, 0x01, 0), 1);
    int v[6] = {-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(ReadUSBValues(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0);
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(GetSpectrineRegValue("USB", "GainRed", &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(PanelProfiles, TheCurvesOfAnUnadjustedPanelAreItsForwardModel) {
    setLcdGray(0);
    const builder::PanelTables t = builder::buildPanelTables(storedModel(), false);
    const builder::PanelModel model(t);
    struct Case {
        const char* what;
        int screenType;
        DWORD flags;
        bool panelCurves;
        double gammas[3];  // of the power-law curves otherwise
    } cases[] = {
        {"an unadjusted panel", 1, 0x11, true, {}},
        {"an unadjusted panel, screen type 2", 2, 0x11, true, {}},
        {"unadjusted, but the screen type says CRT", 0, 0x11, false, {1.0, 1.0, 1.0}},
        {"a panel at the requested gammas", 1, 0x01, false, {2.2, 2.0, 1.8}},
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
            const char* tags[3] = {"rTRC", "gTRC", "bTRC"};
            for (int k = 0; k < 3; ++k) {
                std::vector<std::uint16_t> expected;
                if (c.panelCurves)
                    for (int i = 0; i < 32; ++i)
                        expected.push_back(static_cast<std::uint16_t>(model.forwardLevel(i * 255 / 31, k) * 256));
                else
                    expected = builder::powerLawCurve(c.gammas[k], 0.0);
                EXPECT_EQ(curveOf(file, tags[k]), expected) << tags[k];
            }
        }
        const std::string summary = descriptionOf(icctest::readBytes(colourPath("Netvivid.icc")), "K007");
        EXPECT_NE(summary.find(c.flags & 0x10 ? "Gamma:\t\t1.0" : "Gamma:\t\t2.0"), std::string::npos) << summary;
    }
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(PanelProfiles, CallsThatCannotBeComputedFailBeforeAnythingIsWritten) {
    const double zeroGreen[3] = {2.2, 0.0, 2.2};
    struct Case {
        const char* what;
        DWORD flags;
        const double* gammas;
        void (*prepare)();
    } cases[] = {
        {"no panel calibration", 0x17, kTarget, [] { WriteSpectrineRegValue("Calibration", "LCDPanel", REG_MULTI_SZ, nullptr, 0); }},
        {"a calibration of the white alone (gains 0)", 0x17, kTarget, [] {
             PANELMODELRECORD none = kPanel;
             none.count = 0;
             WriteOrbelModelCalibrationName("LCDPanel", "", 0.3127, 0.329, &none);
         }},
        {"a gain of 0", 0x03, kTarget, [] {
             PANELMODELRECORD black = kPanel;
             black.groups[3][2] = 0.0;
             WriteOrbelModelCalibrationName("LCDPanel", "", 0.3127, 0.329, &black);
         }},
        {"no monitor name", 0x17, kTarget, [] { WriteSpectrineRegValue("Settings", "Monitor", REG_SZ, nullptr, 0); }},
        {"a requested gamma of 0", 0x03, zeroGreen, [] {}},
        {"no gammas", 0x07, nullptr, [] {}},
        {"3000 K has no white point", 0x03, kTarget, [] {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        addStandardMonitor();
        calibratePanel(0, kPanel);
        c.prepare();
        const RegistrySnapshot before = registrySnapshot();
        const DWORD temperature = std::string(c.what).find("3000") != std::string::npos ? 3000 : 6500;
        EXPECT_EQ(compute2(c.gammas, temperature, c.flags, 0), identity()) << "a ramp that cannot be computed";
        EXPECT_TRUE(colourFiles().empty());
        EXPECT_TRUE(registrySnapshot() == before) << "the registry changed";
    }
    EXPECT_EQ(ComputeProfiles2(nullptr, "", kTarget, 6500, nullptr, 0x02, 0), 0) << "a ramp without a buffer";
    EXPECT_TRUE(messageBoxes.empty());
}

// The colour pages and tray programs call ComputeProfiles and SetGammaRamp for every monitor:
// a monitor calibrated as a panel is served by the panel computation, also with a CRT
// calibration of the same monitor left from before.
TEST_F(PanelProfiles, ComputeProfilesAndSetGammaRampServeAPanel) {
    installPresetFile();
    storeUnadjusted("Unadjusted", "The monitor as it is");
    setLcdGray(0);
    Calibration stale;
    stale.gammas[0] = stale.gammas[1] = stale.gammas[2] = 2.8;
    stale.gains[2] = 0.7;
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
    // The preset in force: a standard target, then the unadjusted panel.
    ASSERT_EQ(WriteAllSpectrinePreset2(), 1);
    const PresetRecord laser = vlt::test::presetRecord(2.2, 2.0, 1.8, 9300, PRESET_STANDARD, "Laser");
    ASSERT_EQ(WriteSpectrinePreset("Current", &laser), 1);
    WriteSpectrineRegValue("Calibration", "Monitor", REG_MULTI_SZ, nullptr, 0);  // no CRT calibration at all
    ASSERT_EQ(SetGammaRamp(0), 1);
    EXPECT_EQ(loadedRamp(0), compute2(kTarget, 9300, 0x02));
    ASSERT_EQ(ResetGammaRamp(0), 1);
    ASSERT_EQ(SetGammaRamp2(0), 1);
    EXPECT_EQ(loadedRamp(0), compute2(kTarget, 9300, 0x02));
    DeleteSpectrinePreset("Current");
    ASSERT_EQ(SetGammaRamp(0), 1);
    EXPECT_EQ(loadedRamp(0), identity()) << "the unadjusted panel (gammas 1.0, native white)";
}

TEST_F(PanelProfiles, TheWhitePointOfAPanelUsesTheForwardModelAtItsGains) {
    setLcdGray(0);
    const PANELMODELRECORD measured = panelModel(kGamma22, kNeverFull, kDipsNeverFull, {0.9, 1.0, 0.8});
    double panel[2] = {-1, -2};
    ComputeWhitePoint2(panel, "Kalvenmor Model 17", &measured, 3, 0);
    // The same white from the CRT computation with gamma 1 and the model's luminances as gains.
    const builder::PanelTables t = builder::buildPanelTables(measured, false);
    const builder::PanelModel model(t);
    const double ones[3] = {1, 1, 1}, zeros[3] = {0, 0, 0};
    const double luminances[3] = {model.luminance(0, 0.9), model.luminance(1, 1.0), model.luminance(2, 0.8)};
    double crt[2] = {-3, -4};
    ComputeWhitePoint(crt, "Kalvenmor Model 17", ones, zeros, luminances, 3, 0);
    EXPECT_NE(panel[0], -1.0);
    EXPECT_EQ(panel[0], crt[0]);
    EXPECT_EQ(panel[1], crt[1]);
    EXPECT_EQ(DoIOModel(128, 2), model.inverseLevel(128, 2)) << "the wizard's tables are replaced";

    double untouched[2] = {-1, -2};
    ComputeWhitePoint2(untouched, "Unknown Monitor", &measured, 3, 0);
    ComputeWhitePoint2(untouched, "Kalvenmor Model 17", nullptr, 3, 0);
    EXPECT_EQ(untouched[0], -1.0);
    EXPECT_EQ(untouched[1], -2.0);
}

TEST_F(PanelProfiles, ThePresetsOfAPanel) {
    installPresetFile();
    storeUnadjusted("Unadjusted", "The panel as it is");
    calibratePanel(0, kPanel, 0.2831, 0.2971);  // about 9300 K
    ASSERT_EQ(WriteAllSpectrinePreset2(), 1);
    PresetRecord unadjusted{};
    unadjusted.size = PRESETRECORD_SIZE;
    ASSERT_EQ(ReadSpectrinePreset("Unadjusted", &unadjusted), 1);
    DWORD kelvin = 0;
    GetTemperatureFromWhitePoint(&kelvin, 0.2831, 0.2971);
    EXPECT_EQ(unadjusted.temperature, static_cast<LONG>(kelvin));
    EXPECT_EQ(std::vector<double>({unadjusted.gammaRed, unadjusted.gammaGreen, unadjusted.gammaBlue}),
              std::vector<double>(3, 1.0));
    EXPECT_EQ(unadjusted.flags, 0x8001);
    EXPECT_STREQ(unadjusted.description, "The panel as it is");
    PresetRecord srgb{};
    srgb.size = PRESETRECORD_SIZE;
    EXPECT_EQ(ReadSpectrinePreset("sRGB", &srgb), 1) << "the standard family";
}

TEST(PanelExports, EachLibraryExportsItsOwnNames) {
    const std::vector<std::string> shared = {"ComputeICM", "ComputePT", "GetSpectrineCurrent",
                                             "GetSpectrineCurrentPresetName"};
    const std::vector<std::string> crt = {"ComputeProfiles", "ComputeWhitePoint", "WriteAllSpectrinePreset",
                                          "SetGammaRamp", "ResetGammaRamp"};
    const std::vector<std::string> panel = {"ComputeProfiles2", "ComputeWhitePoint2", "WriteAllSpectrinePreset2",
                                            "GetOrbelModelCalibrationName", "WriteOrbelModelCalibrationName",
                                            "BeginIOModelTable", "DoIOModel", "EndIOModelTable", "SetGammaRamp2"};
    for (const auto& [path, own, other] : {std::tuple{PROFFORGE_LIBRARY, crt, panel},
                                           std::tuple{PANELFORGE_LIBRARY, panel, crt}}) {
        SCOPED_TRACE(path);
        void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        for (const std::string& name : shared) EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
        for (const std::string& name : own) EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
        for (const std::string& name : other) EXPECT_EQ(dlsym(library, name.c_str()), nullptr) << name;
        EXPECT_EQ(dlsym(library, "_ZN7builder20computePanelProfilesERKNS_14ComputeRequestE"), nullptr)
            << "the internals stay inside";
        dlclose(library);
    }
}

}  // namespace
