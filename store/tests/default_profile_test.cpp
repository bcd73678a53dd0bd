// The suite's default profile: which file each selector installs, the calibrated profile
// registered beside it, the selector stored, what the plug-ins are told, and reading the
// selector back on each system family.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "registration_test_support.h"

namespace {

struct Case {
    const char* what;
    DWORD selector;
    std::vector<std::string> files;  // present in the colour directory
    const char* oemName;             // "Settings" "OEMProfileName", when not null
    const char* recorded;  // "Calibration" "Win98Profile", when not null
    std::string expected;
    DWORD stored;
};

class DefaultProfile : public vlt::test::RegistrationTest {
protected:
    void SetUp() override {
        RegistrationTest::SetUp();
        auto monitors = spx::test::monitorsSideBySide(2);
        writeDisplayIni(monitors);
    }
    // The path in the stored plug-in block (bytes 140 to 399).
    static std::string pluginPath() {
        DWORD type = 0;
        auto block = keyValue(std::string(vlt::test::kSuiteKey) + "Calibration", "PlugInData", &type);
        if (!block || block->size() != SPECTRINE_PLUGIN_BLOCK_SIZE) return "<no block>";
        return std::string(reinterpret_cast<const char*>(block->data() + 140),
                           strnlen(reinterpret_cast<const char*>(block->data() + 140), 260));
    }
    // Installs the case's default and checks every place that names it.
    void check(const Case& c);
};


const std::vector<std::string> kAllFiles = {"Spectrine95.icm", "sRGB_Spectrine.icc", "Netvivid.icc",
                                            "Pantone.icc", "Brand.icm", "Calibrated 2026.icm"};

// The installation paths are read once per process, as the store caches them: each edition
// of the suite (its "AppFile") is a test of its own.
void installedAt(const char* appFile) {
    ASSERT_EQ(WriteSpectrineRegString("Settings", "AppFile", appFile), 1);
    ASSERT_EQ(WriteSpectrineRegString("Settings", "InfFile", "C:\\Spectrine\\spectrine.inf"), 1);
}

void DefaultProfile::check(const Case& c) {
    SCOPED_TRACE(c.what);
    for (const std::string& f : kAllFiles) removeColourFile(f);
    for (const std::string& f : c.files) colourFile(f);
    WriteSpectrineRegValue("Settings", "OEMProfileName", REG_SZ, nullptr, 0);
    if (c.oemName) setSuiteText("Settings", "OEMProfileName", c.oemName);
    WriteSpectrineRegValue("Calibration", "Win98Profile", REG_SZ, nullptr, 0);
    if (c.recorded) {
        ASSERT_EQ(WriteWin98ProfileName(c.recorded), 1);
    }

    EXPECT_EQ(WriteSpectrineDefaultProfile(c.selector), ERROR_SUCCESS);
    std::string path = colourDir() + c.expected;
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), path);
    EXPECT_EQ(suiteDword("Settings", "DefaultProfile"), c.stored);
    EXPECT_EQ(systemDefault(0), path);
    std::vector<std::string> list = profileList(0);
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[list.size() - 2], c.expected);
    EXPECT_EQ(pluginPath(), path);
}

TEST_F(DefaultProfile, EachSelectorChoosesItsFile) {
    installedAt("C:\\Program Files\\Spectrine\\huevista.exe");
    const std::vector<std::string>& all = kAllFiles;
    const Case cases[] = {
        {"0", 0, all, nullptr, "Calibrated 2026.icm", "Spectrine95.icm", 0},
        {"0 before the file exists", 0, {"Netvivid.icc"}, nullptr, nullptr, "Netvivid.icc", 0},
        {"4", 4, all, nullptr, nullptr, "sRGB_Spectrine.icc", 4},
        {"4 before the file exists", 4, {"Netvivid.icc"}, nullptr, nullptr, "Netvivid.icc", 4},
        {"5 with its file", 5, all, "Brand.icm", nullptr, "Brand.icm", 5},
        {"5 without the file", 5, {"Netvivid.icc"}, "Brand.icm", nullptr, "Netvivid.icc", 5},
        {"5 without the setting", 5, all, nullptr, nullptr, "Netvivid.icc", 5},
        {"3", 3, all, nullptr, nullptr, "Netvivid.icc", 3},
        {"3 calibrated", 3, all, nullptr, "Calibrated 2026.icm", "Calibrated 2026.icm", 3},
        {"1", 1, all, nullptr, nullptr, "Netvivid.icc", 1},
        {"7", 7, all, nullptr, nullptr, "Netvivid.icc", 7},
    };
    for (const Case& c : cases) check(c);
}

TEST_F(DefaultProfile, ThePantoneEditionChoosesItsOwnFile) {
    installedAt("C:\\Program Files\\Pantone Spectrine\\huevista.exe");
    const Case cases[] = {
        {"3 Pantone edition", 3, kAllFiles, nullptr, nullptr, "Pantone.icc", 2},
        {"2 Pantone calibrated", 2, kAllFiles, nullptr, "Calibrated 2026.icm", "Calibrated 2026.icm", 2},
    };
    for (const Case& c : cases) check(c);
}

TEST_F(DefaultProfile, TheCalibratedProfileIsRegisteredBesideTheDefault) {
    setSuiteText("Settings", "AppFile", "C:\\Spectrine\\huevista.exe");
    std::string calibrated = colourFile("Calibrated 2026-12-08.icm");
    std::string spectrine = colourFile("Spectrine95.icm");
    std::string netvivid = colourFile("Netvivid.icc");
    std::string srgb = colourFile("sRGB_Spectrine.icc");
    ASSERT_EQ(WriteWin98ProfileName("Calibrated 2026-12-08.icm"), 1);

    EXPECT_EQ(WriteSpectrineDefaultProfile(4), ERROR_SUCCESS);
    EXPECT_TRUE(registered(calibrated));
    EXPECT_FALSE(registered(spectrine));
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"sRGB_Spectrine.icc", ""}));
    EXPECT_EQ(systemDefault(0), srgb);

    // Selector 1 registers "Spectrine95.icm" beside the default, which is the calibrated
    // profile here.
    EXPECT_EQ(WriteSpectrineDefaultProfile(1), ERROR_SUCCESS);
    EXPECT_TRUE(registered(spectrine));
    EXPECT_TRUE(registered(calibrated));
    EXPECT_EQ(systemDefault(0), calibrated);
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), calibrated);
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"sRGB_Spectrine.icc", "Calibrated 2026-12-08.icm", ""}));
    EXPECT_FALSE(registered(netvivid));
}

TEST_F(DefaultProfile, MonitorNUsesItsOwnRecordedProfile) {
    setSuiteText("Settings", "AppFile", "C:\\Spectrine\\huevista.exe");
    colourFile("Netvivid.icc");
    std::string second = colourFile("Second.icm");
    ASSERT_EQ(WriteWin98ProfileName("First.icm"), 1);
    ASSERT_EQ(WriteWin98ProfileName0("Second.icm", 1), 1);
    EXPECT_EQ(WriteSpectrineDefaultProfile0(3, 1), ERROR_SUCCESS);
    EXPECT_EQ(profileList(1), (std::vector<std::string>{"Second.icm", ""}));
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"<absent>"}));
    EXPECT_EQ(systemDefault(1), second);
    EXPECT_EQ(suiteDword("Settings", "DefaultProfile"), 3u);
}

// Monitor 1 gets the member of its own family the selector names; while its own family was
// never written (a root from before), the shared files of monitor 0 stand in.
TEST_F(DefaultProfile, MonitorNChoosesFromItsOwnFamily) {
    installedAt("C:\\Program Files\\Spectrine\\huevista.exe");
    const std::vector<std::string> shared = {"Spectrine95.icm", "Netvivid.icc"};
    const std::vector<std::string> both = {"Spectrine95.icm", "Netvivid.icc", "Spectrine95 2.icm", "Netvivid 2.icc"};
    const struct {
        DWORD selector;
        std::vector<std::string> files;
        const char* expected;
        const char* besides;  // registered beside the default
    } cases[] = {
        {0, both, "Spectrine95 2.icm", nullptr},
        {1, both, "Netvivid 2.icc", "Spectrine95 2.icm"},
        {0, {"Spectrine95.icm", "Netvivid 2.icc"}, "Netvivid 2.icc", nullptr},
        {0, shared, "Spectrine95.icm", nullptr},
        {3, shared, "Netvivid.icc", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.selector << " gives " << c.expected);
        for (const std::string& f : both) removeColourFile(f);
        for (const std::string& f : c.files) colourFile(f);
        EXPECT_EQ(WriteSpectrineDefaultProfile0(c.selector, 1), ERROR_SUCCESS);
        const std::vector<std::string> list = profileList(1);
        ASSERT_GE(list.size(), 2u);
        EXPECT_EQ(list[list.size() - 2], c.expected);
        EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile1"), colourDir() + c.expected);
        if (c.besides) {
            EXPECT_TRUE(registered(colourDir() + c.besides));
        }
        EXPECT_EQ(profileList(0), (std::vector<std::string>{"<absent>"})) << "monitor 0 is left alone";
    }
}

TEST_F(DefaultProfile, TheCalibratedProfileReplacesTheDefaultExceptOnWindows95) {
    struct FamilyCase {
        const char* family;
        const char* expected;
    } cases[] = {{"95", "Netvivid.icc"}, {"98", "Mine.icm"}, {"NT4", "Mine.icm"}, {"NT5", "Mine.icm"}};
    for (const FamilyCase& c : cases) {
        SCOPED_TRACE(c.family);
        useFamily(c.family);
        setSuiteText("Settings", "AppFile", "C:\\Spectrine\\huevista.exe");
        colourFile("Netvivid.icc");
        colourFile("Mine.icm");
        ASSERT_EQ(WriteWin98ProfileName("Mine.icm"), 1);
        EXPECT_EQ(WriteSpectrineDefaultProfile(3), ERROR_SUCCESS);
        EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), colourDir() + c.expected);
    }
}

TEST_F(DefaultProfile, ReadingTheSelectorOnEachFamily) {
    struct ReadCase {
        const char* family;
        std::optional<DWORD> stored;
        int result;
        DWORD selector;
    } cases[] = {
        {"98", std::nullopt, 1, 0}, {"98", 1, 1, 3}, {"98", 2, 1, 3}, {"98", 3, 1, 3},
        {"98", 5, 1, 5},            {"NT5", 1, 1, 3}, {"NT5", 2, 1, 3}, {"NT5", 4, 1, 4},
        {"95", 1, 0, 1},            {"95", 2, 0, 2},  {"NT4", 2, 0, 2}, {"NT4", std::nullopt, 0, 0},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.family << " " << (c.stored ? int(*c.stored) : -1));
        useFamily(c.family);
        if (c.stored)
            setSuiteDword("Settings", "DefaultProfile", *c.stored);
        else
            WriteSpectrineRegValue("Settings", "DefaultProfile", REG_DWORD, nullptr, 0);
        DWORD selector = 0xdeadbeef;
        EXPECT_EQ(GetSpectrineDefaultProfile(&selector), c.result);
        EXPECT_EQ(selector, c.selector);
    }
    EXPECT_EQ(GetSpectrineDefaultProfile(nullptr), 0);
    // Four bytes of any type are read; two bytes are not a selector.
    useFamily("98");
    DWORD five = 5;
    ASSERT_EQ(WriteSpectrineRegValue("Settings", "DefaultProfile", REG_BINARY,
                                     reinterpret_cast<const BYTE*>(&five), 4),
              ERROR_SUCCESS);
    DWORD selector = 0xdeadbeef;
    EXPECT_EQ(GetSpectrineDefaultProfile(&selector), 1);
    EXPECT_EQ(selector, 5u);
    ASSERT_EQ(WriteSpectrineRegValue("Settings", "DefaultProfile", REG_BINARY,
                                     reinterpret_cast<const BYTE*>(&five), 2),
              ERROR_SUCCESS);
    EXPECT_EQ(GetSpectrineDefaultProfile(&selector), 1);
    EXPECT_EQ(selector, 0u);
}

}  // namespace
