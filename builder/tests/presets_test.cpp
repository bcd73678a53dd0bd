// The presets the builder writes: WriteAllSpectrinePreset after a calibration, and the name of
// the preset in force.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "preset_test_support.h"
#include "registry_faults.h"

namespace {

using namespace buildertest;

using vlt::test::presetRecord;

// A record full of marker bytes, its size field set.
PresetRecord marked() {
    PresetRecord r = vlt::test::markedPresetRecord();
    r.size = PRESETRECORD_SIZE;
    return r;
}

std::vector<std::string> presetNames() {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (!EnumSpectrinePreset(i, name, &size, nullptr)) break;
        names.emplace_back(name);
    }
    return names;
}

class BuilderPresets : public BuilderTest {
protected:
    void SetUp() override {
        BuilderTest::SetUp();
        installPresetFile();
        addStandardMonitor();
        storeUnadjusted("Unadjusted", "The monitor as it is");
    }
};

TEST_F(BuilderPresets, AfterACalibrationTheUnadjustedPresetAndTheFamily) {
    Calibration cal;
    cal.gammas[0] = 2.45, cal.gammas[1] = 2.35, cal.gammas[2] = 2.25;
    cal.whiteX = 0.3127, cal.whiteY = 0.3290;  // D65: 6505 K by the cubic
    storeCalibration(0, cal);
    const PresetRecord current = presetRecord(1.8, 5000, PRESET_STANDARD, "Print Proof 5000K");
    const PresetRecord mine = presetRecord(2.0, 7000, 0, "mine");
    const PresetRecord stale = presetRecord(2.1, 6000, PRESET_STANDARD, "a standard preset of an older family");
    ASSERT_EQ(WriteSpectrinePreset("Current", &current), 1);
    ASSERT_EQ(WriteSpectrinePreset("My Own", &mine), 1);
    ASSERT_EQ(WriteSpectrinePreset("Old Standard", &stale), 1);

    ASSERT_EQ(WriteAllSpectrinePreset(), 1);
    EXPECT_EQ(presetNames(), (std::vector<std::string>{"Current", "My Own", "Unadjusted", "sRGB", "Print Proof 5000K",
                                                       "Video 2.4", "Web 9300K"}));
    PresetRecord unadjusted = marked();
    ASSERT_EQ(ReadSpectrinePreset("Unadjusted", &unadjusted), 1);
    EXPECT_EQ(unadjusted.flags, 0x8001);
    EXPECT_DOUBLE_EQ(unadjusted.gammaRed, 2.45);
    EXPECT_DOUBLE_EQ(unadjusted.gammaGreen, 2.35);
    EXPECT_DOUBLE_EQ(unadjusted.gammaBlue, 2.25);
    EXPECT_EQ(unadjusted.temperature, 6505);
    EXPECT_STREQ(unadjusted.description, "The monitor as it is");
    PresetRecord kept = marked();
    ASSERT_EQ(ReadSpectrinePreset("Current", &kept), 1);
    EXPECT_STREQ(kept.description, "Print Proof 5000K");
    EXPECT_DOUBLE_EQ(kept.gammaRed, 1.8);
    char member[64];
    DWORD size = sizeof member;
    EXPECT_EQ(EnumSpectrinePreset0("Match screen To Printer...", 0, member, &size, nullptr), 1);
    EXPECT_STREQ(member, "Generic InkJet");
}

TEST_F(BuilderPresets, WithoutACalibrationTheUnadjustedPresetStoredBeforeStays) {
    const PresetRecord before = presetRecord(2.3, 9300, PRESET_STANDARD | PRESET_UNADJUSTED, "an earlier calibration");
    ASSERT_EQ(WriteSpectrinePreset("Unadjusted", &before), 1);
    struct Case {
        const char* what;
        void (*prepare)();
    } cases[] = {
        {"no calibration", [] {}},
        {"no model record for the monitor", [] {
             storeCalibration(0, Calibration{});
             WriteSpectrineRegValue("Settings", "Monitor", REG_SZ, nullptr, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        ASSERT_EQ(WriteAllSpectrinePreset(), 1);
        PresetRecord r = marked();
        ASSERT_EQ(ReadSpectrinePreset("Unadjusted", &r), 1);
        EXPECT_STREQ(r.description, "an earlier calibration");
        EXPECT_DOUBLE_EQ(r.gammaRed, 2.3);
        EXPECT_EQ(presetNames().size(), 5u) << "the family is there";
    }
    // Without a name for it, no unadjusted preset is written (an empty name would be the
    // key's default value).
    addStandardMonitor();
    ASSERT_EQ(WriteSpectrineRegValue("Calibration", "Unadjusted", REG_SZ, nullptr, 0), ERROR_SUCCESS);
    ASSERT_EQ(WriteAllSpectrinePreset(), 1);
    EXPECT_EQ(presetNames(), (std::vector<std::string>{"sRGB", "Print Proof 5000K", "Video 2.4", "Web 9300K"}));
}

TEST_F(BuilderPresets, AFamilyThatCannotBeWrittenChangesNothing) {
    storeCalibration(0, Calibration{});
    ASSERT_EQ(WriteAllSpectrinePreset(), 1);
    Calibration changed;
    changed.gammas[0] = 1.9;
    storeCalibration(0, changed);
    const RegistrySnapshot before = registrySnapshot();
    for (const char* what : {"no Preset.inf", "a member cannot be written"}) {
        SCOPED_TRACE(what);
        if (what == std::string("no Preset.inf")) {
            std::remove(rootPath("suite/Preset.inf").c_str());
        } else {
            installPresetFile();
            spx::test::failValueWrites(root(), "INSERT", "Web 9300K");
        }
        EXPECT_EQ(WriteAllSpectrinePreset(), 0);
        EXPECT_TRUE(registrySnapshot() == before) << "the old family and unadjusted preset stay";
    }
    PresetRecord unadjusted = marked();
    ASSERT_EQ(ReadSpectrinePreset("Unadjusted", &unadjusted), 1);
    EXPECT_DOUBLE_EQ(unadjusted.gammaRed, 2.2) << "from the first calibration";
}

TEST_F(BuilderPresets, TheNameOfThePresetInForce) {
    EXPECT_STREQ(GetSpectrineCurrent(), "Current");
    char name[16];
    std::memset(name, 0xbd, sizeof name);
    EXPECT_EQ(GetSpectrineCurrentPresetName(name, sizeof name), 0);
    EXPECT_STREQ(name, "") << "empty when there is no Current";

    const PresetRecord current = presetRecord(2.2, 6500, PRESET_STANDARD, "Generic InkJet, laser");
    ASSERT_EQ(WriteSpectrinePreset(GetSpectrineCurrent(), &current), 1);
    struct Case {
        DWORD size;
        const char* text;
    } cases[] = {{16, "Generic InkJet,"}, {22, "Generic InkJet, laser"}, {1, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        char buffer[32];
        std::memset(buffer, 0xbd, sizeof buffer);
        EXPECT_EQ(GetSpectrineCurrentPresetName(buffer, c.size), 1);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(static_cast<unsigned char>(buffer[c.size]), 0xbd) << "written past the size";
    }
    EXPECT_EQ(GetSpectrineCurrentPresetName(nullptr, 10), 0);
}

}  // namespace
