// ShellExecuteA, ShellExecuteExA and WinExec: what reaches the shell-execute handler and how its
// answer comes back; the default handler running programs and opening files and addresses with
// xdg-open, both stood in for by a script that writes down the arguments it got.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "command_line.h"
#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;
using winplat::detail::splitArguments;
using winplat::detail::splitProgram;

struct ShellCall {
    HWND w;
    std::string verb, file, params;
};

// Writes each argument in brackets, one a line, to args.txt beside itself (whole, by a rename).
constexpr const char* kRecorder =
    "#!/bin/sh\n"
    "out=\"$(dirname \"$0\")/args.txt\"\n"
    ": > \"$out.part\"\n"
    "for a in \"$@\"; do printf '[%s]\\n' \"$a\" >> \"$out.part\"; done\n"
    "mv \"$out.part\" \"$out\"\n";

class ShellExecute : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        if (const char* path = std::getenv("PATH")) savedPath_ = path;
    }
    void TearDown() override {
        setenv("PATH", savedPath_.c_str(), 1);
        FreshRootTest::TearDown();
    }

    void record(BOOL answer, DWORD error = ERROR_SUCCESS) {
        answer_ = answer;
        error_ = error;
        WinplatSetShellExecuteHandler(recordCall, this);
    }
    static BOOL recordCall(HWND w, LPCSTR verb, LPCSTR file, LPCSTR params, void* ctx) {
        auto* self = static_cast<ShellExecute*>(ctx);
        self->calls.push_back({w, verb ? verb : "<null>", file ? file : "<null>", params ? params : "<null>"});
        if (!self->answer_) SetLastError(self->error_);
        return self->answer_;
    }

    // A recording program at `relative` in the root; returns its path.
    std::string recorder(const std::string& relative) {
        writeFile(relative, kRecorder);
        std::string path = rootPath(relative);
        chmod(path.c_str(), 0755);
        return path;
    }
    // What the recorder in `folder` was given, once it has written it down.
    std::string argumentsSeen(const std::string& folder) {
        std::string path = rootPath(folder + "/args.txt");
        for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) Sleep(10);
        return readFile(folder + "/args.txt");
    }
    // xdg-open is the recorder in <root>/bin, first on the path.
    void recordDesktopOpener() {
        recorder("bin/xdg-open");
        setenv("PATH", (rootPath("bin") + ":" + savedPath_).c_str(), 1);
    }

    std::vector<ShellCall> calls;

private:
    BOOL answer_ = TRUE;
    DWORD error_ = ERROR_SUCCESS;
    std::string savedPath_;
};

TEST_F(ShellExecute, RequestsReachTheHandlerAsGiven) {
    record(TRUE);
    auto owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(owner, nullptr, "http://example.org/a b", nullptr, nullptr, SW_SHOW)), 33);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "Properties", "doc.txt", "-x y", "/data\\folder", SW_SHOW)), 33);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", "/abs/doc.txt", "", "/ignored", SW_SHOW)), 33);
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.lpVerb = "print";
    info.lpFile = "mailto:someone@example.org";
    info.hProcess = reinterpret_cast<HANDLE>(0xdeadbeef);
    EXPECT_TRUE(ShellExecuteExA(&info));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(info.hInstApp), 33);
    EXPECT_EQ(info.hProcess, nullptr);
    EXPECT_EQ(WinExec("control.exe desk.cpl", SW_SHOWNORMAL), 33u);
    EXPECT_EQ(WinExec("  \"/opt/my tools/run\"   -a  \"b c\" ", SW_SHOWNORMAL), 33u);
    EXPECT_EQ(WinExec("lonely", SW_SHOWNORMAL), 33u);

    const std::vector<std::vector<std::string>> expected = {
        {"open", "http://example.org/a b", "<null>"},
        {"Properties", "/data\\folder\\doc.txt", "-x y"},
        {"open", "/abs/doc.txt", ""},
        {"print", "mailto:someone@example.org", "<null>"},
        {"<null>", "control.exe", "desk.cpl"},
        {"<null>", "/opt/my tools/run", "-a  \"b c\" "},
        {"<null>", "lonely", "<null>"},
    };
    ASSERT_EQ(calls.size(), expected.size());
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(expected[i][1]);
        EXPECT_EQ(calls[i].verb, expected[i][0]);
        EXPECT_EQ(calls[i].file, expected[i][1]);
        EXPECT_EQ(calls[i].params, expected[i][2]);
    }
    EXPECT_EQ(calls[0].w, owner);
}

TEST_F(ShellExecute, AHandlerRefusalBecomesEachCallsCode) {
    struct Case {
        DWORD error;
        INT_PTR shellCode;
        UINT winExecCode;
    };
    const Case cases[] = {
        {ERROR_FILE_NOT_FOUND, SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
        {ERROR_PATH_NOT_FOUND, SE_ERR_PNF, ERROR_PATH_NOT_FOUND},
        {ERROR_ACCESS_DENIED, SE_ERR_ACCESSDENIED, 0},
        {ERROR_NOT_ENOUGH_MEMORY, SE_ERR_OOM, 0},
        {ERROR_BAD_FORMAT, SE_ERR_NOASSOC, ERROR_BAD_FORMAT},
        {ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC, 0},
        {ERROR_SUCCESS, SE_ERR_NOASSOC, 0},  // refused without saying why
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        record(FALSE, c.error);
        DWORD expectedError = c.error == ERROR_SUCCESS ? ERROR_NO_ASSOCIATION : c.error;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", "x", nullptr, nullptr, SW_SHOW)), c.shellCode);
        EXPECT_EQ(GetLastError(), expectedError);
        SHELLEXECUTEINFOA info{};
        info.cbSize = sizeof info;
        info.lpFile = "x";
        info.hInstApp = reinterpret_cast<HINSTANCE>(0xdeadbeef);
        EXPECT_FALSE(ShellExecuteExA(&info));
        EXPECT_EQ(reinterpret_cast<INT_PTR>(info.hInstApp), c.shellCode);
        EXPECT_EQ(WinExec("x", SW_SHOW), c.winExecCode);
        EXPECT_EQ(GetLastError(), expectedError);
    }
    calls.clear();
    SHELLEXECUTEINFOA small{};
    small.cbSize = sizeof small - 1;
    small.lpFile = "x";
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ShellExecuteExA(&small));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(ShellExecuteExA(nullptr));
    EXPECT_EQ(WinExec(nullptr, SW_SHOW), 0u);
    EXPECT_TRUE(calls.empty());
}

TEST_F(ShellExecute, CommandLinesSplitAsTheRuntimeSplitsThem) {
    struct Case {
        const char* line;
        const char* program;
        const char* parameters;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"prog a b", "prog", "a b", {"a", "b"}},
        {"\"C:\\My Dir\\\" x", "C:\\My Dir\\", "x", {"x"}},
        {"\"/a b/c\"rest", "/a b/c", "rest", {"rest"}},
        {"p \"a b\"\tc", "p", "\"a b\"\tc", {"a b", "c"}},
        {"p a\\\"b", "p", "a\\\"b", {"a\"b"}},
        {"p a\\\\\"b c\"", "p", "a\\\\\"b c\"", {"a\\b c"}},
        {"p a\\\\\\\"b", "p", "a\\\\\\\"b", {"a\\\"b"}},
        {"p a\\\\b", "p", "a\\\\b", {"a\\\\b"}},
        {"p \"\"", "p", "\"\"", {""}},
        {"p \"a\"\"b\"", "p", "\"a\"\"b\"", {"a\"b"}},
        {"p \"open ended", "p", "\"open ended", {"open ended"}},
        {"   ", "", "", {}},
        {"\"unclosed name", "unclosed name", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto split = splitProgram(c.line);
        EXPECT_EQ(split.program, c.program);
        EXPECT_EQ(split.parameters, c.parameters);
        EXPECT_EQ(splitArguments(split.parameters), c.arguments);
    }
}

TEST_F(ShellExecute, TheDefaultRunsProgramsWithoutAShell) {
    std::string program = recorder("run dir/tool");
    std::string line = "\"" + program + ".exe\" \"two words\" $HOME ';' \"quote\\\"d\"";
    EXPECT_EQ(WinExec(line.c_str(), SW_SHOWNORMAL), 33u);
    EXPECT_EQ(argumentsSeen("run dir"), "[two words]\n[$HOME]\n[';']\n[quote\"d]\n");

    std::filesystem::remove(rootPath("run dir/args.txt"));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, nullptr, "tool", "-v", rootPath("run dir").c_str(), SW_SHOW)), 33);
    EXPECT_EQ(argumentsSeen("run dir"), "[-v]\n");
}

TEST_F(ShellExecute, TheDefaultOpensFilesAndAddressesWithTheDesktopOpener) {
    recordDesktopOpener();
    writeFile("docs/read me.txt", "text");
    std::string document = rootPath("docs/READ ME.TXT");  // found ignoring case
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", document.c_str(), "ignored", nullptr, SW_SHOW)), 33);
    EXPECT_EQ(argumentsSeen("bin"), "[" + rootPath("docs/read me.txt") + "]\n");

    std::filesystem::remove(rootPath("bin/args.txt"));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, nullptr, "https://example.org/?a=1&b=2", nullptr, nullptr, SW_SHOW)), 33);
    EXPECT_EQ(argumentsSeen("bin"), "[https://example.org/?a=1&b=2]\n");
}

TEST_F(ShellExecute, TheDefaultRefusesWhatItCannotRunOrOpen) {
    writeFile("plain.txt", "not a program");
    std::string plain = rootPath("plain.txt");
    std::string missing = rootPath("missing.txt");
    std::string missingFolder = rootPath("nowhere/x.txt");
    struct Case {
        const char* name;
        std::string line;
        UINT code;
    };
    const Case runs[] = {
        {"not a program", plain, ERROR_BAD_FORMAT},
        {"no file", missing, ERROR_FILE_NOT_FOUND},
        {"no folder", missingFolder, ERROR_PATH_NOT_FOUND},
        {"no such program", "surely-no-such-program-here", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : runs) {
        SCOPED_TRACE(c.name);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(WinExec(c.line.c_str(), SW_SHOW), c.code);
        EXPECT_EQ(GetLastError(), c.code);
    }
    setenv("PATH", rootPath("bin").c_str(), 1);  // no xdg-open anywhere
    const std::pair<const char*, INT_PTR> opens[] = {
        {"open", SE_ERR_NOASSOC}, {"print", SE_ERR_NOASSOC}, {nullptr, SE_ERR_NOASSOC}};
    for (const auto& [verb, code] : opens) {
        SCOPED_TRACE(verb ? verb : "null");
        EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, verb, plain.c_str(), nullptr, nullptr, SW_SHOW)), code);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
    }
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", missing.c_str(), nullptr, nullptr, SW_SHOW)), SE_ERR_FNF);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", "", nullptr, nullptr, SW_SHOW)), SE_ERR_FNF);
}

}  // namespace
