// Ramps on the X11 display end to end: Xorg with the dummy driver and two monitors; a ramp
// loaded with VLTSetDeviceGammaRamp is what another process reads with VLTGetDeviceGammaRamp
// and what ArgyllCMS dispwin reads from the server. Skipped, with the reason, where Xorg, xrandr
// or dispwin cannot run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ramp_test_support.h"
#include "xorg_server.h"

namespace {

using spx::test::XServer;
using vlt::test::curveRamp;
using vlt::test::ExtensionTest;
using vlt::test::filledRamp;
using vlt::test::Oem;
using vlt::test::Ramp;
using vlt::test::Usb;

class RampX11 : public ExtensionTest {
protected:
    void SetUp() override {
        ExtensionTest::SetUp();
        const XServer& x = XServer::instance();
        if (!x.skipReason().empty()) GTEST_SKIP() << x.skipReason();
        display_ = std::make_unique<spx::test::XServerDisplayScope>(x);
        // Two monitors side by side, DUMMY0 primary, both with the identity.
        ASSERT_EQ(x.run("xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary --gamma 1:1:1"), 0);
        x.run("xrandr --addmode DUMMY1 1024x768");  // fails harmlessly when already added
        ASSERT_EQ(x.run("xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0 --gamma 1:1:1"), 0);
        // A full query makes the driver report the output connected to clients that only look
        // at the current state (dispwin lists connected outputs).
        ASSERT_EQ(x.run("xrandr --query"), 0);
        WinplatResetProcessState();
    }
    void TearDown() override {
        display_.reset();
        ExtensionTest::TearDown();
    }

private:
    std::unique_ptr<spx::test::XServerDisplayScope> display_;
};

TEST_F(RampX11, ARampLoadedOnMonitor0IsReadBackByAnotherProcessAndByDispwin) {
    auto& vlt = open(Oem::None, Usb::None);
    int count = 0;
    EXPECT_EQ(vlt.isMultiHeaded(nullptr, nullptr, &count), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(vlt.isGammaRampSupported(), 1);

    Ramp ramp = curveRamp(1.8, 2.2, 2.6, 0.92);
    const Ramp loaded = ramp;
    ASSERT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
    EXPECT_EQ(ramp, loaded);

    auto seen = inSecondProcess(Oem::None, Usb::None, 2, [](vlt::test::Exports& other,
                                                             std::vector<Ramp>& out) {
        return other.getRamp(nullptr, out[0].data(), 0) == 1 &&
                       other.getRamp(nullptr, out[1].data(), 1) == 1
                   ? 0
                   : 1;
    });
    ASSERT_EQ(seen.size(), 2u);
    // The dummy CRTCs keep 256 entries of 16 bits: the curve comes back exactly.
    EXPECT_EQ(seen[0], loaded);
    for (size_t i = 0; i < 768; ++i) ASSERT_EQ(seen[1][i], (i % 256) * 257) << "monitor 1 untouched, " << i;

    if (access("/usr/bin/dispwin", X_OK) != 0) GTEST_SKIP() << "dispwin is not installed (argyll)";
    std::vector<double> dispwin = XServer::instance().dispwinRamp(1, rootPath("monitor0.cal"));
    ASSERT_EQ(dispwin.size(), 768u) << spx::test::lastLines(XServer::instance().dir() + "/clients.log", 20);
    for (size_t i = 0; i < 768; ++i) ASSERT_NEAR(dispwin[i] * 65535.0, loaded[i], 0.5) << i;
    std::vector<double> second = XServer::instance().dispwinRamp(2, rootPath("monitor1.cal"));
    ASSERT_EQ(second.size(), 768u);
    for (size_t i = 0; i < 768; ++i) ASSERT_NEAR(second[i] * 65535.0, (i % 256) * 257, 0.5) << i;
}

TEST_F(RampX11, EachMonitorKeepsItsOwnRamp) {
    auto& vlt = open(Oem::None, Usb::None);
    Ramp first = curveRamp(2.4, 2.4, 2.4);
    Ramp second = curveRamp(1.6, 2.0, 2.8, 0.8);
    ASSERT_EQ(vlt.setRamp(nullptr, first.data(), 0), 1);
    ASSERT_EQ(vlt.setRamp(nullptr, second.data(), 1), 1);
    Ramp read = filledRamp(0xbdbd);
    ASSERT_EQ(vlt.getRamp(nullptr, read.data(), 1), 1);
    EXPECT_EQ(read, second);
    ASSERT_EQ(vlt.getRamp(nullptr, read.data(), 0), 1);
    EXPECT_EQ(read, first);
    EXPECT_EQ(vlt.setRamp(nullptr, first.data(), 2), 0) << "no third monitor";
}

}  // namespace
