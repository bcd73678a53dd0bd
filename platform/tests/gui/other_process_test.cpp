// Second processes on the offscreen display, reached from here: one that shows a modal message
// box still serves the sends of other processes, and its box is found, read and closed; the
// control stand-in's "Display Properties" is found by class and title and its pages are chosen
// with PSM_SETCURSEL, as the display tray program does.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "gui_test.h"
#include "second_process.h"
#include "winplat.h"

namespace {

using spx::test::GuiTest;

class OtherProcessTest : public GuiTest {
protected:
    void TearDown() override {
        if (started_) {
            DWORD code = 0;
            if (GetExitCodeProcess(child_.hProcess, &code) && code == STILL_ACTIVE)
                kill(static_cast<pid_t>(child_.dwProcessId), SIGKILL);
            WaitForSingleObject(child_.hProcess, 5000);
            CloseHandle(child_.hThread);
            CloseHandle(child_.hProcess);
        }
        GuiTest::TearDown();
    }
    // Starts a program by its command line on this test's display and root, and waits until it
    // waits for input.
    bool start(std::string line) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child_);
        return started_ && WaitForInputIdle(child_.hProcess, 20000) == 0;
    }
    // Starts winplat_gui_child with its window shown.
    HWND startChild() {
        if (!start("winplat_gui_child.exe SpxChildFrame \"Second Process\" --show")) return nullptr;
        return FindWindowA("SpxChildFrame", "Second Process");
    }
    DWORD exitCodeAfterEnd() {
        DWORD code = 0xdeadbeef;
        if (WaitForSingleObject(child_.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(child_.hProcess, &code);
        return code;
    }
    PROCESS_INFORMATION child_{};
    BOOL started_ = FALSE;
};

TEST_F(OtherProcessTest, ASendIsServedWhileTheChildShowsAModalMessageBox) {
    const UINT question = RegisterWindowMessageA("SpxChildQuestion");
    HWND w = startChild();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(IsWindowVisible(w));
    ASSERT_TRUE(PostMessageA(w, WM_COMMAND, 2001, 0));  // the child opens its message box
    HWND box = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (box = FindWindowA("#32770", "SpxChildBox")) != nullptr; }, 20000));
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    EXPECT_EQ(pid, child_.dwProcessId);
    EXPECT_TRUE(IsWindowVisible(box));

    // Served inside the box's modal loop: the box stays.
    EXPECT_EQ(SendMessageA(w, question, 13, 0), 40);
    EXPECT_TRUE(IsWindow(box));
    EXPECT_EQ(SendMessageA(w, WM_USER + 1, 0, 0), static_cast<LRESULT>(question));

    ASSERT_TRUE(PostMessageA(box, WM_COMMAND, IDOK, 0));
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(box); }, 20000));
    EXPECT_EQ(SendMessageA(w, question, 1, 0), 4);
    ASSERT_TRUE(PostMessageA(w, WM_COMMAND, 9, 0));
    EXPECT_EQ(exitCodeAfterEnd(), 9u);
}

TEST_F(OtherProcessTest, DisplayPropertiesIsFoundAndItsPagesChosenFromAnotherProcess) {
    ASSERT_EQ(spx::test::runProgram({WINPLAT_REGSVR_PATH, "/s", WINPLAT_TEST_SERVER_PATH}), 0);
    ASSERT_TRUE(start("control.exe desk.cpl"));
    HWND sheet = FindWindowA("#32770", "Display Properties");
    ASSERT_NE(sheet, nullptr);
    DWORD pid = 0;
    GetWindowThreadProcessId(sheet, &pid);
    EXPECT_EQ(pid, child_.dwProcessId);
    // The pages in turn until the one whose window reads "Spectrine", as the tray program looks.
    struct Seen {
        LRESULT chosen;
        std::string text;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    for (int page = 0; page < 12; ++page) {
        LRESULT chosen = SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(page), 0);
        auto current = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        char text[64] = "<none>";
        GetWindowTextA(current, text, sizeof text);
        seen.push_back({chosen, text});
        if (std::string(text) == "Spectrine") {
            EXPECT_TRUE(IsWindow(current));
            break;
        }
    }
    EXPECT_EQ(seen, (std::vector<Seen>{{TRUE, "Settings"}, {TRUE, "Spectrine"}}));
    ASSERT_TRUE(PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0));
    EXPECT_EQ(exitCodeAfterEnd(), 0u);  // cancelled: nothing applied
    EXPECT_FALSE(IsWindow(sheet));
}

}  // namespace
