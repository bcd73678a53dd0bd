// WinHelpA: calls reach the help handler as given; the default one finds the HTML help beside
// the help file and opens it at the context's anchor through the shell-execute handler.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;

class Help : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        WinplatSetShellExecuteHandler(recordOpen, this);
    }
    static BOOL recordOpen(HWND, LPCSTR verb, LPCSTR file, LPCSTR, void* ctx) {
        static_cast<Help*>(ctx)->opened.push_back(std::string(verb ? verb : "<null>") + " " + (file ? file : "<null>"));
        return TRUE;
    }
    std::vector<std::string> opened;
};

struct HelpCall {
    HWND w;
    std::string file;
    UINT command;
    ULONG_PTR data;
};

BOOL recordHelp(HWND w, LPCSTR file, UINT command, ULONG_PTR data, void* ctx) {
    static_cast<std::vector<HelpCall>*>(ctx)->push_back({w, file ? file : "<null>", command, data});
    return command != HELP_QUIT;
}

TEST_F(Help, CallsReachTheHandlerAsGiven) {
    std::vector<HelpCall> calls;
    EXPECT_EQ(WinplatSetHelpHandler(recordHelp, &calls), nullptr);
    auto w = reinterpret_cast<HWND>(0x4242);
    EXPECT_TRUE(WinHelpA(w, "C:\\Suite\\Spectrine.hlp", HELP_CONTEXT, 201));
    EXPECT_TRUE(WinHelpA(nullptr, "vltcpl.HLP>smallhel", HELP_FINDER, 0));
    EXPECT_FALSE(WinHelpA(w, nullptr, HELP_QUIT, 0));
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].w, w);
    EXPECT_EQ(calls[0].file, "C:\\Suite\\Spectrine.hlp");
    EXPECT_EQ(calls[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(calls[0].data, 201u);
    EXPECT_EQ(calls[1].file, "vltcpl.HLP>smallhel");
    EXPECT_EQ(calls[2].file, "<null>");
    EXPECT_EQ(WinplatSetHelpHandler(nullptr, nullptr), &recordHelp);
    EXPECT_TRUE(opened.empty());
}

TEST_F(Help, TheDefaultOpensTheHtmlPageAtTheContextsAnchor) {
    writeFile("suite/Spectrine.html", "<html></html>");
    writeFile("suite/vltcpl.html", "<html></html>");
    writeFile("my help/Guide.HTML", "<html></html>");
    const std::string suite = "file://" + rootPath("suite/");
    const std::string guide = "file://" + rootPath("my%20help/Guide.HTML");
    struct Case {
        std::string file;
        UINT command;
        ULONG_PTR data;
        std::string address;  // empty: nothing opened
    };
    const Case cases[] = {
        {rootPath("suite/Spectrine.hlp"), HELP_CONTEXT, 201, suite + "Spectrine.html#201"},
        {rootPath("suite/SPECTRINE.HLP"), HELP_CONTEXTPOPUP, 0x2012C, suite + "Spectrine.html#131372"},
        {rootPath("suite/Spectrine.hlp"), HELP_CONTENTS, 7, suite + "Spectrine.html"},
        {rootPath("suite/Spectrine.hlp"), HELP_FINDER, 0, suite + "Spectrine.html"},
        {rootPath("suite/libvltcpl.HLP>smallhel"), HELP_CONTEXT, 9, suite + "vltcpl.html#9"},
        {rootPath("my help/guide.hlp"), HELP_CONTEXT, 3, guide + "#3"},
        {rootPath("suite/Missing.hlp"), HELP_CONTEXT, 1, ""},
        {rootPath("suite/libMissing.hlp"), HELP_CONTEXT, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        opened.clear();
        SetLastError(0xdeadbeef);
        EXPECT_EQ(WinHelpA(nullptr, c.file.c_str(), c.command, c.data), !c.address.empty());
        if (c.address.empty()) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
            EXPECT_TRUE(opened.empty());
        } else {
            EXPECT_EQ(opened, std::vector<std::string>{"open " + c.address});
        }
    }
    opened.clear();
    EXPECT_TRUE(WinHelpA(nullptr, rootPath("suite/Spectrine.hlp").c_str(), HELP_QUIT, 0));
    EXPECT_TRUE(opened.empty());
}

TEST_F(Help, ControlHelpTakesTheControlsIdFromTheTable) {
    writeFile("Page.html", "<html></html>");
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "HelpHost";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND host = CreateWindowExA(0, "HelpHost", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND control = CreateWindowExA(0, "HelpHost", "", WS_CHILD, 0, 0, 10, 10, host, reinterpret_cast<HMENU>(245),
                                   nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    const DWORD table[] = {244, 0x80C800F4, 245, 0x80C800F5, 0, 0};
    std::string file = rootPath("Page.hlp");
    std::string page = "open file://" + rootPath("Page.html");
    ASSERT_TRUE(WinHelpA(control, file.c_str(), HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(table)));
    ASSERT_TRUE(WinHelpA(control, file.c_str(), HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(table)));
    ASSERT_TRUE(WinHelpA(host, file.c_str(), HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(table)));  // not in the table
    EXPECT_EQ(opened, (std::vector<std::string>{page + "#2160591093", page + "#2160591093", page}));
    DestroyWindow(host);
}

}  // namespace
