// WriteStandardSpectrinePreset: the family that "Preset.inf" describes, the shipped file, the
// lines that are skipped, and what is never overwritten.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "preset_test_support.h"
#include "registry_faults.h"
#include "registry_snapshot.h"
#include "vltutil.h"
#include "winplat_files.h"

namespace {

constexpr char kPrinterGroup[] = "Match screen To Printer...";

struct Listed {
    std::string name;
    PresetRecord record;
};

// Every preset of "Preset" or of a group, in enumeration order.
std::vector<Listed> presetsOf(const char* group) {
    std::vector<Listed> out;
    for (DWORD i = 0;; ++i) {
        char name[300];
        DWORD size = sizeof name;
        Listed l{};
        if (!EnumSpectrinePreset0(group, i, name, &size, &l.record)) break;
        l.name = name;
        out.push_back(l);
    }
    return out;
}

std::vector<std::string> namesOf(const char* group) {
    std::vector<std::string> names;
    for (const Listed& l : presetsOf(group)) names.push_back(l.name);
    return names;
}

using vlt::test::presetRecord;

using StandardPresetsNotInstalled = spx::test::FreshRootTest;

// An installed suite in <root>/suite: the monitor INF file named by "InfFile" and Preset.inf
// beside it.
class StandardPresets : public spx::test::FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        ASSERT_EQ(WriteSpectrineRegString("Settings", "AppFile", rootPath("suite/huevista").c_str()), 1);
        ASSERT_EQ(WriteSpectrineRegString("Settings", "InfFile", rootPath("suite/spectrine.inf").c_str()), 1);
        writeFile("suite/spectrine.inf", "[Monitors]\r\n");
    }
    void presetFile(const std::string& content) { writeFile("suite/Preset.inf", content); }
    void shippedPresetFile() {
        std::string shipped;
        ASSERT_EQ(winplat::readWholeFile(SHIPPED_PRESET_INF, shipped), static_cast<DWORD>(ERROR_SUCCESS));
        presetFile(shipped);
    }
};

TEST_F(StandardPresets, TheShippedFileWritesTheFamily) {
    shippedPresetFile();
    // What the wizard's installation check asks of the file.
    char sections[1024];
    const std::string path = rootPath("suite/Preset.inf");
    ASSERT_GT(GetPrivateProfileSectionNamesA(sections, sizeof sections, path.c_str()), 0u);
    const char* first = sections;
    const char* second = first + std::strlen(first) + 1;
    const char* third = second + std::strlen(second) + 1;
    EXPECT_STREQ(first, "Unadjusted");
    EXPECT_STREQ(second, "_");
    EXPECT_STREQ(third, kPrinterGroup);
    char name[64];
    EXPECT_GT(GetPrivateProfileStringA("Unadjusted", "Name", "", name, sizeof name, path.c_str()), 0u);
    EXPECT_STREQ(name, "Unadjusted");

    ASSERT_EQ(WriteStandardSpectrinePreset(), 1);
    EXPECT_EQ(namesOf(""), (std::vector<std::string>{"sRGB", "Print Proof 5000K", "Video 2.4", "Web 9300K"}));
    EXPECT_EQ(namesOf(kPrinterGroup),
              (std::vector<std::string>{"Generic InkJet", "Generic Laser", "Generic Newsprint"}));
    char group[64];
    DWORD size = sizeof group;
    ASSERT_EQ(EnumSpectrinePresetGroup(0, group, &size), 1);
    EXPECT_STREQ(group, kPrinterGroup);
    size = sizeof group;
    EXPECT_EQ(EnumSpectrinePresetGroup(1, group, &size), 0) << "one group";
    for (const char* g : {"", kPrinterGroup}) {
        for (const Listed& l : presetsOf(g)) {
            SCOPED_TRACE(l.name);
            EXPECT_EQ(l.record.flags, PRESET_STANDARD);
            EXPECT_GT(std::strlen(l.record.description), 0u);
        }
    }
    PresetRecord srgb{};
    ASSERT_EQ(ReadSpectrinePreset("sRGB", &srgb), 1);
    EXPECT_EQ(srgb.temperature, 6500);
    EXPECT_EQ(ChecksRGB(1, srgb.temperature, srgb.gammaRed, srgb.gammaGreen, srgb.gammaBlue), 0)
        << "no sRGB profile in the colour directory";
    writeFile("WINDOWS/SYSTEM/COLOR/sRGB Color Space Profile.icm", "profile");
    EXPECT_EQ(ChecksRGB(1, srgb.temperature, srgb.gammaRed, srgb.gammaGreen, srgb.gammaBlue), 1)
        << "the sRGB preset is what the sRGB profile stands in for";
}

TEST_F(StandardPresets, LinesThatDoNotReadAreSkipped) {
    struct Case {
        const char* line;
        const char* name;  // nullptr: nothing written
        double red, blue;
        LONG temperature;
        const char* description;
    } cases[] = {
        {"Plain=2.2, 2.2, 1.8, 6500, A target", "Plain", 2.2, 1.8, 6500, "A target"},
        {"  Blanks  =  2.2 ,2.2,  2.2 ,  5000 ,  text, with, commas  ", "Blanks", 2.2, 2.2, 5000, "text, with, commas"},
        {"No text=2.2, 2.2, 2.2, 9300", "No text", 2.2, 2.2, 9300, ""},
        {"Lowest=0.1, 2.2, 10, 4001, ends", "Lowest", 0.1, 10, 4001, "ends"},
        {"Highest=2.2, 2.2, 2.2, 25000,", "Highest", 2.2, 2.2, 25000, ""},
        {"Rounded=2.456, 2.2, 2.2, 6500, x", "Rounded", 2.46, 2.2, 6500, "x"},
        {"Too cold=2.2, 2.2, 2.2, 4000, x", nullptr, 0, 0, 0, nullptr},
        {"Too hot=2.2, 2.2, 2.2, 25001, x", nullptr, 0, 0, 0, nullptr},
        {"Gamma too low=0.09, 2.2, 2.2, 6500, x", nullptr, 0, 0, 0, nullptr},
        {"Gamma too high=2.2, 2.2, 10.01, 6500, x", nullptr, 0, 0, 0, nullptr},
        {"Negative=-2.2, 2.2, 2.2, 6500, x", nullptr, 0, 0, 0, nullptr},
        {"Not a number=nan, 2.2, 2.2, 6500, x", nullptr, 0, 0, 0, nullptr},
        {"Decimal commas=2,2, 2,2, 2,2, 6500, x", nullptr, 0, 0, 0, nullptr},
        {"Fractional kelvin=2.2, 2.2, 2.2, 6500.5, x", nullptr, 0, 0, 0, nullptr},
        {"Letters=2.2x, 2.2, 2.2, 6500, x", nullptr, 0, 0, 0, nullptr},
        {"Too few=2.2, 2.2, 6500", nullptr, 0, 0, 0, nullptr},
        {"Empty=", nullptr, 0, 0, 0, nullptr},
        {"=2.2, 2.2, 2.2, 6500, no name", nullptr, 0, 0, 0, nullptr},
        {"Current=2.2, 2.2, 2.2, 6500, reserved", nullptr, 0, 0, 0, nullptr},
        {"A line without an equals sign", nullptr, 0, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        {
            winplat::RegKey suite(HKEY_LOCAL_MACHINE, SPECTRINE_SUITE_KEY, KEY_ALL_ACCESS);
            RegDeleteKeyA(suite.get(), "Preset");
        }
        presetFile(std::string("[Unadjusted]\r\n[_]\r\n; a comment\r\n") + c.line + "\r\n");
        ASSERT_EQ(WriteStandardSpectrinePreset(), 1);
        const std::vector<Listed> written = presetsOf("");
        if (!c.name) {
            EXPECT_TRUE(written.empty()) << written.front().name;
            continue;
        }
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(written[0].name, c.name);
        EXPECT_DOUBLE_EQ(written[0].record.gammaRed, c.red);
        EXPECT_DOUBLE_EQ(written[0].record.gammaBlue, c.blue);
        EXPECT_EQ(written[0].record.temperature, c.temperature);
        EXPECT_EQ(written[0].record.flags, PRESET_STANDARD);
        EXPECT_STREQ(written[0].record.description, c.description);
    }
    // Names the pages' 256-character buffers take, and descriptions cut to 255 characters.
    presetFile("[_]\r\n" + std::string(255, 'n') + "=2.2, 2.2, 2.2, 6500, " + std::string(300, 'd') + "\r\n" +
               std::string(256, 'm') + "=2.2, 2.2, 2.2, 6500, too long\r\n");
    ASSERT_EQ(WriteStandardSpectrinePreset(), 1);
    PresetRecord r{};
    ASSERT_EQ(ReadSpectrinePreset(std::string(255, 'n').c_str(), &r), 1);
    EXPECT_EQ(std::string(r.description), std::string(255, 'd'));
    EXPECT_EQ(ReadSpectrinePreset(std::string(256, 'm').c_str(), &r), 0);
}

TEST_F(StandardPresets, TheUsersPresetsAndCurrentAreNeverOverwritten) {
    const PresetRecord mine = presetRecord(1.9, 7000, 0, "my own sRGB");
    const PresetRecord current = presetRecord(1.8, 5500, PRESET_STANDARD, "Video 2.4");
    const PresetRecord myMember = presetRecord(2.0, 6000, 0, "my printer");
    const PresetRecord staleMember = presetRecord(2.0, 6000, PRESET_STANDARD, "an old standard member");
    ASSERT_EQ(WriteSpectrinePreset("sRGB", &mine), 1);
    ASSERT_EQ(WriteSpectrinePreset("Current", &current), 1);
    ASSERT_EQ(WriteSpectrinePreset("Video 2.4", &staleMember), 1);
    ASSERT_EQ(WriteSpectrinePreset0(kPrinterGroup, "My Printer", &myMember), 1);
    ASSERT_EQ(WriteSpectrinePreset0(kPrinterGroup, "Generic Retired", &staleMember), 1);
    shippedPresetFile();
    ASSERT_EQ(WriteStandardSpectrinePreset(), 1);

    PresetRecord r{};
    ASSERT_EQ(ReadSpectrinePreset("sRGB", &r), 1);
    EXPECT_STREQ(r.description, "my own sRGB") << "the user's preset of that name stays";
    ASSERT_EQ(ReadSpectrinePreset("Current", &r), 1);
    EXPECT_STREQ(r.description, "Video 2.4");
    EXPECT_DOUBLE_EQ(r.gammaRed, 1.8);
    ASSERT_EQ(ReadSpectrinePreset("Video 2.4", &r), 1);
    EXPECT_DOUBLE_EQ(r.gammaRed, 2.4) << "a standard preset is rewritten";
    EXPECT_EQ(namesOf(kPrinterGroup),
              (std::vector<std::string>{"My Printer", "Generic InkJet", "Generic Laser", "Generic Newsprint"}))
        << "the group's old standard members are replaced, the user's stay";
}

TEST_F(StandardPresets, WithoutTheFileOrItsSectionsNothingIsWritten) {
    struct Case {
        const char* what;
        const char* content;  // nullptr: no file
        int result;
    } cases[] = {
        {"no Preset.inf", nullptr, 0},
        {"no sections", "; nothing here\r\nsRGB=2.2, 2.2, 2.2, 6500, x\r\n", 0},
        {"sections that are neither \"_\" nor groups", "[Unadjusted]\r\n[Other]\r\nA=2.2, 2.2, 2.2, 6500\r\n", 1},
        {"an empty group", "[Nothing...]\r\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(rootPath("suite/Preset.inf").c_str());
        if (c.content) presetFile(c.content);
        const spx::test::RegistrySnapshot before = spx::test::registrySnapshot();
        EXPECT_EQ(WriteStandardSpectrinePreset(), c.result);
        EXPECT_TRUE(namesOf("").empty());
        if (c.result == 0) {
            EXPECT_TRUE(spx::test::registrySnapshot() == before);
        }
    }
}

// Without the installation settings there is no folder to find the file in.
TEST_F(StandardPresetsNotInstalled, WritesNothing) {
    writeFile("suite/Preset.inf", "[_]\r\nsRGB=2.2, 2.2, 2.2, 6500, x\r\n");
    EXPECT_EQ(WriteStandardSpectrinePreset(), 0);
    EXPECT_TRUE(namesOf("").empty());
}

TEST_F(StandardPresets, AFailedWriteLeavesTheOldFamily) {
    shippedPresetFile();
    ASSERT_EQ(WriteStandardSpectrinePreset(), 1);
    const PresetRecord stale = presetRecord(2.0, 6000, PRESET_STANDARD, "old");
    ASSERT_EQ(WriteSpectrinePreset0(kPrinterGroup, "Generic Retired", &stale), 1);
    ASSERT_EQ(DeleteAllSpectrinePreset("Current"), 1);
    const spx::test::RegistrySnapshot before = spx::test::registrySnapshot();
    spx::test::failValueWrites(root(), "INSERT", "Generic Laser");
    EXPECT_EQ(WriteStandardSpectrinePreset(), 0);
    EXPECT_TRUE(spx::test::registrySnapshot() == before) << "the family lands whole or not at all";
    EXPECT_TRUE(namesOf("").empty());
}

}  // namespace
