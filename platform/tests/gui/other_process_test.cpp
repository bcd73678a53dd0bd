// A second process that shows a modal message box on the offscreen display still serves the
// sends of other processes, and its box is found, read and closed from here.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "gui_test.h"
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
    // Starts winplat_gui_child with its window shown, on this test's display and root.
    HWND startChild() {
        std::string line = "winplat_gui_child.exe SpxChildFrame \"Second Process\" --show";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child_);
        if (!started_ || WaitForInputIdle(child_.hProcess, 20000) != 0) return nullptr;
        return FindWindowA("SpxChildFrame", "Second Process");
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
    ASSERT_EQ(WaitForSingleObject(child_.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0xdeadbeef;
    EXPECT_TRUE(GetExitCodeProcess(child_.hProcess, &code));
    EXPECT_EQ(code, 9u);
}

}  // namespace
