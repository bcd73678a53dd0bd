// The installer's settings and folders in a fresh system root.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "fresh_root.h"
#include "install_steps.h"
#include "vltutil.h"

namespace {

using Installer = spx::test::FreshRootTest;

TEST_F(Installer, WritesTheThreeSettingsAndFolders) {
    installer::Report report;
    ASSERT_TRUE(installer::installSuite("/opt/spectrine/lib/spectrine", report)) << report.error;
    char out[MAX_PATH];
    ASSERT_EQ(GetSpectrineExeFile(out, sizeof out), 1);
    EXPECT_STREQ(out, "/opt/spectrine/lib/spectrine/huevista");
    ASSERT_EQ(GetSpectrineInfFile(out, sizeof out), 1);
    EXPECT_STREQ(out, "/opt/spectrine/lib/spectrine/spectrine.inf");
    ASSERT_GT(GetSpectrineRegString("Settings", "LutDir", out, sizeof out), 0);
    EXPECT_EQ(std::string(out), root() + "/LUT");
    struct stat st{};
    EXPECT_EQ(stat((root() + "/LUT").c_str(), &st), 0);
    EXPECT_EQ(stat((root() + "/WINDOWS/SYSTEM/COLOR").c_str(), &st), 0);
    EXPECT_FALSE(report.lines.empty());
}

TEST_F(Installer, RefusesPathsTheSettingsCannotHold) {
    installer::Report report;
    EXPECT_FALSE(installer::installSuite("/" + std::string(300, 's'), report));
    EXPECT_NE(report.error.find("AppFile"), std::string::npos) << report.error;
    char out[MAX_PATH];
    EXPECT_EQ(GetSpectrineRegString("Settings", "AppFile", out, sizeof out), 0);
}

}  // namespace
