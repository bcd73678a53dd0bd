// Mouse and keyboard input through SendInput: hit-testing, capture, focus, key messages and
// key state. These hold with or without the GUI driver.
#include <gtest/gtest.h>

#include <vector>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;

struct Input {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Input&) const = default;
};
std::vector<Input> inputLog;

LRESULT CALLBACK inputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool keep = (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
                msg == WM_SETFOCUS || msg == WM_KILLFOCUS || msg == WM_ACTIVATE || msg == WM_HELP ||
                msg == WM_CLOSE || msg == WM_SETCURSOR || msg == WM_CAPTURECHANGED ||
                msg == WM_QUERYNEWPALETTE || msg == WM_NCACTIVATE;
    if (keep) inputLog.push_back({hwnd, msg, msg == WM_HELP ? 0 : wParam, msg == WM_HELP ? 0 : lParam});
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A window that lets the windows below it answer for its area.
LRESULT CALLBACK transparentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    return inputProc(hwnd, msg, wParam, lParam);
}

class InputTest : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        inputLog.clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = inputProc;
        wc.lpszClassName = "SpxInput";
        ASSERT_NE(RegisterClassA(&wc), 0);
        wc.lpfnWndProc = transparentProc;
        wc.lpszClassName = "SpxSeeThrough";
        ASSERT_NE(RegisterClassA(&wc), 0);
        top_ = CreateWindowExA(0, "SpxInput", "top", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                               nullptr, nullptr, nullptr);
        plain_ = child("SpxInput", 10, 10, 0);
        disabled_ = child("SpxInput", 150, 10, WS_DISABLED);
        seeThrough_ = child("SpxSeeThrough", 10, 100, 0);
        below_ = child("SpxInput", 10, 100, 0);  // made later: below seeThrough_
        ASSERT_TRUE(top_ && plain_ && disabled_ && seeThrough_ && below_);
        pump();
        inputLog.clear();
    }

    HWND child(const char* cls, int x, int y, DWORD style) {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, 100, 50, top_, nullptr,
                               nullptr, nullptr);
    }

    void pump() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }

    void click(int x, int y) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi = {x, y, 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, 0, 0};
        in[1].mi = {0, 0, 0, MOUSEEVENTF_LEFTUP, 0, 0};
        ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
        pump();
    }

    void key(WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki = {vk, static_cast<WORD>(vk & 0x7F), static_cast<DWORD>(up ? KEYEVENTF_KEYUP : 0), 0, 0};
        ASSERT_EQ(SendInput(1, &in, sizeof(INPUT)), 1u);
    }

    // The window that received WM_LBUTTONDOWN, and where.
    Input buttonDown() const {
        for (const Input& i : inputLog)
            if (i.msg == WM_LBUTTONDOWN) return i;
        return {};
    }

    HWND top_ = nullptr, plain_ = nullptr, disabled_ = nullptr, seeThrough_ = nullptr, below_ = nullptr;
};

TEST_F(InputTest, TheDeepestEnabledWindowUnderThePointGetsTheClick) {
    struct Case {
        const char* name;
        int x, y;
        HWND target;
        int clientX, clientY;
    } cases[] = {
        {"a plain child", 100 + 10 + 5, 100 + 10 + 6, nullptr, 5, 6},
        {"a disabled child passes to its parent", 100 + 150 + 5, 100 + 10 + 6, nullptr, 155, 16},
        {"a transparent child passes below", 100 + 10 + 7, 100 + 100 + 8, nullptr, 7, 8},
        {"the parent's own area", 100 + 250, 100 + 150, nullptr, 250, 150},
    };
    cases[0].target = plain_;
    cases[1].target = top_;
    cases[2].target = below_;
    cases[3].target = top_;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        inputLog.clear();
        click(c.x, c.y);
        Input down = buttonDown();
        EXPECT_EQ(down.hwnd, c.target);
        EXPECT_EQ(down.wParam, static_cast<WPARAM>(MK_LBUTTON));
        EXPECT_EQ(down.lParam, MAKELPARAM(c.clientX, c.clientY));
        // The cursor is asked for before the message is handled.
        ASSERT_GE(inputLog.size(), 2u);
        EXPECT_EQ(inputLog[0].msg, static_cast<UINT>(WM_SETCURSOR));
        POINT p{};
        ASSERT_TRUE(GetCursorPos(&p));
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
    }
}

TEST_F(InputTest, CaptureTakesEverything) {
    EXPECT_EQ(SetCapture(plain_), nullptr);
    EXPECT_EQ(GetCapture(), plain_);
    click(100 + 250, 100 + 150);
    Input down = buttonDown();
    EXPECT_EQ(down.hwnd, plain_);
    EXPECT_EQ(down.lParam, MAKELPARAM(250 - 10, 150 - 10));
    inputLog.clear();
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_FALSE(inputLog.empty());
    EXPECT_EQ(inputLog.back(), (Input{plain_, WM_CAPTURECHANGED, 0, 0}));
}

TEST_F(InputTest, KeysGoToTheFocusAndTranslateToCharacters) {
    inputLog.clear();
    EXPECT_EQ(SetFocus(plain_), top_);
    EXPECT_EQ(GetFocus(), plain_);
    EXPECT_EQ(inputLog, (std::vector<Input>{{top_, WM_KILLFOCUS, reinterpret_cast<WPARAM>(plain_), 0},
                                            {plain_, WM_SETFOCUS, reinterpret_cast<WPARAM>(top_), 0}}));
    inputLog.clear();
    key('A', false);
    key('A', true);
    key(VK_SHIFT, false);
    key('B', false);
    pump();
    key('B', true);
    key(VK_SHIFT, true);
    pump();
    std::vector<Input> chars;
    for (const Input& i : inputLog)
        if (i.msg == WM_CHAR) chars.push_back(i);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>('a'));
    EXPECT_EQ(chars[1].wParam, static_cast<WPARAM>('B'));
    ASSERT_GE(inputLog.size(), 2u);
    EXPECT_EQ(inputLog[0].msg, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(inputLog[0].hwnd, plain_);
    EXPECT_EQ(inputLog[0].lParam, 1 | (('A' & 0x7F) << 16));  // one press, not held before
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);

    // With Alt held a key is a system key; Alt+F4 closes the top-level window.
    inputLog.clear();
    key(VK_MENU, false);
    key(VK_F4, false);
    pump();
    bool sysKey = false, closed = false;
    for (const Input& i : inputLog) {
        sysKey |= i.msg == WM_SYSKEYDOWN && i.wParam == VK_F4 && (i.lParam & (1 << 29));
        closed |= i.msg == WM_CLOSE && i.hwnd == top_;
    }
    EXPECT_TRUE(sysKey);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(IsWindow(top_));
    key(VK_F4, true);
    key(VK_MENU, true);
}

TEST_F(InputTest, F1AsksTheWindowAndItsParentsForHelp) {
    SetFocus(plain_);
    inputLog.clear();
    key(VK_F1, false);
    pump();
    std::vector<HWND> asked;
    for (const Input& i : inputLog)
        if (i.msg == WM_HELP) asked.push_back(i.hwnd);
    EXPECT_EQ(asked, (std::vector<HWND>{plain_, top_}));
    key(VK_F1, true);
}

// WM_SETCURSOR asks the parent first; without its answer the class cursor is set.
TEST_F(InputTest, TheClassCursorUnlessTheParentDecides) {
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_TRUE(cross && arrow && cross != arrow);
    SetClassLongPtrA(plain_, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cross));
    SetCursor(arrow);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi = {100 + 10 + 5, 100 + 10 + 5, 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0};
    ASSERT_EQ(SendInput(1, &move, sizeof move), 1u);
    pump();
    EXPECT_EQ(GetCursor(), cross);
    std::vector<HWND> asked;
    for (const Input& i : inputLog)
        if (i.msg == WM_SETCURSOR) asked.push_back(i.hwnd);
    EXPECT_EQ(asked, (std::vector<HWND>{plain_, top_}));  // logged on entry: the child, then its parent
    SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(InputTest, KeyStateBeforeAnyInputComesFromTheDisplay) {
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
    ASSERT_TRUE(WinplatVirtualSetKeyState(VK_SHIFT, TRUE));
    EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
    EXPECT_TRUE(GetKeyState(VK_SHIFT) & 0x8000);
    EXPECT_FALSE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
    ASSERT_TRUE(WinplatVirtualSetKeyState(VK_SHIFT, FALSE));
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WinplatVirtualSetKeyState(0, TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
