// The installer's settings and folders in a fresh system root.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "fresh_root.h"
#include "install_steps.h"
#include "vltutil.h"

namespace {

namespace fs = std::filesystem;

// A suite folder inside the test's root with the shipped INF sources in its "inf" folder.
class Installer : public spx::test::FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        suite = root() + "/suite";
        fs::create_directories(suite + "/inf");
        for (const auto& e : fs::directory_iterator(SUITE_INF_SOURCES))
            fs::copy_file(e.path(), suite + "/inf/" + e.path().filename().string());
    }
    std::string suite;
};

TEST_F(Installer, WritesTheThreeSettingsFoldersAndTheInfChain) {
    installer::Report report;
    ASSERT_TRUE(installer::installSuite(suite, report)) << report.error;
    char out[MAX_PATH];
    ASSERT_EQ(GetSpectrineExeFile(out, sizeof out), 1);
    EXPECT_EQ(std::string(out), suite + "/huevista");
    ASSERT_EQ(GetSpectrineInfFile(out, sizeof out), 1);
    EXPECT_EQ(std::string(out), suite + "/spectrine.inf");
    // The chain holds the averages the wizard falls back on.
    char record[512];
    EXPECT_GT(GetPrivateProfileStringA("Monitors", "CRT Average", "", record, sizeof record, out), 0u);
    EXPECT_GT(GetPrivateProfileStringA("Monitors", "LCD Average", "", record, sizeof record, out), 0u);
    ASSERT_GT(GetSpectrineRegString("Settings", "LutDir", out, sizeof out), 0);
    EXPECT_EQ(std::string(out), root() + "/LUT");
    struct stat st{};
    EXPECT_EQ(stat((root() + "/LUT").c_str(), &st), 0);
    EXPECT_EQ(stat((root() + "/WINDOWS/SYSTEM/COLOR").c_str(), &st), 0);
    EXPECT_FALSE(report.lines.empty());
}

TEST_F(Installer, MissingInfSourcesStopTheInstallation) {
    fs::remove_all(suite + "/inf");
    installer::Report report;
    EXPECT_FALSE(installer::installSuite(suite, report));
    EXPECT_NE(report.error.find("INF"), std::string::npos) << report.error;
}

TEST_F(Installer, RefusesPathsTheSettingsCannotHold) {
    installer::Report report;
    EXPECT_FALSE(installer::installSuite("/" + std::string(300, 's'), report));
    EXPECT_NE(report.error.find("AppFile"), std::string::npos) << report.error;
    char out[MAX_PATH];
    EXPECT_EQ(GetSpectrineRegString("Settings", "AppFile", out, sizeof out), 0);
}

}  // namespace
