// Windows with places: monitors, rectangles and coordinates, frames, z-order, showing, owners
// and the work area. These hold with or without the GUI driver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;
using spx::test::VirtualMonitor;

struct Logged {
    HWND hwnd;
    UINT msg;
    bool operator==(const Logged&) const = default;
};
std::vector<Logged> placeLog;

LRESULT CALLBACK placeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCCREATE: case WM_NCCALCSIZE: case WM_CREATE: case WM_SIZE: case WM_MOVE:
        case WM_SHOWWINDOW: case WM_WINDOWPOSCHANGING: case WM_WINDOWPOSCHANGED:
        case WM_QUERYNEWPALETTE: case WM_NCACTIVATE: case WM_ACTIVATE: case WM_SETFOCUS:
        case WM_KILLFOCUS: case WM_DESTROY: case WM_PARENTNOTIFY:
            placeLog.push_back({hwnd, msg});
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class PlacementTest : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        placeLog.clear();
        // Two monitors of different sizes, the second one reaching above the first.
        VirtualMonitor first, second;
        second.left = 1024;
        second.top = -200;
        second.width = 1280;
        second.height = 1024;
        writeDisplayIni({first, second});
        WNDCLASSA wc{};
        wc.lpfnWndProc = placeProc;
        wc.lpszClassName = "SpxPlace";
        ASSERT_NE(RegisterClassA(&wc), 0);
    }

    HWND make(DWORD style, RECT r, HWND parent = nullptr, DWORD ex = 0) {
        return CreateWindowExA(ex, "SpxPlace", "place", style, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, parent, nullptr, nullptr, nullptr);
    }

    static BOOL CALLBACK collect(HMONITOR m, HDC, LPRECT r, LPARAM data) {
        reinterpret_cast<std::vector<std::pair<HMONITOR, RECT>>*>(data)->push_back({m, *r});
        return TRUE;
    }
    std::vector<std::pair<HMONITOR, RECT>> monitors() {
        std::vector<std::pair<HMONITOR, RECT>> all;
        EnumDisplayMonitors(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&all));
        return all;
    }
};

TEST_F(PlacementTest, CentredWindowReportsItsMonitorAndConvertsCoordinates) {
    auto all = monitors();
    ASSERT_EQ(all.size(), 2u);
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE("monitor " + std::to_string(i + 1));
        const RECT& m = all[i].second;
        LONG x = (m.left + m.right) / 2 - 150, y = (m.top + m.bottom) / 2 - 100;
        RECT want{x, y, x + 300, y + 200};
        HWND w = make(WS_POPUP | WS_CAPTION | WS_SYSMENU, want);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(MonitorFromWindow(w, MONITOR_DEFAULTTONULL), all[i].first);
        RECT got{};
        ASSERT_TRUE(GetWindowRect(w, &got));
        EXPECT_TRUE(EqualRect(&got, &want));
        RECT client{};
        ASSERT_TRUE(GetClientRect(w, &client));
        EXPECT_EQ(client.right, 300 - 2 * 3);
        EXPECT_EQ(client.bottom, 200 - 2 * 3 - 19);

        // The client corner lies inside the 3-px frame and under the 19-px caption.
        POINT p{5, 7};
        ASSERT_TRUE(ClientToScreen(w, &p));
        EXPECT_EQ(p.x, x + 3 + 5);
        EXPECT_EQ(p.y, y + 3 + 19 + 7);
        ASSERT_TRUE(ScreenToClient(w, &p));
        EXPECT_EQ(p.x, 5);
        EXPECT_EQ(p.y, 7);

        // A child's coordinates add up through its parent's client area.
        HWND child = make(WS_CHILD | WS_BORDER, RECT{10, 20, 60, 50}, w);
        ASSERT_NE(child, nullptr);
        POINT c{0, 0};
        ClientToScreen(child, &c);
        EXPECT_EQ(c.x, x + 3 + 10 + 1);
        EXPECT_EQ(c.y, y + 3 + 19 + 20 + 1);
        POINT both[2] = {{0, 0}, {-4, 9}};
        int shift = MapWindowPoints(child, w, both, 2);
        EXPECT_EQ(both[0].x, 11);
        EXPECT_EQ(both[0].y, 21);
        EXPECT_EQ(both[1].x, 7);
        EXPECT_EQ(both[1].y, 30);
        EXPECT_EQ(shift, MAKELONG(11, 21));
        POINT desktop{0, 0};
        MapWindowPoints(child, nullptr, &desktop, 1);
        EXPECT_EQ(desktop.x, c.x);
        EXPECT_EQ(desktop.y, c.y);
        DestroyWindow(w);
    }
    // A window across both monitors belongs to the one with the larger share.
    HWND across = make(WS_POPUP, RECT{900, 100, 1200, 300});
    EXPECT_EQ(MonitorFromWindow(across, MONITOR_DEFAULTTONULL), all[1].first);
}

TEST_F(PlacementTest, FramesOfEachStyle) {
    struct Case {
        const char* name;
        DWORD style;
        DWORD ex;
        int frame;
        int caption;
    } cases[] = {
        {"bare popup", WS_POPUP, 0, 0, 0},
        {"border", WS_POPUP | WS_BORDER, 0, 1, 0},
        {"dialog frame", WS_POPUP | WS_DLGFRAME, 0, 3, 0},
        {"modal frame", WS_POPUP | DS_MODALFRAME, 0, 3, 0},
        {"sizing frame", WS_POPUP | WS_THICKFRAME, 0, 4, 0},
        {"caption", WS_POPUP | WS_CAPTION, 0, 3, 19},
        {"overlapped", WS_OVERLAPPEDWINDOW, 0, 4, 19},
        {"client edge", WS_POPUP | WS_BORDER, WS_EX_CLIENTEDGE, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND w = make(c.style, RECT{10, 10, 210, 110}, nullptr, c.ex);
        ASSERT_NE(w, nullptr);
        RECT client{};
        GetClientRect(w, &client);
        EXPECT_EQ(client.right, 200 - 2 * c.frame);
        EXPECT_EQ(client.bottom, 100 - 2 * c.frame - c.caption);
        RECT adjusted{0, 0, client.right, client.bottom};
        AdjustWindowRectEx(&adjusted, c.style, FALSE, c.ex);
        EXPECT_EQ(adjusted.right - adjusted.left, 200);
        EXPECT_EQ(adjusted.bottom - adjusted.top, 100);
        DestroyWindow(w);
    }
    EXPECT_EQ(GetSystemMetrics(SM_CXDLGFRAME), 3);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
}

TEST_F(PlacementTest, ZOrderOfTopLevelWindowsAndChildren) {
    RECT r{0, 0, 50, 50};
    HWND a = make(WS_POPUP, r), b = make(WS_POPUP, r), c = make(WS_POPUP, r);
    auto order = [] {
        std::vector<HWND> all;
        EnumWindows([](HWND h, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        }, reinterpret_cast<LPARAM>(&all));
        return all;
    };
    EXPECT_EQ(order(), (std::vector<HWND>{c, b, a}));
    SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(order(), (std::vector<HWND>{a, c, b}));
    SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(order(), (std::vector<HWND>{c, b, a}));
    // A top-most window stays above windows made later; HWND_BOTTOM ends that.
    SetWindowPos(b, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(GetWindowLongPtrA(b, GWL_EXSTYLE) & WS_EX_TOPMOST);
    HWND d = make(WS_POPUP, r);
    EXPECT_EQ(order(), (std::vector<HWND>{b, d, c, a}));
    SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(order(), (std::vector<HWND>{b, c, d, a}));
    SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(GetWindowLongPtrA(b, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(order(), (std::vector<HWND>{c, d, a, b}));

    // Owned windows stay above their owner when it comes to the top.
    HWND owned = make(WS_POPUP, r, a);
    SetWindowPos(owned, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(order(), (std::vector<HWND>{owned, a, c, d, b}));
    DestroyWindow(owned);

    // Children: creation order is z-order, top first.
    HWND first = make(WS_CHILD, r, a), second = make(WS_CHILD, r, a);
    EXPECT_EQ(GetWindow(a, GW_CHILD), first);
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
    EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(second, GW_HWNDPREV), first);
    EXPECT_TRUE(IsChild(a, second));
    EXPECT_FALSE(IsChild(b, second));
}

TEST_F(PlacementTest, ParentsAndOwners) {
    RECT r{0, 0, 50, 50};
    HWND owner = make(WS_OVERLAPPED, r);
    HWND popup = make(WS_POPUP, r, owner);
    HWND owned = make(WS_OVERLAPPED, r, owner);
    HWND child = make(WS_CHILD, r, popup);
    EXPECT_EQ(GetParent(popup), owner);   // a popup's parent is its owner
    EXPECT_EQ(GetParent(owned), nullptr);  // an overlapped window has none
    EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
    EXPECT_EQ(GetParent(child), popup);
    EXPECT_EQ(GetAncestor(child, GA_ROOT), popup);
    EXPECT_EQ(GetAncestor(child, GA_ROOTOWNER), owner);
    // Owned windows are destroyed before their owner, the top one first.
    placeLog.clear();
    DestroyWindow(owner);
    std::vector<Logged> destroys;
    for (const Logged& l : placeLog)
        if (l.msg == WM_DESTROY) destroys.push_back(l);
    EXPECT_EQ(destroys, (std::vector<Logged>{{owned, WM_DESTROY}, {popup, WM_DESTROY},
                                             {child, WM_DESTROY}, {owner, WM_DESTROY}}));
}

TEST_F(PlacementTest, AVisibleWindowIsMadeShownAndActivatedInOrder) {
    HWND w = make(WS_POPUP | WS_VISIBLE, RECT{10, 10, 110, 110});
    ASSERT_NE(w, nullptr);
    std::vector<UINT> messages;
    for (const Logged& l : placeLog) messages.push_back(l.msg);
    EXPECT_EQ(messages, (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE,
                                           WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED,
                                           WM_QUERYNEWPALETTE, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}));
    EXPECT_EQ(GetActiveWindow(), w);
    EXPECT_EQ(GetFocus(), w);
    EXPECT_TRUE(IsWindowVisible(w));

    // A visible child of a hidden parent is not visible; ShowWindow says what was before.
    HWND child = make(WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, w);
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_TRUE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_FALSE(ShowWindow(w, SW_HIDE));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_FALSE(ShowWindow(w, SW_SHOWNOACTIVATE));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_TRUE(IsWindowVisible(child));

    // Moving sends the changes as WM_MOVE and WM_SIZE in client terms.
    placeLog.clear();
    ASSERT_TRUE(MoveWindow(w, 20, 30, 200, 100, TRUE));
    std::vector<UINT> move;
    for (const Logged& l : placeLog)
        if (l.hwnd == w) move.push_back(l.msg);
    EXPECT_EQ(move, (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}));
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.bottom, 130);
}

TEST_F(PlacementTest, WorkAreaComesFromTheTaskBar) {
    writeFile("display.ini", readFile("display.ini") + "\r\n[Taskbar]\r\nEdge=bottom\r\nSize=40\r\n");
    WinplatResetProcessState();
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.left, 0);
    EXPECT_EQ(work.top, 0);
    EXPECT_EQ(work.right, 1024);
    EXPECT_EQ(work.bottom, 728);
    auto all = monitors();
    MONITORINFO info{sizeof info, {}, {}, 0};
    ASSERT_TRUE(GetMonitorInfoA(all[0].first, &info));
    EXPECT_TRUE(EqualRect(&info.rcWork, &work));
    ASSERT_TRUE(GetMonitorInfoA(all[1].first, &info));
    EXPECT_TRUE(EqualRect(&info.rcWork, &info.rcMonitor));

    writeFile("display.ini", readFile("display.ini") + "AutoHide=1\r\n");
    WinplatResetProcessState();
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.bottom, 768);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &work, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_SPI_VALUE));
}

}  // namespace
