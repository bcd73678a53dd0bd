// The message queue: order, nesting, cross-thread sends, waits, and stale windows.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;

struct Seen {
    UINT msg;
    WPARAM wParam;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> seen;
HWND otherWindow = nullptr;  // a window of another thread, for A -> B -> A sends

LRESULT CALLBACK queueProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg < WM_USER) return DefWindowProcA(hwnd, msg, wParam, lParam);
    seen.push_back({msg, wParam});
    if (msg == WM_USER && wParam == 100) {
        // A progress handler that pumps while its caller is on the stack.
        PostMessageA(hwnd, WM_USER + 1, 101, 0);
        PostMessageA(hwnd, WM_USER + 1, 102, 0);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        return 7;
    }
    if (msg == WM_USER + 2) return static_cast<LRESULT>(wParam * 2);
    if (msg == WM_USER + 3 && otherWindow) {
        // Back to the sending thread while it waits for this answer.
        return SendMessageA(otherWindow, WM_USER + 2, wParam, 0) + 1;
    }
    return 0;
}

class QueueTest : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        seen.clear();
        otherWindow = nullptr;
        WNDCLASSA wc{};
        wc.lpfnWndProc = queueProc;
        wc.lpszClassName = "SpxQueue";
        ASSERT_NE(RegisterClassA(&wc), 0);
        hwnd_ = CreateWindowExA(0, "SpxQueue", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
    }

    // Dispatches everything waiting, without waiting.
    void drain() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }

    HWND hwnd_ = nullptr;
};

TEST_F(QueueTest, PostedMessagesArriveInOrderThenQuit) {
    for (WPARAM i = 0; i < 50; ++i) ASSERT_TRUE(PostMessageA(hwnd_, WM_USER + 5 + (i % 3), i, 0));
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 9, 999, 0));
    PostQuitMessage(42);
    // The quit flag comes after every posted message, whenever it was set.
    ASSERT_TRUE(PostMessageA(hwnd_, WM_USER + 5, 50, 0));
    MSG m;
    std::vector<WPARAM> order;
    while (GetMessageA(&m, nullptr, 0, 0)) {
        if (m.hwnd) {
            EXPECT_EQ(m.hwnd, hwnd_);
        }
        order.push_back(m.wParam);
        DispatchMessageA(&m);
    }
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 42u);
    std::vector<WPARAM> expected;
    for (WPARAM i = 0; i < 50; ++i) expected.push_back(i);
    expected.push_back(999);
    expected.push_back(50);
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));  // the quit was taken once
}

TEST_F(QueueTest, FiltersTakeMatchingMessagesFirstAndNoRemoveLeavesThem) {
    PostMessageA(hwnd_, WM_USER + 7, 1, 0);
    PostMessageA(hwnd_, WM_USER + 8, 2, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 8, 3, 0);
    MSG m{};
    m.wParam = 0xdeadbeef;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 8, WM_USER + 8, PM_NOREMOVE));
    EXPECT_EQ(m.wParam, 2u);
    ASSERT_TRUE(PeekMessageA(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));  // thread messages only
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_EQ(m.hwnd, nullptr);
    ASSERT_TRUE(GetMessageA(&m, hwnd_, WM_USER + 8, WM_USER + 8));
    EXPECT_EQ(m.wParam, 2u);
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(QueueTest, HandlerThatPumpsReentrantly) {
    PostMessageA(hwnd_, WM_USER + 4, 1, 0);
    EXPECT_EQ(SendMessageA(hwnd_, WM_USER, 100, 0), 7);
    PostMessageA(hwnd_, WM_USER + 4, 2, 0);
    drain();
    // The nested loop took what was waiting, in order, before the sender got its answer.
    EXPECT_EQ(seen, (std::vector<Seen>{{WM_USER, 100},
                                       {WM_USER + 4, 1},
                                       {WM_USER + 1, 101},
                                       {WM_USER + 1, 102},
                                       {WM_USER + 4, 2}}));
}

TEST_F(QueueTest, MessagesToDestroyedWindowsAreHarmless) {
    ASSERT_TRUE(PostMessageA(hwnd_, WM_USER + 4, 1, 0));
    HWND dead = hwnd_;
    ASSERT_TRUE(DestroyWindow(dead));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(PostMessageA(dead, WM_USER + 4, 2, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SendMessageA(dead, WM_USER + 2, 3, 0), 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));  // posted while it lived
    EXPECT_EQ(m.hwnd, dead);
    EXPECT_EQ(DispatchMessageA(&m), 0);
    EXPECT_TRUE(seen.empty());
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetMessageA(&m, dead, 0, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(QueueTest, SendingToAnotherThreadWaitsAndServicesSendsBack) {
    otherWindow = hwnd_;  // thread B's handler sends back to this thread's window
    std::atomic<HWND> remote{nullptr};
    std::atomic<bool> stop{false};
    std::thread b([&] {
        HWND w = CreateWindowExA(0, "SpxQueue", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        remote = w;
        MSG m;
        while (!stop && GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
        DestroyWindow(w);
    });
    while (!remote) std::this_thread::yield();
    DWORD process = 0;
    EXPECT_NE(GetWindowThreadProcessId(remote, &process), GetCurrentThreadId());
    EXPECT_EQ(SendMessageA(remote, WM_USER + 2, 21, 0), 42);
    // A -> B -> A: B's handler sends to A's window while A waits; nothing deadlocks.
    EXPECT_EQ(SendMessageA(remote, WM_USER + 3, 5, 0), 11);
    stop = true;
    PostMessageA(remote, WM_NULL, 0, 0);
    b.join();
    // The thread and its window are gone: a send gives 0.
    EXPECT_EQ(SendMessageA(remote, WM_USER + 2, 1, 0), 0);
}

TEST_F(QueueTest, WaitsEndWithATimeoutOrAMessage) {
    DWORD start = GetTickCount();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 60, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_GE(GetTickCount() - start, 50u);
    PostMessageA(hwnd_, WM_USER + 4, 1, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(GetQueueStatus(QS_POSTMESSAGE) >> 16, static_cast<DWORD>(QS_POSTMESSAGE));
    HANDLE handle = reinterpret_cast<HANDLE>(0x44);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &handle, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // A message posted from another thread wakes a waiting GetMessageA.
    std::thread poster([&] {
        Sleep(50);
        PostMessageA(hwnd_, WM_USER + 6, 77, 0);
    });
    drain();
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, WM_USER + 6, WM_USER + 6));
    EXPECT_EQ(m.wParam, 77u);
    poster.join();
}

}  // namespace
