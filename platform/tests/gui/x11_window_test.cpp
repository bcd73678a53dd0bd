// A top-level window on a real X server (Xorg with the dummy driver, two RandR monitors, no
// window manager): it appears at its monitor's root coordinates, and the server's image of it
// equals the surface. Skips with the reason when Xorg cannot run here.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"
#include "xorg_server.h"

#include <QImage>

// After GoogleTest and Qt: Xlib defines macros (None, Bool, Status) that their headers use.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace {

using spx::test::XServer;

int painted = 0;

// Bands of exact colours with a 1-on-2-off dither in the middle.
LRESULT CALLBACK bandsProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return DefWindowProcA(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    COLORREF bands[] = {RGB(1, 2, 3), RGB(255, 0, 0), RGB(0, 128, 0), RGB(8, 8, 8)};
    for (int i = 0; i < 4; ++i) {
        HBRUSH b = CreateSolidBrush(bands[i]);
        RECT r{0, i * 25, 200, i * 25 + 25};
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    for (int x = 0; x < 200; x += 3) SetPixel(dc, x, 50, RGB(0, 0, 255));
    EndPaint(hwnd, &ps);
    ++painted;
    return 0;
}

class X11Window : public spx::test::FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        const XServer& x = XServer::instance();
        if (!x.skipReason().empty()) GTEST_SKIP() << "no X server for the X11 window test: " << x.skipReason();
        scope_ = std::make_unique<spx::test::XServerDisplayScope>(x);
        // Two monitors side by side; the second is primary, so desktop coordinates start at
        // its corner, 1024 pixels right of the root window's.
        x.run("xrandr --addmode DUMMY1 1024x768");
        ASSERT_EQ(x.run("xrandr --output DUMMY0 --mode 1024x768 --pos 0x0"), 0);
        ASSERT_EQ(x.run("xrandr --output DUMMY1 --mode 1024x768 --pos 1024x0 --primary"), 0);
        ASSERT_EQ(x.run("xrandr --query"), 0);
        WinplatResetProcessState();
        painted = 0;
        WNDCLASSA wc{};
        wc.lpfnWndProc = bandsProc;
        wc.lpszClassName = "SpxBands";
        ASSERT_NE(RegisterClassA(&wc), 0);
    }
    void TearDown() override {
        scope_.reset();
        FreshRootTest::TearDown();
    }

    std::unique_ptr<spx::test::XServerDisplayScope> scope_;
};

// The root window's pixels of a rectangle, as 0x00RRGGBB rows.
std::vector<uint32_t> rootImage(Display* d, int x, int y, int w, int h) {
    XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(w), static_cast<unsigned>(h),
                              AllPlanes, ZPixmap);
    std::vector<uint32_t> out;
    if (!image) return out;
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) out.push_back(static_cast<uint32_t>(XGetPixel(image, col, row)) & 0xFFFFFF);
    XDestroyImage(image);
    return out;
}

TEST_F(X11Window, AWindowOnTheSecondMonitorShowsItsSurfaceAtRootCoordinates) {
    HMONITOR second = MonitorFromPoint(POINT{10, 10}, MONITOR_DEFAULTTONULL);
    MONITORINFO info{sizeof info, {}, {}, 0};
    ASSERT_TRUE(GetMonitorInfoA(second, &info));
    ASSERT_EQ(info.rcMonitor.left, 0);  // the primary monitor holds the desktop's origin
    ASSERT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    HWND w = CreateWindowExA(0, "SpxBands", "", WS_POPUP | WS_VISIBLE, 100, 50, 200, 100, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    DWORD end = GetTickCount() + 5000;
    MSG m;
    while (painted == 0 && static_cast<int>(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
    ASSERT_GT(painted, 0);
    std::string path = rootPath("x11.png");
    ASSERT_TRUE(WinplatSaveWindowImage(w, path.c_str()));
    QImage saved(QString::fromStdString(path));
    ASSERT_EQ(saved.width(), 200);
    ASSERT_EQ(saved.height(), 100);
    saved = saved.convertToFormat(QImage::Format_RGB32);
    std::vector<uint32_t> surface;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) surface.push_back(saved.pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(surface[0], 0x010203u);
    EXPECT_EQ(surface[50 * 200 + 3], 0x0000FFu);

    // The server draws asynchronously: look until the image arrives.
    Display* d = XOpenDisplay(XServer::instance().display().c_str());
    ASSERT_NE(d, nullptr);
    std::vector<uint32_t> shown;
    end = GetTickCount() + 5000;
    do {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        GdiFlush();
        shown = rootImage(d, 1024 + 100, 50, 200, 100);
        if (shown == surface) break;
        Sleep(50);
    } while (static_cast<int>(end - GetTickCount()) > 0);
    XCloseDisplay(d);
    ASSERT_EQ(shown.size(), surface.size());
    size_t differing = 0;
    for (size_t i = 0; i < shown.size(); ++i) differing += shown[i] != surface[i];
    EXPECT_EQ(differing, 0u) << "first pixel on the server: " << std::hex << shown[0];
    DestroyWindow(w);
}

// The X window of a top-level window, found by its name among the root's children.
Window windowNamed(Display* d, const char* name) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        if (XFetchName(d, children[i], &title) && title) {
            if (std::string(title) == name) found = children[i];
            XFree(title);
        }
    }
    if (children) XFree(children);
    return found;
}

void pumpFor(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    MSG m;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
}

TEST_F(X11Window, ADecoratedWindowTakesTheWindowManagersFrameWhenOneIsReported) {
    // No window manager runs: our own frame and caption sizes hold.
    HWND w = CreateWindowExA(0, "SpxBands", "Framed", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 100, 50, 300,
                             200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    pumpFor(200);
    RECT window{}, client{};
    GetWindowRect(w, &window);
    GetClientRect(w, &client);
    EXPECT_EQ(window.left, 100);
    EXPECT_EQ(window.right - window.left, 300);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_EQ(client.bottom, 200 - 19 - 2 * 3);

    // The test plays the window manager: it frames the window (5 pixels, a 25-pixel title) and
    // moves it; the window's rectangle and the metrics follow the reported frame.
    Display* d = XOpenDisplay(XServer::instance().display().c_str());
    ASSERT_NE(d, nullptr);
    Window x = windowNamed(d, "Framed");
    ASSERT_NE(x, 0u);
    long extents[4] = {5, 5, 25, 5};  // left, right, top, bottom
    XChangeProperty(d, x, XInternAtom(d, "_NET_FRAME_EXTENTS", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(extents), 4);
    XMoveWindow(d, x, 1024 + 200, 150);
    XSync(d, False);
    DWORD end = GetTickCount() + 5000;
    do {
        pumpFor(50);
        GetWindowRect(w, &window);
    } while (window.top != 150 - 25 && static_cast<int>(end - GetTickCount()) > 0);
    XCloseDisplay(d);
    RECT after{};
    GetClientRect(w, &after);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    EXPECT_EQ(origin.x, 200);
    EXPECT_EQ(origin.y, 150);
    EXPECT_EQ(after.right, client.right);  // the client area keeps its size
    EXPECT_EQ(after.bottom, client.bottom);
    EXPECT_EQ(window.left, 200 - 5);
    EXPECT_EQ(window.top, 150 - 25);
    EXPECT_EQ(window.right, 200 + client.right + 5);
    EXPECT_EQ(window.bottom, 150 + client.bottom + 5);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 20);
    EXPECT_EQ(GetSystemMetrics(SM_CXDLGFRAME), 5);
    EXPECT_EQ(GetSystemMetrics(SM_CYFRAME), 5);
    RECT adjusted{0, 0, 100, 100};
    AdjustWindowRect(&adjusted, WS_OVERLAPPED | WS_CAPTION, FALSE);
    EXPECT_EQ(adjusted.top, -25);
    DestroyWindow(w);
}

}  // namespace
