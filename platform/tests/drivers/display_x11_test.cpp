// The X11 display against a real X server: Xorg with the dummy video driver, started by the
// shared test helper (testkit/xorg_server.h) with the configuration kept beside these tests
// (xorg/dummy.conf). Ramps loaded through the
// display functions are read back by ArgyllCMS dispwin. Without Xorg, xrandr or dispwin the
// tests are skipped with the reason.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "fresh_root.h"
#include "gamma_resample.h"
#include "winplat.h"
#include "xorg_server.h"

// After GoogleTest: Xlib defines macros (None, Bool, Status) that its headers use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

using spx::test::FreshRootTest;
using spx::test::lastLines;
using spx::test::XServer;

class X11Display : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        const XServer& x = XServer::instance();
        if (!x.skipReason().empty()) GTEST_SKIP() << x.skipReason();
        display_ = std::make_unique<spx::test::XServerDisplayScope>(x);
        // One monitor: DUMMY0 at 1024 x 768, primary, identity ramps.
        ASSERT_EQ(x.run("xrandr --output DUMMY1 --off"), 0);
        ASSERT_EQ(x.run("xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary "
                        "--gamma 1:1:1"),
                  0);
        WinplatResetProcessState();
    }
    void TearDown() override {
        display_.reset();
        FreshRootTest::TearDown();
    }
    static void addSecondMonitor() {
        const XServer& x = XServer::instance();
        x.run("xrandr --addmode DUMMY1 1024x768");  // fails harmlessly when already added
        ASSERT_EQ(x.run("xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0"), 0);
        // A full query makes the driver report the output connected to clients that only look
        // at the current state (dispwin lists connected outputs).
        ASSERT_EQ(x.run("xrandr --query"), 0);
        WinplatResetProcessState();
    }

private:
    std::unique_ptr<spx::test::XServerDisplayScope> display_;
};

struct Monitor {
    RECT rect;
    DWORD flags;
    std::string device;
};

BOOL CALLBACK collect(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetMonitorInfoA(monitor, reinterpret_cast<LPMONITORINFO>(&info)));
    reinterpret_cast<std::vector<Monitor>*>(data)->push_back(
        {info.rcMonitor, info.dwFlags, info.szDevice});
    return TRUE;
}

std::vector<Monitor> monitors() {
    std::vector<Monitor> all;
    EXPECT_TRUE(EnumDisplayMonitors(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&all)));
    return all;
}

void expectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST_F(X11Display, TheActiveCrtcIsTheMonitor) {
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    std::vector<Monitor> all = monitors();
    ASSERT_EQ(all.size(), 1u);
    expectRect(all[0].rect, 0, 0, 1024, 768);
    EXPECT_EQ(all[0].flags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    EXPECT_EQ(all[0].device, "\\\\.\\DISPLAY1");

    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);  // depth 24 in 32-bit pixels
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, COLORMGMTCAPS), CM_GAMMA_RAMP);
    // The identity that "xrandr --gamma 1:1:1" loaded: i * 257.
    std::vector<WORD> ramp(769, 0xbdbd);
    ASSERT_TRUE(GetDeviceGammaRamp(dc, ramp.data()));
    for (size_t i = 0; i < 768; ++i) ASSERT_EQ(ramp[i], (i % 256) * 257) << i;
    EXPECT_EQ(ramp[768], 0xbdbd);
    ReleaseDC(nullptr, dc);

    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 0, &dd, 0));
    EXPECT_STRNE(dd.DeviceString, "");
    EXPECT_STREQ(dd.DeviceID, "ROOT\\X11_DISPLAY");
    ASSERT_TRUE(EnumDisplayDevicesA("\\\\.\\DISPLAY1", 0, &dd, 0));
    EXPECT_STREQ(dd.DeviceString, "Default Monitor");  // the dummy outputs have no EDID
    EXPECT_FALSE(EnumDisplayDevicesA(nullptr, 1, &dd, 0));
}

TEST_F(X11Display, ChosenWhenDisplayAnswersAndNothingElseIsAsked) {
    unsetenv("SPECTRINE_DISPLAY");
    WinplatResetProcessState();
    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 0, &dd, 0));
    EXPECT_STREQ(dd.DeviceID, "ROOT\\X11_DISPLAY");
    setenv("SPECTRINE_DISPLAY", "virtual", 1);
    WinplatResetProcessState();
    ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 0, &dd, 0));
    EXPECT_STREQ(dd.DeviceID, "ROOT\\VIRTUAL_DISPLAY");
}

TEST_F(X11Display, TwoMonitorsSideBySideAndThePrimaryAtTheOrigin) {
    addSecondMonitor();
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 2048);
    std::vector<Monitor> all = monitors();
    ASSERT_EQ(all.size(), 2u);
    expectRect(all[0].rect, 0, 0, 1024, 768);
    expectRect(all[1].rect, 1024, 0, 2048, 768);
    EXPECT_EQ(all[0].flags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    EXPECT_EQ(all[1].flags, 0u);

    // With the second output primary, desktop coordinates start at its top left corner; the
    // order stays the outputs' order.
    ASSERT_EQ(XServer::instance().run("xrandr --output DUMMY1 --primary"), 0);
    WinplatResetProcessState();
    all = monitors();
    ASSERT_EQ(all.size(), 2u);
    expectRect(all[0].rect, -1024, 0, 0, 768);
    expectRect(all[1].rect, 0, 0, 1024, 768);
    EXPECT_EQ(all[0].flags, 0u);
    EXPECT_EQ(all[1].flags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), -1024);
}

// The ramp as dispwin reads it from the server: red, green, blue in 0..1.
std::vector<double> dispwinRamp(int display, const std::string& file) {
    const XServer& x = XServer::instance();
    std::vector<double> all = x.dispwinRamp(display, file);
    EXPECT_FALSE(all.empty()) << "dispwin -d " << display << "\n"
                              << lastLines(x.dir() + "/clients.log", 40);
    return all;
}

TEST_F(X11Display, ARampLoadedHereIsWhatDispwinReads) {
    if (access("/usr/bin/dispwin", X_OK) != 0) GTEST_SKIP() << "dispwin is not installed (argyll)";
    addSecondMonitor();
    std::vector<WORD> ramp(768);
    const double gammas[3] = {1.8, 2.2, 2.6};
    for (size_t c = 0; c < 3; ++c)
        for (size_t i = 0; i < 256; ++i)
            ramp[256 * c + i] =
                static_cast<WORD>(std::lround(std::pow(i / 255.0, 1.0 / gammas[c]) * 60000.0));
    HDC dc = CreateDCA("\\\\.\\DISPLAY2", nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    ASSERT_TRUE(SetDeviceGammaRamp(dc, ramp.data()));
    std::vector<WORD> back(768);
    ASSERT_TRUE(GetDeviceGammaRamp(dc, back.data()));
    EXPECT_EQ(back, ramp);
    DeleteDC(dc);

    std::vector<double> seen = dispwinRamp(2, rootPath("second.cal"));
    ASSERT_EQ(seen.size(), 768u);
    for (size_t i = 0; i < 768; ++i) ASSERT_NEAR(seen[i] * 65535.0, ramp[i], 0.5) << i;
    // The first monitor kept the identity xrandr loaded.
    std::vector<double> first = dispwinRamp(1, rootPath("first.cal"));
    ASSERT_EQ(first.size(), 768u);
    for (size_t i = 0; i < 768; ++i) ASSERT_NEAR(first[i] * 65535.0, (i % 256) * 257, 0.5) << i;
}

TEST_F(X11Display, TheEdidComesFromTheOutputProperty) {
    std::vector<unsigned char> edid = spx::test::makeEdid("NEC", 0x6789, 32, 24, "MultiSync");
    {
        Display* d = XOpenDisplay(XServer::instance().display().c_str());
        ASSERT_NE(d, nullptr);
        Window root = DefaultRootWindow(d);
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(d, root);
        ASSERT_NE(res, nullptr);
        Atom atom = XInternAtom(d, "EDID", False);
        bool set = false;
        for (int o = 0; o < res->noutput; ++o) {
            XRROutputInfo* info = XRRGetOutputInfo(d, res, res->outputs[o]);
            if (std::string(info->name) == "DUMMY0") {
                XRRChangeOutputProperty(d, res->outputs[o], atom, XA_INTEGER, 8, PropModeReplace,
                                        edid.data(), static_cast<int>(edid.size()));
                set = true;
            }
            XRRFreeOutputInfo(info);
        }
        XRRFreeScreenResources(res);
        XSync(d, False);
        XCloseDisplay(d);
        ASSERT_TRUE(set);
    }
    WinplatResetProcessState();
    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    ASSERT_TRUE(EnumDisplayDevicesA("\\\\.\\DISPLAY1", 0, &dd, 0));
    EXPECT_STREQ(dd.DeviceString, "MultiSync");
    EXPECT_EQ(std::string(dd.DeviceID).substr(0, 16), "MONITOR\\NEC6789\\");
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 320);
    ReleaseDC(nullptr, dc);

    // The 95 family's plug-and-play key holds the same block.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager\\Enum", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum\\MONITOR\\NEC6789\\0001", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    std::vector<BYTE> stored(200, 0xbd);
    DWORD size = static_cast<DWORD>(stored.size()), type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "EDID", nullptr, &type, stored.data(), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    stored.resize(size);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stored, edid);

    // Removed again, so later tests see the plain output.
    Display* d = XOpenDisplay(XServer::instance().display().c_str());
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(d, DefaultRootWindow(d));
    for (int o = 0; o < res->noutput; ++o) {
        XRROutputInfo* info = XRRGetOutputInfo(d, res, res->outputs[o]);
        if (std::string(info->name) == "DUMMY0")
            XRRDeleteOutputProperty(d, res->outputs[o], XInternAtom(d, "EDID", False));
        XRRFreeOutputInfo(info);
    }
    XRRFreeScreenResources(res);
    XSync(d, False);
    XCloseDisplay(d);
}

// The pointer on the server's root window, from a client of the test's own.
std::pair<int, int> rootPointer(Display* d) {
    Window root = None, child = None;
    int rootX = -1, rootY = -1, winX = 0, winY = 0;
    unsigned int mask = 0;
    EXPECT_TRUE(XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rootX, &rootY, &winX,
                              &winY, &mask));
    return {rootX, rootY};
}

TEST_F(X11Display, ThePointerIsTheServersInDesktopCoordinates) {
    addSecondMonitor();
    // The second output primary: the desktop's origin is the root window's (1024, 0).
    ASSERT_EQ(XServer::instance().run("xrandr --output DUMMY1 --primary"), 0);
    WinplatResetProcessState();
    Display* d = XOpenDisplay(XServer::instance().display().c_str());
    ASSERT_NE(d, nullptr);

    ASSERT_EQ(SetCursorPos(-1000, 100), TRUE);
    EXPECT_EQ(rootPointer(d), std::make_pair(24, 100));

    XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, 2000, 700);
    XSync(d, False);
    POINT p{static_cast<LONG>(0xdeadbeef), static_cast<LONG>(0xdeadbeef)};
    ASSERT_EQ(GetCursorPos(&p), TRUE);
    EXPECT_EQ(p.x, 976);
    EXPECT_EQ(p.y, 700);

    // Beyond every monitor: the nearest point of the nearest one.
    ASSERT_EQ(SetCursorPos(5000, -5000), TRUE);
    EXPECT_EQ(rootPointer(d), std::make_pair(2047, 0));
    ASSERT_EQ(GetCursorPos(&p), TRUE);
    EXPECT_EQ(p.x, 1023);
    EXPECT_EQ(p.y, 0);
    XCloseDisplay(d);
}

TEST(GammaResample, EndsAreKeptAndLinesStayLines) {
    using winplat::detail::resampleChannel;
    std::vector<uint16_t> line(256);
    for (size_t i = 0; i < 256; ++i) line[i] = static_cast<uint16_t>(i * 257);
    struct Case {
        size_t size;
    } cases[] = {{2}, {16}, {255}, {257}, {1024}, {4096}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<uint16_t> out = resampleChannel(line.data(), 256, c.size);
        ASSERT_EQ(out.size(), c.size);
        EXPECT_EQ(out.front(), 0);
        EXPECT_EQ(out.back(), 65535);
        for (size_t i = 0; i < c.size; ++i)
            ASSERT_EQ(out[i], std::lround(65535.0 * i / (c.size - 1))) << i;
        // Back to 256 entries: within one step of rounding of the original.
        std::vector<uint16_t> back = resampleChannel(out.data(), out.size(), 256);
        for (size_t i = 0; i < 256; ++i) ASSERT_NEAR(back[i], line[i], 1) << i;
    }
    // Interpolation between two entries, rounded to nearest.
    const uint16_t two[2] = {100, 201};
    EXPECT_EQ(resampleChannel(two, 2, 3), (std::vector<uint16_t>{100, 151, 201}));
    const uint16_t one[1] = {777};
    EXPECT_EQ(resampleChannel(one, 1, 4), (std::vector<uint16_t>{777, 777, 777, 777}));
    EXPECT_EQ(resampleChannel(two, 2, 1), (std::vector<uint16_t>{100}));
    EXPECT_EQ(resampleChannel(nullptr, 0, 3), (std::vector<uint16_t>{0, 0, 0}));
    EXPECT_TRUE(resampleChannel(two, 2, 0).empty());
}

}  // namespace
