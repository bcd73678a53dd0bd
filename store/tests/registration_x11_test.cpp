// Registration on the X11 display end to end (Xorg with the dummy driver, two monitors): the
// profile registered as a monitor's default is the root window's _ICC_PROFILE (monitor 0) or
// _ICC_PROFILE_1 (monitor 1), read back with xprop; a profile registered beside it is not.
// Skipped, with the reason, where Xorg, xrandr or xprop cannot run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "registration_test_support.h"
#include "xorg_server.h"

namespace {

using spx::test::XServer;

class RegistrationX11 : public vlt::test::RegistrationTest {
protected:
    void SetUp() override {
        RegistrationTest::SetUp();
        const XServer& x = XServer::instance();
        if (!x.skipReason().empty()) GTEST_SKIP() << x.skipReason();
        if (access("/usr/bin/xprop", X_OK) != 0) GTEST_SKIP() << "xprop is not installed (x11-utils)";
        display_ = std::make_unique<spx::test::XServerDisplayScope>(x);
        ASSERT_EQ(x.run("xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary"), 0);
        x.run("xrandr --addmode DUMMY1 1024x768");  // fails harmlessly when already added
        ASSERT_EQ(x.run("xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0"), 0);
        WinplatResetProcessState();
    }
    void TearDown() override {
        display_.reset();
        RegistrationTest::TearDown();
    }
    // A profile-sized file whose bytes depend on `seed`; its full path.
    std::string profile(const std::string& name, size_t size, unsigned seed) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 11 + seed) & 0xFF);
        return colourFile(name, bytes);
    }
    // The file's bytes as numbers, as xprop prints them.
    std::string numbers(const std::string& name) const {
        std::string bytes = readFile("WINDOWS/SYSTEM/COLOR/" + name);
        std::string out;
        for (char c : bytes) {
            if (!out.empty()) out += ", ";
            out += std::to_string(static_cast<unsigned char>(c));
        }
        return out;
    }
    // What xprop says of a root window property: "CARDINAL = 1, 2, ..." or "<absent>".
    static std::string rootProperty(const std::string& atom) {
        const XServer& x = XServer::instance();
        std::string file = x.dir() + "/registration-xprop.out";
        x.run("/bin/sh -c 'xprop -root -len 100000 " + atom + " >" + file + "'");
        std::ifstream in(file);
        std::string line;
        std::getline(in, line);
        std::string head = atom + "(";
        if (line.rfind(head, 0) != 0) return "<absent>";
        size_t close = line.find(')');
        size_t equals = line.find(" = ");
        if (close == std::string::npos || equals == std::string::npos) return line;
        return line.substr(head.size(), close - head.size()) + " = " + line.substr(equals + 3);
    }

private:
    std::unique_ptr<spx::test::XServerDisplayScope> display_;
};

TEST_F(RegistrationX11, OnlyTheProfileMadeDefaultIsPublished) {
    XServer::instance().run("xprop -root -remove _ICC_PROFILE");
    XServer::instance().run("xprop -root -remove _ICC_PROFILE_1");
    std::string first = profile("First.icm", 1500, 1);
    std::string beside = profile("Beside.icm", 700, 2);
    std::string second = profile("Second.icm", 900, 3);

    ASSERT_EQ(RegisterICCProfile(first.c_str(), 1), 1);
    EXPECT_EQ(rootProperty("_ICC_PROFILE"), "CARDINAL = " + numbers("First.icm"));
    EXPECT_EQ(rootProperty("_ICC_PROFILE_1"), "<absent>");

    ASSERT_EQ(RegisterICCProfile(beside.c_str(), 0), 1);
    EXPECT_EQ(rootProperty("_ICC_PROFILE"), "CARDINAL = " + numbers("First.icm"));

    ASSERT_EQ(RegisterICCProfile0(second.c_str(), 1, 1), 1);
    EXPECT_EQ(rootProperty("_ICC_PROFILE_1"), "CARDINAL = " + numbers("Second.icm"));
    EXPECT_EQ(rootProperty("_ICC_PROFILE"), "CARDINAL = " + numbers("First.icm"));
}

TEST_F(RegistrationX11, TheChosenDefaultNotTheCalibratedProfileIsPublished) {
    setSuiteText("Settings", "AppFile", "C:\\Spectrine\\huevista.exe");
    profile("Netvivid.icc", 600, 4);
    profile("sRGB_Spectrine.icc", 800, 5);
    profile("Calibrated 2026-12-08.icm", 1000, 6);
    ASSERT_EQ(WriteWin98ProfileName("Calibrated 2026-12-08.icm"), 1);
    EXPECT_EQ(WriteSpectrineDefaultProfile(4), ERROR_SUCCESS);
    EXPECT_EQ(rootProperty("_ICC_PROFILE"), "CARDINAL = " + numbers("sRGB_Spectrine.icc"));
    // With the selector that lets the calibrated profile stand in, it is published.
    EXPECT_EQ(WriteSpectrineDefaultProfile(3), ERROR_SUCCESS);
    EXPECT_EQ(rootProperty("_ICC_PROFILE"), "CARDINAL = " + numbers("Calibrated 2026-12-08.icm"));
}

}  // namespace
