// Display device contexts, capabilities, gamma ramps, display devices, monitors and system
// metrics, on the virtual display.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;
using spx::test::VirtualMonitor;

constexpr DWORD kMarker = 0xdeadbeef;

class DisplayDevices : public FreshRootTest {
protected:
    // Three monitors of different sizes and depths: 1280 x 1024 at (0, 0), 1024 x 768 to its
    // right, 800 x 600 to the left of the primary and above the desktop's top.
    void writeThreeMixed() const {
        std::vector<VirtualMonitor> m(3);
        m[0].width = 1280, m[0].height = 1024;
        m[1].left = 1280, m[1].width = 1024, m[1].height = 768, m[1].bitsPerPixel = 16;
        m[2].left = -800, m[2].top = -100, m[2].width = 800, m[2].height = 600;
        m[0].description = "First";
        m[1].description = "Second";
        m[2].description = "Third";
        writeDisplayIni(m, "Test Adapter");
    }
};

std::vector<WORD> rampOf(WORD base) {
    std::vector<WORD> r(768);
    for (size_t i = 0; i < r.size(); ++i) r[i] = static_cast<WORD>(base + i * 61);
    return r;
}

std::vector<WORD> identity() {
    std::vector<WORD> r(768);
    for (size_t i = 0; i < r.size(); ++i) r[i] = static_cast<WORD>((i % 256) * 257);
    return r;
}

TEST_F(DisplayDevices, WithoutDisplayIniTheMachineHasOneTrueColourScreen) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1024);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 768);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), -1);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASDISPLAY);
    EXPECT_EQ(GetDeviceCaps(dc, COLORMGMTCAPS), CM_GAMMA_RAMP);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 271);  // 1024 pixels at 96 to the inch
    EXPECT_EQ(GetDeviceCaps(dc, 9999), 0);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
}

TEST_F(DisplayDevices, SystemMetricsDescribeTheDesktopForOneTwoAndThreeMonitors) {
    struct Case {
        int count;
        int width;
    } cases[] = {{1, 1024}, {2, 2048}, {3, 3072}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        writeDisplayIni(spx::test::monitorsSideBySide(c.count));
        WinplatResetProcessState();
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
        EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
        EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), 0);
        EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), 0);
        EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), c.width);
        EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 768);
        EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), c.count);
        EXPECT_EQ(GetSystemMetrics(SM_SAMEDISPLAYFORMAT), 1);
    }
}

TEST_F(DisplayDevices, TheVirtualScreenBoundsMonitorsLeftOfAndAboveThePrimary) {
    writeThreeMixed();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), -800);
    EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), -100);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 800 + 1280 + 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 1124);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 3);
    EXPECT_EQ(GetSystemMetrics(SM_SAMEDISPLAYFORMAT), 0);  // one of them has 16 bits
}

TEST_F(DisplayDevices, AdaptersAreListedInMonitorOrderWithEveryField) {
    writeThreeMixed();
    for (DWORD i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        DISPLAY_DEVICEA dd;
        std::memset(&dd, 0xbd, sizeof dd);
        dd.cb = sizeof dd;
        ASSERT_TRUE(EnumDisplayDevicesA(nullptr, i, &dd, 0));
        EXPECT_EQ(dd.cb, sizeof dd);
        EXPECT_STREQ(dd.DeviceName, ("\\\\.\\DISPLAY" + std::to_string(i + 1)).c_str());
        EXPECT_STREQ(dd.DeviceString, "Test Adapter");
        EXPECT_EQ(dd.StateFlags, DISPLAY_DEVICE_ATTACHED_TO_DESKTOP |
                                     (i == 0 ? DISPLAY_DEVICE_PRIMARY_DEVICE : 0u));
        EXPECT_STREQ(dd.DeviceID, "ROOT\\VIRTUAL_DISPLAY");
        EXPECT_STREQ(dd.DeviceKey, ("System\\CurrentControlSet\\Services\\Class\\Display\\000" +
                                    std::to_string(i)).c_str());
        // Fields are zero-filled after their text.
        EXPECT_EQ(dd.DeviceName[31], 0);
        EXPECT_EQ(dd.DeviceString[127], 0);
    }
    DISPLAY_DEVICEA dd;
    std::memset(&dd, 0xbd, sizeof dd);
    dd.cb = sizeof dd;
    SetLastError(kMarker);
    EXPECT_FALSE(EnumDisplayDevicesA(nullptr, 3, &dd, 0));
    EXPECT_EQ(GetLastError(), kMarker);
    EXPECT_EQ(static_cast<unsigned char>(dd.DeviceName[0]), 0xbd);
}

TEST_F(DisplayDevices, TheFirstFormOfTheStructureGetsNothingPastStateFlags) {
    writeDisplayIni(spx::test::monitorsSideBySide(2));
    DISPLAY_DEVICEA dd;
    std::memset(&dd, 0xbd, sizeof dd);
    dd.cb = 168;
    ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 1, &dd, 0));
    EXPECT_STREQ(dd.DeviceName, "\\\\.\\DISPLAY2");
    EXPECT_EQ(dd.StateFlags, static_cast<DWORD>(DISPLAY_DEVICE_ATTACHED_TO_DESKTOP));
    for (size_t i = 0; i < sizeof dd.DeviceID; ++i)
        ASSERT_EQ(static_cast<unsigned char>(dd.DeviceID[i]), 0xbd) << i;
    for (size_t i = 0; i < sizeof dd.DeviceKey; ++i)
        ASSERT_EQ(static_cast<unsigned char>(dd.DeviceKey[i]), 0xbd) << i;

    for (DWORD cb : {0u, 1u, 167u}) {
        SCOPED_TRACE(cb);
        std::memset(&dd, 0xbd, sizeof dd);
        dd.cb = cb;
        SetLastError(kMarker);
        EXPECT_FALSE(EnumDisplayDevicesA(nullptr, 0, &dd, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(static_cast<unsigned char>(dd.DeviceName[0]), 0xbd);
    }
    SetLastError(kMarker);
    EXPECT_FALSE(EnumDisplayDevicesA(nullptr, 0, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DisplayDevices, EachAdapterHasOneMonitor) {
    writeThreeMixed();
    const char* names[] = {"First", "Second", "Third"};
    for (DWORD i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        std::string adapter = "\\\\.\\display" + std::to_string(i + 1);  // any case
        DISPLAY_DEVICEA dd;
        std::memset(&dd, 0xbd, sizeof dd);
        dd.cb = sizeof dd;
        ASSERT_TRUE(EnumDisplayDevicesA(adapter.c_str(), 0, &dd, 0));
        EXPECT_STREQ(dd.DeviceName,
                     ("\\\\.\\DISPLAY" + std::to_string(i + 1) + "\\Monitor0").c_str());
        EXPECT_STREQ(dd.DeviceString, names[i]);
        EXPECT_EQ(dd.StateFlags, static_cast<DWORD>(DISPLAY_DEVICE_ACTIVE | DISPLAY_DEVICE_ATTACHED));
        EXPECT_STREQ(dd.DeviceID,
                     ("MONITOR\\DEFAULT_MONITOR\\{4D36E96E-E325-11CE-BFC1-08002BE10318}\\000" +
                      std::to_string(i + 1)).c_str());
        EXPECT_STREQ(dd.DeviceKey, ("System\\CurrentControlSet\\Services\\Class\\Monitor\\000" +
                                    std::to_string(i)).c_str());
        std::memset(&dd, 0xbd, sizeof dd);
        dd.cb = sizeof dd;
        EXPECT_FALSE(EnumDisplayDevicesA(adapter.c_str(), 1, &dd, 0));
        EXPECT_EQ(static_cast<unsigned char>(dd.DeviceName[0]), 0xbd);
    }
    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    for (const char* bad : {"\\\\.\\DISPLAY4", "\\\\.\\DISPLAY0", "\\\\.\\DISPLAY01", "DISPLAY",
                            "\\\\.\\DISPLAY1\\Monitor0", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(EnumDisplayDevicesA(bad, 0, &dd, 0));
    }
}

TEST_F(DisplayDevices, MonitorDeviceIdsNameTheEdidMakerAndCountInstances) {
    std::vector<VirtualMonitor> m = spx::test::monitorsSideBySide(3);
    m[0].edid = spx::test::makeEdid("SAM", 0x0412, 34, 27, "SyncMaster");
    m[1].edid = m[0].edid;
    writeDisplayIni(m);
    const char* expected[] = {"MONITOR\\SAM0412\\{4D36E96E-E325-11CE-BFC1-08002BE10318}\\0001",
                              "MONITOR\\SAM0412\\{4D36E96E-E325-11CE-BFC1-08002BE10318}\\0002",
                              "MONITOR\\DEFAULT_MONITOR\\{4D36E96E-E325-11CE-BFC1-08002BE10318}\\0001"};
    const char* descriptions[] = {"SyncMaster", "SyncMaster", "Default Monitor"};
    for (DWORD i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        DISPLAY_DEVICEA dd{};
        dd.cb = sizeof dd;
        std::string adapter = "\\\\.\\DISPLAY" + std::to_string(i + 1);
        ASSERT_TRUE(EnumDisplayDevicesA(adapter.c_str(), 0, &dd, 0));
        EXPECT_STREQ(dd.DeviceID, expected[i]);
        EXPECT_STREQ(dd.DeviceString, descriptions[i]);
    }
}

TEST_F(DisplayDevices, CreateDCAcceptsTheScreenAndEachDeviceName) {
    writeThreeMixed();
    struct Case {
        const char* driver;
        const char* device;
        int width;  // 0: refused
    } cases[] = {
        {"DISPLAY", nullptr, 1280},           {"display", nullptr, 1280},
        {nullptr, "\\\\.\\DISPLAY2", 1024},   {"DISPLAY", "\\\\.\\DISPLAY3", 800},
        {"\\\\.\\DISPLAY2", nullptr, 1024},   {"\\\\.\\Display1", nullptr, 1280},
        {"\\\\.\\DISPLAY4", nullptr, 0},      {nullptr, "\\\\.\\DISPLAY4", 0},
        {nullptr, nullptr, 0},                {"WINSPOOL", "Printer", 0},
        {"DISPLAY", "\\\\.\\DISPLAY9", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.driver ? c.driver : "(null)") + " " +
                     (c.device ? c.device : "(null)"));
        SetLastError(kMarker);
        HDC dc = CreateDCA(c.driver, c.device, nullptr, nullptr);
        if (!c.width) {
            EXPECT_EQ(dc, nullptr);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
            continue;
        }
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(GetDeviceCaps(dc, HORZRES), c.width);
        EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), c.width == 1024 ? 16 : 32);
        EXPECT_TRUE(DeleteDC(dc));
    }
}

TEST_F(DisplayDevices, ContextsAreReleasedOrDeletedOnceAndStaleOnesAreHarmless) {
    HDC screen = GetDC(nullptr);
    HDC created = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(screen, nullptr);
    ASSERT_NE(created, nullptr);
    EXPECT_NE(screen, created);

    SetLastError(kMarker);
    EXPECT_FALSE(DeleteDC(screen));  // GetDC contexts are released, not deleted
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(ReleaseDC(nullptr, created), 0);  // and the other way round
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 0);
    EXPECT_TRUE(DeleteDC(created));
    EXPECT_FALSE(DeleteDC(created));

    for (HDC stale : {screen, created, reinterpret_cast<HDC>(0x1234), static_cast<HDC>(nullptr)}) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(stale));
        SetLastError(kMarker);
        EXPECT_EQ(GetDeviceCaps(stale, HORZRES), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        std::vector<WORD> ramp(769, 0xbdbd);
        SetLastError(kMarker);
        EXPECT_FALSE(GetDeviceGammaRamp(stale, ramp.data()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(ramp, std::vector<WORD>(769, 0xbdbd));
        SetLastError(kMarker);
        EXPECT_FALSE(SetDeviceGammaRamp(stale, ramp.data()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }

    // A window's context is the screen's; a handle that is no window gets none.
    SetLastError(kMarker);
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x4444)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(DisplayDevices, RampsStartAsIdentityAndReadBackPerDevice) {
    writeDisplayIni(spx::test::monitorsSideBySide(2));
    HDC first = CreateDCA("\\\\.\\DISPLAY1", nullptr, nullptr, nullptr);
    HDC second = CreateDCA("\\\\.\\DISPLAY2", nullptr, nullptr, nullptr);
    HDC screen = GetDC(nullptr);
    ASSERT_TRUE(first && second && screen);

    std::vector<WORD> got(769, 0xbdbd);
    ASSERT_TRUE(GetDeviceGammaRamp(second, got.data()));
    EXPECT_EQ(got[768], 0xbdbd);  // exactly 768 entries written
    got.resize(768);
    EXPECT_EQ(got, identity());

    std::vector<WORD> loaded = rampOf(100);
    ASSERT_TRUE(SetDeviceGammaRamp(second, loaded.data()));
    ASSERT_TRUE(GetDeviceGammaRamp(second, got.data()));
    EXPECT_EQ(got, loaded);
    ASSERT_TRUE(GetDeviceGammaRamp(first, got.data()));
    EXPECT_EQ(got, identity());

    // The screen's context loads and reads the primary monitor's ramp.
    std::vector<WORD> other = rampOf(7);
    ASSERT_TRUE(SetDeviceGammaRamp(screen, other.data()));
    ASSERT_TRUE(GetDeviceGammaRamp(first, got.data()));
    EXPECT_EQ(got, other);

    SetLastError(kMarker);
    EXPECT_FALSE(GetDeviceGammaRamp(first, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(kMarker);
    EXPECT_FALSE(SetDeviceGammaRamp(first, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    DeleteDC(first);
    DeleteDC(second);
    ReleaseDC(nullptr, screen);
}

TEST_F(DisplayDevices, ScreensWithoutARampRefuseItAndSayWhatTheyAre) {
    std::vector<VirtualMonitor> m = {VirtualMonitor{}, spx::test::screenWithoutRamp(),
                                     spx::test::sixteenColourScreen(), VirtualMonitor{},
                                     VirtualMonitor{}};
    m[1].left = 1024;
    m[2].left = 2048;
    m[3].left = 2688, m[3].bitsPerPixel = 1, m[3].planes = 4;
    m[4].left = 3712, m[4].bitsPerPixel = 8;
    writeDisplayIni(m);
    struct Case {
        const char* device;
        bool ramp;
        int bits, planes, colours, palette;
    } cases[] = {
        {"\\\\.\\DISPLAY1", true, 32, 1, -1, 0},    {"\\\\.\\DISPLAY2", false, 32, 1, -1, 0},
        {"\\\\.\\DISPLAY3", false, 4, 1, 16, 0},    {"\\\\.\\DISPLAY4", false, 1, 4, 16, 0},
        {"\\\\.\\DISPLAY5", false, 8, 1, 20, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        HDC dc = CreateDCA(c.device, nullptr, nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), c.bits);
        EXPECT_EQ(GetDeviceCaps(dc, PLANES), c.planes);
        EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), c.colours);
        EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), c.palette);
        EXPECT_EQ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0, c.palette != 0);
        EXPECT_EQ(GetDeviceCaps(dc, COLORMGMTCAPS), c.ramp ? CM_GAMMA_RAMP : CM_NONE);
        std::vector<WORD> ramp(768, 0xbdbd);
        SetLastError(kMarker);
        EXPECT_EQ(GetDeviceGammaRamp(dc, ramp.data()), c.ramp ? TRUE : FALSE);
        if (!c.ramp) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
            EXPECT_EQ(ramp, std::vector<WORD>(768, 0xbdbd));
            SetLastError(kMarker);
            EXPECT_FALSE(SetDeviceGammaRamp(dc, identity().data()));
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
        }
        DeleteDC(dc);
    }
}

struct Seen {
    HMONITOR monitor;
    HDC dc;
    RECT rect;
};
std::vector<Seen> seen;
int stopAfter = 0;

BOOL CALLBACK recordMonitor(HMONITOR monitor, HDC dc, LPRECT rect, LPARAM data) {
    EXPECT_EQ(data, 0x5150);
    seen.push_back({monitor, dc, *rect});
    return stopAfter == 0 || static_cast<int>(seen.size()) < stopAfter;
}

void expectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST_F(DisplayDevices, MonitorsAreEnumeratedInOrderWithTheirInfo) {
    writeThreeMixed();
    seen.clear();
    stopAfter = 0;
    ASSERT_TRUE(EnumDisplayMonitors(nullptr, nullptr, recordMonitor, 0x5150));
    ASSERT_EQ(seen.size(), 3u);
    expectRect(seen[0].rect, 0, 0, 1280, 1024);
    expectRect(seen[1].rect, 1280, 0, 2304, 768);
    expectRect(seen[2].rect, -800, -100, 0, 500);
    EXPECT_EQ(seen[0].dc, nullptr);
    EXPECT_NE(seen[0].monitor, seen[1].monitor);
    EXPECT_NE(seen[1].monitor, seen[2].monitor);

    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        MONITORINFOEXA info;
        std::memset(&info, 0xbd, sizeof info);
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetMonitorInfoA(seen[i].monitor, reinterpret_cast<LPMONITORINFO>(&info)));
        expectRect(info.rcMonitor, seen[i].rect.left, seen[i].rect.top, seen[i].rect.right,
                   seen[i].rect.bottom);
        expectRect(info.rcWork, seen[i].rect.left, seen[i].rect.top, seen[i].rect.right,
                   seen[i].rect.bottom);
        EXPECT_EQ(info.dwFlags, i == 0 ? static_cast<DWORD>(MONITORINFOF_PRIMARY) : 0u);
        EXPECT_STREQ(info.szDevice, ("\\\\.\\DISPLAY" + std::to_string(i + 1)).c_str());

        // The short form leaves the device name alone.
        std::memset(&info, 0xbd, sizeof info);
        info.cbSize = sizeof(MONITORINFO);
        ASSERT_TRUE(GetMonitorInfoA(seen[i].monitor, reinterpret_cast<LPMONITORINFO>(&info)));
        EXPECT_EQ(info.rcMonitor.right, seen[i].rect.right);
        EXPECT_EQ(static_cast<unsigned char>(info.szDevice[0]), 0xbd);
    }

    MONITORINFO info;
    for (DWORD size : {0u, 39u, 41u, 71u, 73u}) {
        SCOPED_TRACE(size);
        std::memset(&info, 0xbd, sizeof info);
        info.cbSize = size;
        SetLastError(kMarker);
        EXPECT_FALSE(GetMonitorInfoA(seen[0].monitor, &info));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(info.rcMonitor.left, static_cast<LONG>(0xbdbdbdbd));
    }
    info.cbSize = sizeof info;
    for (HMONITOR bad : {static_cast<HMONITOR>(nullptr), reinterpret_cast<HMONITOR>(0x12345)}) {
        SetLastError(kMarker);
        EXPECT_FALSE(GetMonitorInfoA(bad, &info));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MONITOR_HANDLE));
    }
    // Handles from before a reset of the process state no longer name a monitor.
    WinplatResetProcessState();
    SetLastError(kMarker);
    EXPECT_FALSE(GetMonitorInfoA(seen[0].monitor, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MONITOR_HANDLE));
}

TEST_F(DisplayDevices, EnumerationIsClippedToTheRectangleAndTheContext) {
    writeThreeMixed();
    stopAfter = 0;

    seen.clear();
    RECT clip{1000, 10, 1400, 20};  // across the first two monitors
    ASSERT_TRUE(EnumDisplayMonitors(nullptr, &clip, recordMonitor, 0x5150));
    ASSERT_EQ(seen.size(), 2u);
    expectRect(seen[0].rect, 1000, 10, 1280, 20);
    expectRect(seen[1].rect, 1280, 10, 1400, 20);

    seen.clear();
    RECT outside{5000, 5000, 5100, 5100};
    EXPECT_TRUE(EnumDisplayMonitors(nullptr, &outside, recordMonitor, 0x5150));
    EXPECT_TRUE(seen.empty());

    // A device's context covers its monitor only, in the device's own coordinates.
    HDC second = CreateDCA("\\\\.\\DISPLAY2", nullptr, nullptr, nullptr);
    seen.clear();
    ASSERT_TRUE(EnumDisplayMonitors(second, nullptr, recordMonitor, 0x5150));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].dc, second);
    expectRect(seen[0].rect, 0, 0, 1024, 768);
    seen.clear();
    RECT local{-10, 700, 10, 800};
    ASSERT_TRUE(EnumDisplayMonitors(second, &local, recordMonitor, 0x5150));
    ASSERT_EQ(seen.size(), 1u);
    expectRect(seen[0].rect, 0, 700, 10, 768);
    DeleteDC(second);

    // The screen's context covers the whole desktop.
    HDC screen = GetDC(nullptr);
    seen.clear();
    ASSERT_TRUE(EnumDisplayMonitors(screen, nullptr, recordMonitor, 0x5150));
    EXPECT_EQ(seen.size(), 3u);
    ReleaseDC(nullptr, screen);

    SetLastError(kMarker);
    EXPECT_FALSE(EnumDisplayMonitors(screen, nullptr, recordMonitor, 0x5150));  // released
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(kMarker);
    EXPECT_FALSE(EnumDisplayMonitors(nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DisplayDevices, ACallbackAnsweringFalseEndsTheEnumeration) {
    writeDisplayIni(spx::test::monitorsSideBySide(3));
    seen.clear();
    stopAfter = 2;
    EXPECT_FALSE(EnumDisplayMonitors(nullptr, nullptr, recordMonitor, 0x5150));
    EXPECT_EQ(seen.size(), 2u);
    stopAfter = 0;
}

LRESULT CALLBACK plainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(DisplayDevices, WindowsLieOnThePrimaryMonitor) {
    writeThreeMixed();
    seen.clear();
    stopAfter = 0;
    ASSERT_TRUE(EnumDisplayMonitors(nullptr, nullptr, recordMonitor, 0x5150));
    HMONITOR primary = seen[0].monitor;

    WNDCLASSA wc{};
    wc.lpfnWndProc = plainProc;
    wc.lpszClassName = "SpxDisplayTest";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND window = CreateWindowExA(0, "SpxDisplayTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    struct Case {
        HWND hwnd;
        DWORD flags;
        bool found;
    } cases[] = {
        {window, MONITOR_DEFAULTTONULL, true},
        {window, MONITOR_DEFAULTTONEAREST, true},
        {nullptr, MONITOR_DEFAULTTONULL, false},
        {nullptr, MONITOR_DEFAULTTOPRIMARY, true},
        {reinterpret_cast<HWND>(0x4444), MONITOR_DEFAULTTONULL, false},
        {reinterpret_cast<HWND>(0x4444), MONITOR_DEFAULTTONEAREST, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(reinterpret_cast<uintptr_t>(c.hwnd)) + " " +
                     std::to_string(c.flags));
        EXPECT_EQ(MonitorFromWindow(c.hwnd, c.flags), c.found ? primary : nullptr);
    }
    DestroyWindow(window);
}

TEST_F(DisplayDevices, RectanglesAndPointsBelongToTheMonitorWithTheLargestShare) {
    writeThreeMixed();  // third (-800..0, -100..500), first (0..1280, 0..1024), second (1280..)
    seen.clear();
    stopAfter = 0;
    ASSERT_TRUE(EnumDisplayMonitors(nullptr, nullptr, recordMonitor, 0x5150));
    HMONITOR first = seen[0].monitor, second = seen[1].monitor, third = seen[2].monitor;
    struct Case {
        const char* name;
        RECT rect;
        HMONITOR onNull, onPrimary, onNearest;
    } cases[] = {
        {"inside the second", {1300, 10, 1400, 20}, second, second, second},
        {"mostly on the first", {1000, 0, 1300, 10}, first, first, first},
        {"mostly on the second", {1200, 0, 1500, 10}, second, second, second},
        {"on the third", {-10, -50, -5, -40}, third, third, third},
        {"empty rectangle on the third", {-10, -50, -10, -50}, third, third, third},
        {"right of everything", {5000, 0, 5100, 10}, nullptr, first, second},
        {"left of everything", {-5000, 0, -4000, 10}, nullptr, first, third},
        {"below the first", {100, 3000, 200, 3100}, nullptr, first, first},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MonitorFromRect(&c.rect, MONITOR_DEFAULTTONULL), c.onNull);
        EXPECT_EQ(MonitorFromRect(&c.rect, MONITOR_DEFAULTTOPRIMARY), c.onPrimary);
        EXPECT_EQ(MonitorFromRect(&c.rect, MONITOR_DEFAULTTONEAREST), c.onNearest);
        POINT corner{c.rect.left, c.rect.top};
        RECT pointRect{corner.x, corner.y, corner.x + 1, corner.y + 1};
        EXPECT_EQ(MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST),
                  MonitorFromRect(&pointRect, MONITOR_DEFAULTTONEAREST));
    }
    EXPECT_EQ(MonitorFromPoint(POINT{1279, 0}, MONITOR_DEFAULTTONULL), first);
    EXPECT_EQ(MonitorFromPoint(POINT{1280, 0}, MONITOR_DEFAULTTONULL), second);
    EXPECT_EQ(MonitorFromPoint(POINT{1280, 768}, MONITOR_DEFAULTTONULL), nullptr);
    SetLastError(kMarker);
    EXPECT_EQ(MonitorFromRect(nullptr, MONITOR_DEFAULTTONEAREST), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DisplayDevices, WindowsNinetyFiveAndNt4HaveNoMultipleMonitorFunctions) {
    writeDisplayIni(spx::test::monitorsSideBySide(2));
    for (const char* family : {"95", "NT4"}) {
        SCOPED_TRACE(family);
        useFamily(family);
        DISPLAY_DEVICEA dd;
        std::memset(&dd, 0xbd, sizeof dd);
        dd.cb = sizeof dd;
        SetLastError(kMarker);
        EXPECT_FALSE(EnumDisplayDevicesA(nullptr, 0, &dd, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
        EXPECT_EQ(static_cast<unsigned char>(dd.DeviceName[0]), 0xbd);
        seen.clear();
        SetLastError(kMarker);
        EXPECT_FALSE(EnumDisplayMonitors(nullptr, nullptr, recordMonitor, 0x5150));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
        EXPECT_TRUE(seen.empty());
        MONITORINFO info{};
        info.cbSize = sizeof info;
        SetLastError(kMarker);
        EXPECT_FALSE(GetMonitorInfoA(reinterpret_cast<HMONITOR>(0x10001), &info));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
        SetLastError(kMarker);
        EXPECT_EQ(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
        SetLastError(kMarker);
        EXPECT_EQ(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));

        // The screen is the primary monitor; the desktop metrics do not exist.
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
        EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
        for (int index : {SM_XVIRTUALSCREEN, SM_YVIRTUALSCREEN, SM_CXVIRTUALSCREEN,
                          SM_CYVIRTUALSCREEN, SM_CMONITORS, SM_SAMEDISPLAYFORMAT})
            EXPECT_EQ(GetSystemMetrics(index), 0) << index;

        EXPECT_EQ(CreateDCA("\\\\.\\DISPLAY1", nullptr, nullptr, nullptr), nullptr);
        HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1024);
        DeleteDC(dc);
    }
}

TEST_F(DisplayDevices, RampsGoThroughTheScreenContextOn95ButNotOnNt4) {
    useFamily("95");
    HDC dc = GetDC(nullptr);
    std::vector<WORD> loaded = rampOf(3), got(768);
    ASSERT_TRUE(SetDeviceGammaRamp(dc, loaded.data()));
    ASSERT_TRUE(GetDeviceGammaRamp(dc, got.data()));
    EXPECT_EQ(got, loaded);
    ReleaseDC(nullptr, dc);

    useFamily("NT4");
    dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    std::vector<WORD> untouched(768, 0xbdbd);
    SetLastError(kMarker);
    EXPECT_FALSE(GetDeviceGammaRamp(dc, untouched.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    EXPECT_EQ(untouched, std::vector<WORD>(768, 0xbdbd));
    SetLastError(kMarker);
    EXPECT_FALSE(SetDeviceGammaRamp(dc, loaded.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    ReleaseDC(nullptr, dc);
}

TEST_F(DisplayDevices, Nt5BehavesLikeNinetyEight) {
    useFamily("NT5");
    writeDisplayIni(spx::test::monitorsSideBySide(2));
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    EXPECT_TRUE(EnumDisplayDevicesA(nullptr, 1, &dd, 0));
    HDC dc = CreateDCA(dd.DeviceName, nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    std::vector<WORD> got(768);
    EXPECT_TRUE(GetDeviceGammaRamp(dc, got.data()));
    DeleteDC(dc);
}

TEST_F(DisplayDevices, AMachineWithoutMonitorsHasNoScreenContext) {
    writeDisplayIni({});
    SetLastError(kMarker);
    EXPECT_EQ(GetDC(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DC_NOT_FOUND));
    EXPECT_EQ(CreateDCA("DISPLAY", nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 0);
    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    EXPECT_FALSE(EnumDisplayDevicesA(nullptr, 0, &dd, 0));
    EXPECT_EQ(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), nullptr);
}

}  // namespace
