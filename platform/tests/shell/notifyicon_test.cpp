// Shell_NotifyIconA: icons kept by window and id, and clicks (injected, as the virtual display
// has no notification area) arriving as the icon's callback message with the mouse message.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;

using Callback = std::tuple<UINT, WPARAM, LPARAM>;
std::vector<Callback> received;

LRESULT CALLBACK trayWindowProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) received.emplace_back(message, wParam, lParam);
    return DefWindowProcA(w, message, wParam, lParam);
}

class TrayIcons : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        received.clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = trayWindowProc;
        wc.lpszClassName = "TrayOwner";
        ASSERT_NE(RegisterClassA(&wc), 0);
        owner = CreateWindowExA(0, "TrayOwner", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
    }
    NOTIFYICONDATAA data(UINT id, UINT flags, UINT callback, const char* tip = "Spectrine") {
        NOTIFYICONDATAA d{};
        d.cbSize = sizeof d;
        d.hWnd = owner;
        d.uID = id;
        d.uFlags = flags;
        d.uCallbackMessage = callback;
        d.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        std::snprintf(d.szTip, sizeof d.szTip, "%s", tip);
        return d;
    }
    std::vector<Callback> clicks(UINT id, std::vector<UINT> messages, BOOL expected = TRUE) {
        received.clear();
        for (UINT m : messages) EXPECT_EQ(WinplatClickTrayIcon(owner, id, m), expected) << m;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return received;
    }
    HWND owner = nullptr;
};

TEST_F(TrayIcons, InjectedClicksArriveAsTheCallbackMessage) {
    const UINT callback = WM_USER + 1;
    NOTIFYICONDATAA first = data(1, NIF_MESSAGE | NIF_ICON | NIF_TIP, callback);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &first));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &first));  // already there
    NOTIFYICONDATAA silent = data(2, NIF_ICON, 0);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &silent));

    struct Case {
        const char* name;
        UINT id;
        std::vector<UINT> messages;
        BOOL known;
        std::vector<Callback> expected;
    };
    const Case cases[] = {
        {"left press", 1, {WM_LBUTTONDOWN}, TRUE, {{callback, 1, WM_LBUTTONDOWN}}},
        {"right release", 1, {WM_RBUTTONUP}, TRUE, {{callback, 1, WM_RBUTTONUP}}},
        {"a whole right click", 1, {WM_RBUTTONDOWN, WM_RBUTTONUP}, TRUE,
         {{callback, 1, WM_RBUTTONDOWN}, {callback, 1, WM_RBUTTONUP}}},
        {"no callback message", 2, {WM_LBUTTONDOWN}, TRUE, {}},
        {"another id", 3, {WM_LBUTTONDOWN}, FALSE, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(clicks(c.id, c.messages, c.known), c.expected);
    }

    // A changed callback message takes over; a deleted icon hears nothing more.
    NOTIFYICONDATAA changed = data(1, NIF_MESSAGE, WM_USER + 7);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &changed));
    EXPECT_EQ(clicks(1, {WM_LBUTTONDBLCLK}), (std::vector<Callback>{{WM_USER + 7, 1, WM_LBUTTONDBLCLK}}));
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &changed));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &changed));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &changed));
    EXPECT_EQ(clicks(1, {WM_LBUTTONDOWN}, FALSE), std::vector<Callback>{});

    // An icon whose window is gone goes too.
    DestroyWindow(owner);
    EXPECT_FALSE(WinplatClickTrayIcon(owner, 2, WM_LBUTTONDOWN));
}

TEST_F(TrayIcons, BadRequestsAreRefused) {
    NOTIFYICONDATAA d = data(1, NIF_MESSAGE, WM_USER + 1);
    d.cbSize = sizeof d - 1;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &d));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    d.cbSize = sizeof d;
    EXPECT_FALSE(Shell_NotifyIconA(7, &d));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, nullptr));
    d.hWnd = reinterpret_cast<HWND>(0x7ffe);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &d));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(WinplatClickTrayIcon(owner, 1, WM_LBUTTONDOWN));
}

}  // namespace
