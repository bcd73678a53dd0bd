// Timers: their period, procedures, failures and late delivery, with no driver loaded.
#include <gtest/gtest.h>

#include <thread>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;

int windowTicks = 0;
int procTicks = 0;
UINT_PTR lastProcId = 0;

LRESULT CALLBACK timerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        ++windowTicks;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void CALLBACK timerProc(HWND, UINT msg, UINT_PTR id, DWORD) {
    EXPECT_EQ(msg, static_cast<UINT>(WM_TIMER));
    lastProcId = id;
    ++procTicks;
}

class TimerTest : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        windowTicks = procTicks = 0;
        lastProcId = 0;
        WNDCLASSA wc{};
        wc.lpfnWndProc = timerWindowProc;
        wc.lpszClassName = "SpxTimer";
        ASSERT_NE(RegisterClassA(&wc), 0);
        hwnd_ = CreateWindowExA(0, "SpxTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
    }

    // Runs the thread's loop for `ms` milliseconds.
    void pumpFor(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        while (static_cast<int>(end - GetTickCount()) > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, end - GetTickCount(), QS_ALLINPUT);
            MSG m;
            while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        }
    }

    HWND hwnd_ = nullptr;
};

TEST_F(TimerTest, TimersArriveAtTheirPeriod) {
    EXPECT_EQ(SetTimer(hwnd_, 7, 50, nullptr), 7u);
    UINT_PTR threadTimer = SetTimer(nullptr, 0, 100, timerProc);
    ASSERT_NE(threadTimer, 0u);
    pumpFor(1000);
    // 20 and 10 are due in a second; the margins only catch a timer that fires far too often
    // or not at all.
    EXPECT_GE(windowTicks, 12);
    EXPECT_LE(windowTicks, 21);
    EXPECT_GE(procTicks, 6);
    EXPECT_LE(procTicks, 11);
    EXPECT_EQ(lastProcId, threadTimer);
    EXPECT_TRUE(KillTimer(hwnd_, 7));
    EXPECT_TRUE(KillTimer(nullptr, threadTimer));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(KillTimer(hwnd_, 7));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    int before = windowTicks;
    pumpFor(120);
    EXPECT_EQ(windowTicks, before);
}

TEST_F(TimerTest, ALateTimerFiresOnceThenKeepsItsPeriod) {
    ASSERT_NE(SetTimer(hwnd_, 1, 20, nullptr), 0u);
    Sleep(150);  // seven periods pass without a loop
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(m.hwnd, hwnd_);
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_EQ(m.lParam, 0);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(TimerTest, NoRemoveLeavesTheTimerDue) {
    ASSERT_NE(SetTimer(hwnd_, 3, 10, nullptr), 0u);
    Sleep(30);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(TimerTest, RefusedTimers) {
    HWND dead = CreateWindowExA(0, "SpxTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DestroyWindow(dead);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetTimer(dead, 1, 10, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    HWND foreign = nullptr;
    std::thread other([&] {
        foreign = CreateWindowExA(0, "SpxTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    });
    other.join();
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(SetTimer(foreign, 1, 10, nullptr), 0u);

    WinplatSetTimerLimit(2);
    EXPECT_NE(SetTimer(hwnd_, 1, 1000, nullptr), 0u);
    EXPECT_NE(SetTimer(hwnd_, 2, 1000, nullptr), 0u);
    EXPECT_NE(SetTimer(hwnd_, 1, 500, nullptr), 0u);  // replacing one needs no more room
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetTimer(hwnd_, 3, 1000, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SYSTEM_RESOURCES));
    // Destroying the window ends its timers.
    DestroyWindow(hwnd_);
    EXPECT_NE(SetTimer(nullptr, 0, 1000, timerProc), 0u);
}

}  // namespace
