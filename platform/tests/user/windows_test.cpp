// Window classes, message-only windows, synchronous messages, message boxes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;

struct Message {
    HWND hwnd;
    UINT msg;
    bool operator==(const Message&) const = default;
};

// What the recording procedure saw; answers come from the fields below.
std::vector<Message> messageLog;
LRESULT ncCreateAnswer = TRUE;
LRESULT createAnswer = 0;
CREATESTRUCTA seenCreate{};

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    messageLog.push_back({hwnd, msg});
    switch (msg) {
    case WM_NCCREATE:
        seenCreate = *reinterpret_cast<CREATESTRUCTA*>(lParam);
        return ncCreateAnswer;
    case WM_CREATE:
        return createAnswer;
    case WM_USER:
        return static_cast<LRESULT>(wParam + static_cast<WPARAM>(lParam));
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK otherProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return msg == WM_USER ? 77 : DefWindowProcA(hwnd, msg, wParam, lParam);
}

class WindowsTest : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        messageLog.clear();
        ncCreateAnswer = TRUE;
        createAnswer = 0;
        WNDCLASSA wc{};
        wc.lpfnWndProc = recordingProc;
        wc.cbWndExtra = 16;
        wc.lpszClassName = "SpxRecorder";
        atom_ = RegisterClassA(&wc);
        ASSERT_NE(atom_, 0);
    }

    // A message-only window, or a child of `parent`.
    HWND create(HWND parent = HWND_MESSAGE, LPVOID param = nullptr) {
        DWORD style = parent == HWND_MESSAGE ? 0 : WS_CHILD;
        return CreateWindowExA(0, "SpxRecorder", "w", style, 0, 0, 0, 0, parent, nullptr, nullptr,
                               param);
    }

    ATOM atom_ = 0;
};

TEST_F(WindowsTest, ClassRegistration) {
    EXPECT_GE(atom_, 0xC000);
    WNDCLASSA wc{};
    wc.lpfnWndProc = otherProc;
    wc.lpszClassName = "SPXRECORDER";
    SetLastError(0xdeadbeef);
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    struct Case {
        const char* name;
        WNDPROC proc;
        const char* className;
        int extra;
    } invalid[] = {
        {"no procedure", nullptr, "X1", 0},
        {"no name", otherProc, nullptr, 0},
        {"empty name", otherProc, "", 0},
        {"negative extra", otherProc, "X2", -1},
    };
    for (const Case& c : invalid) {
        SCOPED_TRACE(c.name);
        WNDCLASSA bad{};
        bad.lpfnWndProc = c.proc;
        bad.lpszClassName = c.className;
        bad.cbWndExtra = c.extra;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(RegisterClassA(&bad), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(RegisterClassA(nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    wc.lpszClassName = "SpxOther";
    ATOM other = RegisterClassA(&wc);
    ASSERT_NE(other, 0);
    EXPECT_NE(other, atom_);

    // A window keeps its class registered.
    HWND hwnd = CreateWindowExA(0, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(other)), nullptr,
                                0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(UnregisterClassA("spxother", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(UnregisterClassA(reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(other)), nullptr));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(UnregisterClassA("SpxOther", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));

    SetLastError(0xdeadbeef);
    EXPECT_EQ(CreateWindowExA(0, "SpxOther", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(WindowsTest, CreationSendsNcCreateThenCreate) {
    int token = 0;
    HWND hwnd = CreateWindowExA(0x20, "spxrecorder", "Title", 0x1234, 1, 2, 3, 4, HWND_MESSAGE,
                                reinterpret_cast<HMENU>(9), nullptr, &token);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(messageLog, (std::vector<Message>{{hwnd, WM_NCCREATE},
                                                {hwnd, WM_NCCALCSIZE},
                                                {hwnd, WM_CREATE},
                                                {hwnd, WM_SIZE},
                                                {hwnd, WM_MOVE}}));
    EXPECT_EQ(seenCreate.lpCreateParams, &token);
    EXPECT_EQ(seenCreate.hwndParent, HWND_MESSAGE);
    EXPECT_EQ(seenCreate.hMenu, reinterpret_cast<HMENU>(9));
    EXPECT_EQ(seenCreate.x, 1);
    EXPECT_EQ(seenCreate.y, 2);
    EXPECT_EQ(seenCreate.cx, 3);
    EXPECT_EQ(seenCreate.cy, 4);
    EXPECT_EQ(seenCreate.style, 0x1234);
    EXPECT_EQ(seenCreate.dwExStyle, 0x20u);
    EXPECT_STREQ(seenCreate.lpszName, "Title");
    EXPECT_STREQ(seenCreate.lpszClass, "spxrecorder");
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_ID), 9);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWL_STYLE), 0x1234);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWL_EXSTYLE), 0x20);
    EXPECT_EQ(GetParent(hwnd), nullptr);  // message-only windows have no parent
}

TEST_F(WindowsTest, RefusedCreation) {
    struct Case {
        const char* name;
        LRESULT ncCreate;
        LRESULT create;
        std::vector<UINT> messages;
    } cases[] = {
        {"WM_NCCREATE refuses", FALSE, 0, {WM_NCCREATE, WM_NCDESTROY}},
        {"WM_CREATE returns -1", TRUE, -1, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messageLog.clear();
        ncCreateAnswer = c.ncCreate;
        createAnswer = c.create;
        EXPECT_EQ(create(), nullptr);
        std::vector<UINT> seen;
        for (const Message& m : messageLog) seen.push_back(m.msg);
        EXPECT_EQ(seen, c.messages);
        ASSERT_FALSE(messageLog.empty());
        EXPECT_FALSE(IsWindow(messageLog.front().hwnd));  // the handle it had is stale
    }
}

TEST_F(WindowsTest, DestroyOrderWithChildren) {
    HWND parent = create();
    HWND child1 = create(parent);
    HWND grandchild = create(child1);
    HWND child2 = create(parent);
    ASSERT_TRUE(parent && child1 && grandchild && child2);
    EXPECT_EQ(GetParent(child1), parent);
    EXPECT_EQ(GetParent(grandchild), child1);
    messageLog.clear();
    EXPECT_TRUE(DestroyWindow(parent));
    EXPECT_EQ(messageLog, (std::vector<Message>{{parent, WM_DESTROY},
                                                {child1, WM_DESTROY},
                                                {grandchild, WM_DESTROY},
                                                {child2, WM_DESTROY},
                                                {grandchild, WM_NCDESTROY},
                                                {child1, WM_NCDESTROY},
                                                {child2, WM_NCDESTROY},
                                                {parent, WM_NCDESTROY}}));
    for (HWND h : {parent, child1, grandchild, child2}) EXPECT_FALSE(IsWindow(h));
}

TEST_F(WindowsTest, DestroyingAChildLeavesTheParent) {
    HWND parent = create();
    HWND child = create(parent);
    EXPECT_TRUE(DestroyWindow(child));
    EXPECT_TRUE(IsWindow(parent));
    messageLog.clear();
    EXPECT_TRUE(DestroyWindow(parent));
    EXPECT_EQ(messageLog, (std::vector<Message>{{parent, WM_DESTROY}, {parent, WM_NCDESTROY}}));
}

TEST_F(WindowsTest, StaleAndUnknownHandlesAreHarmless) {
    HWND dead = create();
    ASSERT_TRUE(DestroyWindow(dead));
    HWND bad[] = {dead, nullptr, reinterpret_cast<HWND>(0x1234), reinterpret_cast<HWND>(-1),
                  HWND_MESSAGE};
    for (HWND h : bad) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(h));
        messageLog.clear();
        SetLastError(0xdeadbeef);
        EXPECT_EQ(SendMessageA(h, WM_USER, 1, 2), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_TRUE(messageLog.empty());
        EXPECT_FALSE(IsWindow(h));
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(DestroyWindow(h));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_EQ(GetParent(h), nullptr);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(SetWindowLongPtrA(h, GWLP_USERDATA, 5), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_EQ(GetWindowLongPtrA(h, GWLP_USERDATA), 0);
        EXPECT_EQ(DefWindowProcA(h, WM_CLOSE, 0, 0), 0);
        EXPECT_EQ(CreateWindowExA(0, "SpxRecorder", nullptr, 0, 0, 0, 0, 0, h == HWND_MESSAGE ? dead : h,
                                  nullptr, nullptr, nullptr) == nullptr,
                  h != nullptr);
        if (h) {
            SetLastError(0xdeadbeef);
            EXPECT_EQ(SetActiveWindow(h), nullptr);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
            SetLastError(0xdeadbeef);
            EXPECT_EQ(MessageBoxA(h, "t", "c", MB_OK), 0);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        }
    }
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(WindowsTest, ResetForgetsWindowsAndClasses) {
    HWND hwnd = create();
    ASSERT_NE(hwnd, nullptr);
    WinplatResetProcessState();
    EXPECT_FALSE(IsWindow(hwnd));
    WNDCLASSA wc{};
    wc.lpfnWndProc = recordingProc;
    wc.lpszClassName = "SpxRecorder";
    EXPECT_NE(RegisterClassA(&wc), 0);
    HWND again = create();
    EXPECT_NE(again, nullptr);
    EXPECT_NE(again, hwnd);  // handles are never reused
}

TEST_F(WindowsTest, WindowLongs) {
    HWND hwnd = create();
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 0);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0x1234), 0);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0x5678), 0x1234);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 0x5678);

    // Extra bytes: cbWndExtra 16 holds two pointer-sized values.
    EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), 0);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, 8, -7), 0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, 8), -7);
    for (int index : {9, 16, -100}) {
        SCOPED_TRACE(index);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(GetWindowLongPtrA(hwnd, index), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
        SetLastError(0xdeadbeef);
        EXPECT_EQ(SetWindowLongPtrA(hwnd, index, 1), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    }

    // Replacing the procedure redirects messages.
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 40, 2), 42);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(otherProc)),
              reinterpret_cast<LONG_PTR>(recordingProc));
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 40, 2), 77);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(otherProc));
}

TEST_F(WindowsTest, DefWindowProcClosesAndAnswersZero) {
    HWND hwnd = create();
    EXPECT_EQ(DefWindowProcA(hwnd, WM_NCCREATE, 0, 0), TRUE);
    EXPECT_EQ(DefWindowProcA(hwnd, WM_USER + 5, 1, 2), 0);
    EXPECT_EQ(DefWindowProcA(hwnd, WM_COMMAND, 1, 2), 0);
    messageLog.clear();
    EXPECT_EQ(SendMessageA(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(messageLog, (std::vector<Message>{{hwnd, WM_CLOSE}, {hwnd, WM_DESTROY}, {hwnd, WM_NCDESTROY}}));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowsTest, InvalidParentFailsCreation) {
    HWND dead = create();
    DestroyWindow(dead);
    messageLog.clear();
    SetLastError(0xdeadbeef);
    EXPECT_EQ(create(dead), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_TRUE(messageLog.empty());
}

TEST_F(WindowsTest, ActiveWindow) {
    EXPECT_EQ(GetActiveWindow(), nullptr);
    HWND a = create(), b = create();
    EXPECT_EQ(SetActiveWindow(a), nullptr);
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_EQ(SetActiveWindow(b), a);
    DestroyWindow(b);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(SetActiveWindow(a), nullptr);
    EXPECT_EQ(SetActiveWindow(nullptr), a);
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowsTest, MessageBoxGoesToTheHandler) {
    HWND owner = create();
    messageBoxAnswer = IDNO;
    EXPECT_EQ(MessageBoxA(owner, "Replace the profile?", "Spectrine", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDNO);
    ASSERT_EQ(messageBoxes.size(), 2u);
    EXPECT_EQ(messageBoxes[0].text, "Replace the profile?");
    EXPECT_EQ(messageBoxes[0].caption, "Spectrine");
    EXPECT_EQ(messageBoxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(messageBoxes[1].text, "");
    EXPECT_EQ(messageBoxes[1].caption, "Error");

    SetLastError(0xdeadbeef);
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", 7), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(messageBoxes.size(), 2u);
}

TEST_F(WindowsTest, DefaultMessageBoxAnswersTheDefaultButton) {
    WinplatMessageBoxHandler fixtureHandler = WinplatSetMessageBoxHandler(nullptr, nullptr);
    EXPECT_NE(fixtureHandler, nullptr);
    struct Case {
        UINT type;
        int answer;
    } cases[] = {
        {MB_OK, IDOK},
        {MB_OK | MB_DEFBUTTON2, IDOK},  // no second button: the first
        {MB_OKCANCEL, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
        {MB_YESNOCANCEL | MB_ICONWARNING, IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_YESNO, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNO | MB_DEFBUTTON4, IDYES},
        {MB_RETRYCANCEL | MB_DEFBUTTON2 | MB_SYSTEMMODAL, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBoxA(nullptr, "Body text", "Title", c.type), c.answer);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("Title"), std::string::npos) << err;
        EXPECT_NE(err.find("Body text"), std::string::npos) << err;
    }
    EXPECT_TRUE(messageBoxes.empty());
    // Installing a handler returns the one before it.
    EXPECT_EQ(WinplatSetMessageBoxHandler(fixtureHandler, nullptr), nullptr);
}

LRESULT CALLBACK selfDestroyingProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    messageLog.push_back({hwnd, msg});
    if (msg == WM_DESTROY) {
        // Destroying again from inside the destruction is refused, not recursive.
        EXPECT_FALSE(DestroyWindow(hwnd));
        EXPECT_TRUE(IsWindow(hwnd));
    }
    if (msg == WM_NCDESTROY) {
        EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 99);
    }
    return msg == WM_NCCREATE ? TRUE : 0;
}

TEST_F(WindowsTest, ProceduresMayCallBackDuringDestruction) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = selfDestroyingProc;
    wc.lpszClassName = "SpxSelf";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND hwnd = CreateWindowExA(0, "SpxSelf", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 99);
    messageLog.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(messageLog, (std::vector<Message>{{hwnd, WM_DESTROY}, {hwnd, WM_NCDESTROY}}));
}

}  // namespace

namespace {

TEST_F(WindowsTest, TextPropertiesAndFinding) {
    HWND top = CreateWindowExA(0, "SpxRecorder", "First Title", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    HWND other = CreateWindowExA(0, "SpxRecorder", "Second", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND child = CreateWindowExA(0, "SpxRecorder", "Child", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top && other && child);
    struct Case {
        const char* name;
        int size;
        int result;
        const char* text;
    } cases[] = {
        {"room to spare", 32, 11, "First Title"},
        {"exactly enough", 12, 11, "First Title"},
        {"one short", 11, 10, "First Titl"},
        {"one byte", 1, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char buffer[40];
        std::memset(buffer, 0xbd, sizeof buffer);
        EXPECT_EQ(GetWindowTextA(top, buffer, c.size), c.result);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(static_cast<unsigned char>(buffer[c.size]), 0xbd);
    }
    EXPECT_EQ(GetWindowTextLengthA(top), 11);
    ASSERT_TRUE(SetWindowTextA(top, "Renamed"));
    char buffer[16];
    EXPECT_EQ(GetWindowTextA(top, buffer, sizeof buffer), 7);
    EXPECT_STREQ(buffer, "Renamed");
    char name[8];
    EXPECT_EQ(GetClassNameA(top, name, sizeof name), 7);
    EXPECT_STREQ(name, "SpxReco");

    // Finding by class and title (case-insensitive), top-level windows in z-order.
    EXPECT_EQ(FindWindowA("spxrecorder", "renamed"), top);
    EXPECT_EQ(FindWindowA(nullptr, "Second"), other);
    EXPECT_EQ(FindWindowA("SpxRecorder", nullptr), other);  // the topmost of the class
    EXPECT_EQ(FindWindowA(nullptr, "Child"), nullptr);
    EXPECT_EQ(FindWindowExA(top, nullptr, nullptr, "Child"), child);

    // Properties by name (case-insensitive) and by atom.
    int a = 0, b = 0;
    EXPECT_TRUE(SetPropA(top, "PROP_CPLPAGE", &a));
    EXPECT_TRUE(SetPropA(top, MAKEINTATOM(0x1234), &b));
    EXPECT_EQ(GetPropA(top, "prop_cplpage"), &a);
    EXPECT_EQ(GetPropA(top, MAKEINTATOM(0x1234)), &b);
    EXPECT_EQ(RemovePropA(top, "Prop_CplPage"), &a);
    EXPECT_EQ(GetPropA(top, "PROP_CPLPAGE"), nullptr);
    EXPECT_EQ(GetPropA(other, MAKEINTATOM(0x1234)), nullptr);

    // The class's fields, as GetClassInfoA and GetClassLongPtrA see them.
    WNDCLASSA info{};
    ASSERT_TRUE(GetClassInfoA(nullptr, "SPXRECORDER", &info));
    EXPECT_EQ(info.lpfnWndProc, recordingProc);
    EXPECT_EQ(info.cbWndExtra, 16);
    EXPECT_EQ(GetClassLongPtrA(top, GCL_CBWNDEXTRA), 16u);
    EXPECT_EQ(GetClassLongPtrA(top, GCW_ATOM), atom_);
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    ASSERT_NE(cross, nullptr);
    EXPECT_EQ(SetClassLongPtrA(top, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cross)), 0u);
    EXPECT_EQ(GetClassLongPtrA(other, GCLP_HCURSOR), reinterpret_cast<ULONG_PTR>(cross));
}

}  // namespace
