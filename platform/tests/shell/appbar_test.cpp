// SHAppBarMessage: the task bar stand-in's edge, place and auto-hide state as display.ini's
// [Taskbar] describes it on the virtual display.
#include <gtest/gtest.h>

#include <string>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;
using spx::test::VirtualMonitor;

class AppBar : public FreshRootTest {};

TEST_F(AppBar, TheTaskBarsEdgePlaceAndState) {
    struct Case {
        const char* taskbar;  // display.ini's [Taskbar] lines
        BOOL present;
        UINT edge;
        RECT rc;
        UINT_PTR state;
    };
    const Case cases[] = {
        {"", FALSE, 0, {}, ABS_ALWAYSONTOP},
        {"Edge=none\r\n", FALSE, 0, {}, ABS_ALWAYSONTOP},
        {"Edge=bottom\r\nSize=40\r\n", TRUE, ABE_BOTTOM, {0, 728, 1024, 768}, ABS_ALWAYSONTOP},
        {"Edge=Top\r\n", TRUE, ABE_TOP, {0, 0, 1024, 30}, ABS_ALWAYSONTOP},
        {"Edge=left\r\nSize=64\r\n", TRUE, ABE_LEFT, {0, 0, 64, 768}, ABS_ALWAYSONTOP},
        {"Edge=right\r\nSize=20\r\nAutoHide=1\r\n", TRUE, ABE_RIGHT, {1004, 0, 1024, 768}, ABS_ALWAYSONTOP | ABS_AUTOHIDE},
        {"Edge=bottom\r\nSize=banana\r\nAutoHide=7\r\n", TRUE, ABE_BOTTOM, {0, 738, 1024, 768}, ABS_ALWAYSONTOP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.taskbar);
        VirtualMonitor second;
        second.left = 1024;
        writeDisplayIni({VirtualMonitor{}, second});
        writeFile("display.ini", readFile("display.ini") + "\r\n[Taskbar]\r\n" + c.taskbar);
        WinplatResetProcessState();
        APPBARDATA bar{};
        bar.cbSize = sizeof bar;
        bar.uEdge = 0xdeadbeef;
        bar.rc = {-1, -1, -1, -1};
        EXPECT_EQ(SHAppBarMessage(ABM_GETTASKBARPOS, &bar), static_cast<UINT_PTR>(c.present));
        EXPECT_EQ(bar.uEdge, c.present ? c.edge : 0xdeadbeef);
        RECT expected = c.present ? c.rc : RECT{-1, -1, -1, -1};
        EXPECT_TRUE(EqualRect(&bar.rc, &expected))
            << bar.rc.left << "," << bar.rc.top << "," << bar.rc.right << "," << bar.rc.bottom;
        EXPECT_EQ(SHAppBarMessage(ABM_GETSTATE, &bar), c.state);
        EXPECT_EQ(SHAppBarMessage(ABM_GETSTATE, nullptr), c.state);
    }
    APPBARDATA small{};
    small.cbSize = sizeof small - 8;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SHAppBarMessage(ABM_GETTASKBARPOS, &small), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(SHAppBarMessage(ABM_GETTASKBARPOS, nullptr), 0u);
    EXPECT_EQ(SHAppBarMessage(ABM_NEW, nullptr), 0u);
}

}  // namespace
