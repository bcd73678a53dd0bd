// Processes and the windows of a session's processes: CreateProcessA and its command lines,
// the waits, windows found, read and reached in a second process, registered messages, named
// shared memory and share modes between processes, and what a killed process leaves.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "command_line.h"
#include "fresh_root.h"
#include "winplat.h"

extern char** environ;

namespace {

using spx::test::FreshRootTest;

constexpr const char* kChildClass = "SpxChildFrame";
constexpr const char* kChildTitle = "Second Process";

// The environment block of this process with `extra` ("NAME=value") added.
std::string environmentWith(const std::string& extra) {
    std::string block;
    for (char** at = environ; *at; ++at) block.append(*at).push_back('\0');
    block.append(extra).push_back('\0');
    block.push_back('\0');
    return block;
}

// A started copy of winplat_gui_child, killed if it still runs when the test ends. Without a
// GUI driver (the block names none), so that showing its window needs no display.
class Child {
public:
    explicit Child(const std::string& arguments, const STARTUPINFOA* startup = nullptr,
                   const std::string& title = kChildTitle)
        : title_(title) {
        std::string line = std::string("winplat_gui_child.exe ") + kChildClass + " \"" + title + "\" " + arguments;
        STARTUPINFOA plain{};
        plain.cb = sizeof plain;
        std::string env = environmentWith("SPECTRINE_GUI_DRIVER=/nonexistent/libwinplat_qt.so");
        started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, env.data(), nullptr,
                                 startup ? const_cast<STARTUPINFOA*>(startup) : &plain, &info);
    }
    ~Child() {
        if (!started) return;
        DWORD code = 0;
        if (GetExitCodeProcess(info.hProcess, &code) && code == STILL_ACTIVE) kill(static_cast<pid_t>(info.dwProcessId), SIGKILL);
        WaitForSingleObject(info.hProcess, 5000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Its main window, once it waits for input.
    HWND window() {
        if (!started || WaitForInputIdle(info.hProcess, 10000) != 0) return nullptr;
        return FindWindowA(kChildClass, title_.c_str());
    }
    DWORD exitCode() {
        DWORD code = 0xdeadbeef;
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }

    BOOL started = FALSE;
    PROCESS_INFORMATION info{};

private:
    std::string title_;
};

LRESULT CALLBACK parentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER + 5) return static_cast<LRESULT>(wParam * 2);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class SessionTest : public FreshRootTest {
protected:
    // A window of this process for the second process to send to.
    HWND ownWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = parentProc;
        wc.lpszClassName = "SpxParentFrame";
        RegisterClassA(&wc);
        return CreateWindowExA(0, "SpxParentFrame", "First Process", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr,
                               nullptr);
    }
};

// How lines split is the shell's tests' (tests/shell); here: arguments quoted for a command
// line (the one a program not started by CreateProcessA reports) split back into themselves.
TEST_F(SessionTest, QuotedArgumentsSplitBackWhole) {
    for (const char* argument : {"plain", "two words", "", "tail\\", "q\"uote", "a\\\\\"b", "end\\\\ x\\", "tab\there"}) {
        SCOPED_TRACE(argument);
        std::string quoted = winplat::detail::quoteArgument(argument);
        EXPECT_EQ(winplat::detail::splitArguments(quoted + " next"), (std::vector<std::string>{argument, "next"}));
    }
    EXPECT_EQ(winplat::detail::quoteArgument("plain"), "plain");
    EXPECT_EQ(winplat::detail::quoteArgument("a b\\"), "\"a b\\\\\"");
}

TEST_F(SessionTest, ProgramsAreFoundByTheirWindowsNamesOrTheCallFails) {
    const std::string child = WINPLAT_CHILD_PATH;
    writeFile("text.exe", "not a program");
    writeFile("with space/run child", "#!/bin/sh\nexec '" + child + "' \"$@\"\n");
    chmod(rootPath("with space/run child").c_str(), 0755);
    struct Case {
        std::string line;
        BOOL started;
        DWORD codeOrError;
    };
    const Case cases[] = {
        {"winplat_gui_child.exe c t --exit 7", TRUE, 7},
        {"WINPLAT_GUI_CHILD.EXE c t --exit 8", TRUE, 8},
        {"\"" + child + ".exe\" c t --exit 9", TRUE, 9},
        {rootPath("with space/run child") + " c t --exit 11", TRUE, 11},  // unquoted, tried at each blank
        {"no_such_program.exe", FALSE, ERROR_FILE_NOT_FOUND},
        {"/no/such/folder/prog.exe", FALSE, ERROR_PATH_NOT_FOUND},
        {rootPath("text.exe"), FALSE, ERROR_ACCESS_DENIED},
        {"", FALSE, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info;
        std::memset(&info, 0xbd, sizeof info);
        std::string line = c.line;
        SetLastError(0xdeadbeef);
        ASSERT_EQ(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info),
                  c.started);
        if (!c.started) {
            EXPECT_EQ(GetLastError(), c.codeOrError);
            EXPECT_EQ(info.dwProcessId, 0xbdbdbdbdu);  // untouched
            continue;
        }
        EXPECT_EQ(info.dwThreadId, info.dwProcessId);
        EXPECT_EQ(WaitForSingleObject(info.hThread, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
        DWORD code = 0xdeadbeef;
        EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
        EXPECT_EQ(code, c.codeOrError);
        EXPECT_TRUE(CloseHandle(info.hThread));
        EXPECT_TRUE(CloseHandle(info.hProcess));
        EXPECT_FALSE(CloseHandle(info.hProcess));
    }
}

TEST_F(SessionTest, TheProgramReceivesItsCommandLineWhole) {
    const std::string report = rootPath("report.txt");
    const std::string arguments = "--report \"" + report + "\" --exit 0";
    Child child(arguments);
    ASSERT_TRUE(child.started);
    ASSERT_EQ(WaitForSingleObject(child.info.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    std::ifstream in(report);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    const std::vector<std::string> expected{
        std::string("winplat_gui_child.exe ") + kChildClass + " \"" + kChildTitle + "\" " + arguments,
        "winplat_gui_child.exe", kChildClass, kChildTitle, "--report", report, "--exit", "0"};
    EXPECT_EQ(lines, expected);
    EXPECT_NE(std::string(GetCommandLineA()).find("winplat_tests"), std::string::npos);  // this program's own
}

TEST_F(SessionTest, TheChildsWindowIsFoundAndAPostedCommandEndsIt) {
    Child child("");
    ASSERT_TRUE(child.started);
    EXPECT_EQ(WaitForInputIdle(child.info.hProcess, 10000), 0u);
    EXPECT_EQ(child.exitCode(), static_cast<DWORD>(STILL_ACTIVE));
    HWND w = child.window();
    ASSERT_NE(w, nullptr);
    struct Find {
        const char* className;
        const char* title;
        bool found;
    };
    for (const Find& f : {Find{kChildClass, nullptr, true}, Find{nullptr, kChildTitle, true},
                          Find{"spxchildframe", "SECOND PROCESS", true}, Find{kChildClass, "Other", false},
                          Find{"SpxChildPane", nullptr, false}}) {
        SCOPED_TRACE(std::string(f.className ? f.className : "-") + "/" + (f.title ? f.title : "-"));
        EXPECT_EQ(FindWindowA(f.className, f.title), f.found ? w : nullptr);
    }
    char text[32];
    std::memset(text, 0xbd, sizeof text);
    EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 14);
    EXPECT_STREQ(text, kChildTitle);
    EXPECT_EQ(static_cast<unsigned char>(text[15]), 0xbd);
    EXPECT_EQ(GetWindowTextA(w, text, 6), 5);
    EXPECT_STREQ(text, "Secon");
    EXPECT_EQ(GetWindowTextLengthA(w), 14);
    EXPECT_EQ(GetClassNameA(w, text, sizeof text), 13);
    EXPECT_STREQ(text, kChildClass);
    DWORD pid = 0xdeadbeef;
    EXPECT_EQ(GetWindowThreadProcessId(w, &pid), child.info.dwProcessId);
    EXPECT_EQ(pid, child.info.dwProcessId);
    EXPECT_FALSE(IsWindowVisible(w));
    HWND pane = FindWindowExA(w, nullptr, "SpxChildPane", "Pane");
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(IsWindow(pane));
    EXPECT_EQ(FindWindowExA(w, pane, nullptr, nullptr), nullptr);
    // Enabled or not, as the child last made it.
    EXPECT_TRUE(IsWindowEnabled(pane));
    EXPECT_EQ(SendMessageA(w, WM_USER + 7, FALSE, 0), 1);
    EXPECT_FALSE(IsWindowEnabled(pane));
    EXPECT_TRUE(IsWindowEnabled(w));
    EXPECT_EQ(SendMessageA(w, WM_USER + 7, TRUE, 0), 1);
    EXPECT_TRUE(IsWindowEnabled(pane));

    ASSERT_TRUE(PostMessageA(w, WM_COMMAND, MAKEWPARAM(42, 0), 0));
    ASSERT_EQ(WaitForSingleObject(child.info.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(child.exitCode(), 42u);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(IsWindow(pane));
    EXPECT_FALSE(IsWindowEnabled(pane));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(PostMessageA(w, WM_COMMAND, 1, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(FindWindowA(kChildClass, nullptr), nullptr);
}

TEST_F(SessionTest, RegisteredMessagesAndSendsCrossAsIntegers) {
    const UINT question = RegisterWindowMessageA("SpxChildQuestion");
    EXPECT_GE(question, 0xC000u);
    EXPECT_LE(question, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessageA("spxCHILDquestion"), question);
    EXPECT_NE(RegisterWindowMessageA("SpxOtherQuestion"), question);
    for (const char* bad : {static_cast<const char*>(nullptr), ""}) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(RegisterWindowMessageA(bad), 0u);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    HWND own = ownWindow();
    ASSERT_NE(own, nullptr);
    Child child("");
    HWND w = child.window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(SendMessageA(w, WM_USER + 1, 0, 0), static_cast<LRESULT>(question));  // the child's number
    EXPECT_EQ(SendMessageA(w, question, 13, 0), 40);
    // The child sends back to this process while this one waits for its answer.
    EXPECT_EQ(SendMessageA(w, WM_USER + 4, 21, reinterpret_cast<LPARAM>(own)), 43);
    // Parameters that point into this process do not leave it.
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(PostMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY));
    char buffer[8];
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SendMessageA(w, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY));
}

TEST_F(SessionTest, AMappingWrittenByOneIsReadByTheOtherAndGoneAfterTheLastClose) {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024, "SpxChildMapping");
    ASSERT_NE(mapping, nullptr);
    auto* bytes = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 1024));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(bytes[i], 0) << i;  // zero-filled when made
    for (int i = 0; i < 1024; ++i) bytes[i] = static_cast<unsigned char>(i * 7);
    Child child("");
    HWND w = child.window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(SendMessageA(w, WM_USER + 2, 0, 0), 1);  // it read this process's bytes ...
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(bytes[i], static_cast<unsigned char>(255 - i)) << i;  // ... and wrote
    EXPECT_TRUE(UnmapViewOfFile(bytes));
    EXPECT_TRUE(CloseHandle(mapping));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "SpxChildMapping"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(SendMessageA(w, WM_USER + 2, 0, 0), 0);  // gone for the child too
}

TEST_F(SessionTest, AKilledProcessLeavesNoWindowAndASendToItFails) {
    Child child("");
    HWND w = child.window();
    ASSERT_NE(w, nullptr);
    std::thread killer([&] {
        Sleep(300);
        kill(static_cast<pid_t>(child.info.dwProcessId), SIGKILL);
    });
    const DWORD start = GetTickCount();
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SendMessageA(w, WM_USER + 3, 0, 0), 0);  // the child never answers this one
    EXPECT_LT(GetTickCount() - start, 1300u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    killer.join();
    const DWORD after = GetTickCount();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(SendMessageA(w, WM_USER + 1, 0, 0), 0);
    EXPECT_EQ(FindWindowA(kChildClass, nullptr), nullptr);
    EXPECT_LT(GetTickCount() - after, 1000u);
    EXPECT_EQ(WaitForSingleObject(child.info.hProcess, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(child.exitCode(), 128u + SIGKILL);
}

// A file without sharing and named memory held by the child, released when it ends, also when
// it is killed: the memory is then made again empty and the file opens without sharing.
TEST_F(SessionTest, WhatAProcessHeldIsReleasedWhenItEnds) {
    writeFile("held.txt", "data");
    const std::string path = rootPath("held.txt");
    for (bool killed : {false, true}) {
        SCOPED_TRACE(killed ? "killed" : "ended by a posted command");
        Child child("--hold \"" + path + "\"");
        HWND w = child.window();
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(SendMessageA(w, WM_USER + 6, 0, 0), 1);
        HANDLE seen = OpenFileMappingA(FILE_MAP_READ, FALSE, "SpxChildOwned");
        ASSERT_NE(seen, nullptr);
        auto* bytes = static_cast<unsigned char*>(MapViewOfFile(seen, FILE_MAP_READ, 0, 0, 1024));
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(bytes[1023], 0x5A);
        UnmapViewOfFile(bytes);
        CloseHandle(seen);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

        if (killed)
            kill(static_cast<pid_t>(child.info.dwProcessId), SIGKILL);
        else
            ASSERT_TRUE(PostMessageA(w, WM_COMMAND, 1, 0));
        ASSERT_EQ(WaitForSingleObject(child.info.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
        SetLastError(0xdeadbeef);
        EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "SpxChildOwned"), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        HANDLE fresh = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024, "SpxChildOwned");
        ASSERT_NE(fresh, nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
        bytes = static_cast<unsigned char*>(MapViewOfFile(fresh, FILE_MAP_READ, 0, 0, 1024));
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(bytes[1023], 0);
        UnmapViewOfFile(bytes);
        CloseHandle(fresh);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
}

TEST_F(SessionTest, OtherProcessesWindowsComeInTheOrderTheyStartedLastFirstAndHearBroadcasts) {
    Child first("", nullptr, "First Child");
    ASSERT_NE(first.window(), nullptr);
    Child second("", nullptr, "Second Child");
    ASSERT_NE(second.window(), nullptr);
    HWND older = first.window(), newer = second.window();
    EXPECT_EQ(FindWindowA(kChildClass, nullptr), newer);
    EXPECT_EQ(FindWindowExA(nullptr, newer, kChildClass, nullptr), older);
    EXPECT_EQ(FindWindowExA(nullptr, older, kChildClass, nullptr), nullptr);
    EXPECT_EQ(FindWindowExA(GetDesktopWindow(), nullptr, nullptr, "First Child"), older);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(FindWindowA("SpxNoSuchClass", nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));

    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, WM_COMMAND, 5, 0));
    ASSERT_EQ(WaitForSingleObject(first.info.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_EQ(WaitForSingleObject(second.info.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(first.exitCode(), 5u);
    EXPECT_EQ(second.exitCode(), 5u);
}

TEST_F(SessionTest, WaitsEndWithTheProcessOrTheQueue) {
    HWND own = ownWindow();
    ASSERT_NE(own, nullptr);
    {
        Child running("");
        ASSERT_NE(running.window(), nullptr);
        HANDLE process = running.info.hProcess;
        EXPECT_EQ(WaitForSingleObject(process, 50), static_cast<DWORD>(WAIT_TIMEOUT));
        EXPECT_EQ(MsgWaitForMultipleObjects(1, &process, FALSE, 50, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
        PostMessageA(own, WM_USER, 0, 0);
        EXPECT_EQ(MsgWaitForMultipleObjects(1, &process, FALSE, 5000, QS_ALLINPUT), static_cast<DWORD>(WAIT_OBJECT_0 + 1));
        SetLastError(0xdeadbeef);
        EXPECT_EQ(MsgWaitForMultipleObjects(1, &process, TRUE, 0, QS_ALLINPUT), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        PostMessageA(FindWindowA(kChildClass, nullptr), WM_COMMAND, 3, 0);
        HANDLE both[2] = {own == nullptr ? nullptr : process, process};
        EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, 10000, QS_POSTMESSAGE), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(running.exitCode(), 3u);
    }
    Child quick("--exit 5");
    ASSERT_TRUE(quick.started);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(WaitForInputIdle(quick.info.hProcess, 10000), WAIT_FAILED);  // ended without waiting for input
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_GUI_PROCESS));
    EXPECT_EQ(quick.exitCode(), 5u);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(WaitForInputIdle(reinterpret_cast<HANDLE>(0x44), 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    DWORD code = 0xdeadbeef;
    EXPECT_FALSE(GetExitCodeProcess(own, &code));
    EXPECT_EQ(code, 0xdeadbeef);
}

TEST_F(SessionTest, TheStartersShowCommandAppliesToTheFirstShow) {
    struct Case {
        const char* name;
        bool useShowWindow;
        WORD show;
        bool visible;
    };
    for (const Case& c : {Case{"hidden", true, SW_HIDE, false}, Case{"shown", true, SW_SHOWNOACTIVATE, true},
                          Case{"as the program asks", false, SW_HIDE, true}}) {
        SCOPED_TRACE(c.name);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = c.useShowWindow ? STARTF_USESHOWWINDOW : 0;
        startup.wShowWindow = c.show;
        Child child("--show", &startup);
        HWND w = child.window();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(IsWindowVisible(w), c.visible ? TRUE : FALSE);
    }
}

BOOL recordReboot(UINT flags, void* ctx) {
    static_cast<std::vector<UINT>*>(ctx)->push_back(flags);
    return flags != EWX_LOGOFF;
}

TEST_F(SessionTest, ExitWindowsOnlyReachesTheRebootHandler) {
    std::vector<UINT> requests;
    EXPECT_EQ(WinplatSetRebootHandler(recordReboot, &requests), nullptr);
    EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT | EWX_FORCEIFHUNG, 0));
    EXPECT_FALSE(ExitWindowsEx(EWX_LOGOFF, 0));
    EXPECT_EQ(requests, (std::vector<UINT>{EWX_REBOOT | EWX_FORCEIFHUNG, EWX_LOGOFF}));
    EXPECT_EQ(WinplatSetRebootHandler(nullptr, nullptr), &recordReboot);
    EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT, 0));  // the default records it and answers TRUE
    EXPECT_EQ(requests.size(), 2u);
}

}  // namespace
