// Without the GUI driver (an environment that hides it): windows keep their places, messages
// and timers, nothing is ever invalid, and every call that needs pixels fails with
// ERROR_NOT_SUPPORTED.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fresh_root.h"
#include "winplat.h"

namespace {

int paints = 0;

LRESULT CALLBACK plainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) ++paints;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class NoDriverTest : public spx::test::FreshRootTest {
protected:
    void SetUp() override {
        // Each test is a process of its own: the driver was never looked for before this.
        setenv("SPECTRINE_GUI_DRIVER", (std::string(::testing::TempDir()) + "/no-such-driver.so").c_str(), 1);
        FreshRootTest::SetUp();
        paints = 0;
        WNDCLASSA wc{};
        wc.lpfnWndProc = plainProc;
        wc.lpszClassName = "SpxPlain";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        ASSERT_NE(RegisterClassA(&wc), 0);
    }
    void TearDown() override {
        FreshRootTest::TearDown();
        unsetenv("SPECTRINE_GUI_DRIVER");
    }
};

TEST_F(NoDriverTest, WindowsKeepTheirPlacesButHaveNoPixels) {
    HWND w = CreateWindowExA(0, "SpxPlain", "no pixels", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 60, 300, 200,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(IsWindowVisible(w));
    RECT r{};
    ASSERT_TRUE(GetWindowRect(w, &r));
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.bottom, 260);
    EXPECT_EQ(GetActiveWindow(), w);

    SetLastError(0xdeadbeef);
    HDC dc = GetDC(w);
    EXPECT_EQ(dc, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetWindowDC(w), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(CreateCompatibleDC(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(CreateBitmap(4, 4, 1, 32, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WinplatSaveWindowImage(w, rootPath("w.png").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    // Drawing calls on what is no context fail without touching anything.
    RECT all{0, 0, 10, 10};
    EXPECT_EQ(FillRect(nullptr, &all, GetSysColorBrush(COLOR_WINDOW)), 0);
    EXPECT_FALSE(TextOutA(nullptr, 0, 0, "x", 1));

    // Nothing is invalid: no WM_PAINT ever comes; timers and posted messages still do.
    InvalidateRect(w, nullptr, TRUE);
    EXPECT_EQ(SetTimer(w, 1, 10, nullptr), 1u);
    PostMessageA(w, WM_USER, 0, 0);
    DWORD end = GetTickCount() + 100;
    int timers = 0, posted = 0;
    MSG m;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            timers += m.message == WM_TIMER;
            posted += m.message == WM_USER;
            DispatchMessageA(&m);
        }
    }
    EXPECT_EQ(paints, 0);
    EXPECT_GT(timers, 0);
    EXPECT_EQ(posted, 1);
    // The system colours are the classic scheme; the screen's context still serves the ramps.
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1024);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_TRUE(DestroyWindow(w));
}

}  // namespace
