// The cached installation paths: both-or-nothing, retry after failure, no refresh once read.
#include <gtest/gtest.h>

#include <cstring>

#include "fresh_root.h"
#include "store_internal.h"
#include "vltutil.h"

namespace {

using InstallPaths = spx::test::FreshRootTest;

TEST_F(InstallPaths, AppFileAloneIsNotEnoughAndTheReadIsRetried) {
    char out[MAX_PATH];
    WriteSpectrineRegString("Settings", "AppFile", "/opt/s/huevista");
    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetSpectrineExeFile(out, sizeof out), 0);
    EXPECT_EQ(GetSpectrineInfFile(out, sizeof out), 0);
    WriteSpectrineRegString("Settings", "InfFile", "/opt/s/spectrine.inf");
    EXPECT_EQ(GetSpectrineExeFile(out, sizeof out), 1);
    EXPECT_STREQ(out, "/opt/s/huevista");
    EXPECT_EQ(GetSpectrineInfFile(out, sizeof out), 1);
    EXPECT_STREQ(out, "/opt/s/spectrine.inf");
}

TEST_F(InstallPaths, CachedPathsAreNotReadAgain) {
    WriteSpectrineRegString("Settings", "AppFile", "first");
    WriteSpectrineRegString("Settings", "InfFile", "first.inf");
    char out[MAX_PATH];
    ASSERT_EQ(GetSpectrineExeFile(out, sizeof out), 1);
    WriteSpectrineRegString("Settings", "AppFile", "second");
    ASSERT_EQ(GetSpectrineExeFile(out, sizeof out), 1);
    EXPECT_STREQ(out, "first");
}

TEST_F(InstallPaths, CopyIsBoundedAndTerminated) {
    WriteSpectrineRegString("Settings", "AppFile", "/a/long/path/huevista");
    WriteSpectrineRegString("Settings", "InfFile", "x.inf");
    char out[8];
    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetSpectrineExeFile(out, 6), 1);
    EXPECT_STREQ(out, "/a/lo");
    EXPECT_EQ(static_cast<unsigned char>(out[6]), 0xbd);
}

TEST_F(InstallPaths, OverlongSettingReadsAsAbsent) {
    std::string longPath(400, 'p');
    WriteSpectrineRegString("Settings", "AppFile", longPath.c_str());
    WriteSpectrineRegString("Settings", "InfFile", "x.inf");
    char out[MAX_PATH];
    EXPECT_EQ(GetSpectrineExeFile(out, sizeof out), 0);
}

TEST_F(InstallPaths, LutDirectoryGetsItsSeparator) {
    char out[MAX_PATH];
    EXPECT_FALSE(vlt::lutDirectory(out, sizeof out));
    WriteSpectrineRegString("Settings", "LutDir", "C:\\Spectrine\\LUT");
    ASSERT_TRUE(vlt::lutDirectory(out, sizeof out));
    EXPECT_STREQ(out, "C:\\Spectrine\\LUT\\");
    WriteSpectrineRegString("Settings", "LutDir", "elsewhere\\");
    ASSERT_TRUE(vlt::lutDirectory(out, sizeof out));
    EXPECT_STREQ(out, "C:\\Spectrine\\LUT\\") << "read once per process";
}

TEST_F(InstallPaths, LutDirectoryAlreadyEndingInSeparator) {
    WriteSpectrineRegString("Settings", "LutDir", "/var/lut\\");
    char out[MAX_PATH];
    ASSERT_TRUE(vlt::lutDirectory(out, sizeof out));
    EXPECT_STREQ(out, "/var/lut\\");
}

}  // namespace
