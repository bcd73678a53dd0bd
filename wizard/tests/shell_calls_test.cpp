// The wizard's help and shell requests: a handler receives them as they are and answers for
// them; without one, help is the HTML page beside the help file, and a missing page is FALSE.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fresh_root.h"
#include "shell_calls.h"

namespace {

class ShellCallsTest : public spx::test::FreshRootTest {
protected:
    void TearDown() override {
        huevista::setHelpHandler(nullptr, nullptr);
        huevista::setShellHandler(nullptr, nullptr);
        spx::test::FreshRootTest::TearDown();
    }
};

struct Seen {
    std::vector<std::string> calls;
    BOOL answer = TRUE;
};

BOOL help(HWND, LPCSTR file, UINT command, ULONG_PTR data, void* ctx) {
    auto* seen = static_cast<Seen*>(ctx);
    seen->calls.push_back(std::string(file) + " " + std::to_string(command) + " " + std::to_string(data));
    return seen->answer;
}

BOOL shell(HWND, LPCSTR verb, LPCSTR file, LPCSTR params, void* ctx) {
    auto* seen = static_cast<Seen*>(ctx);
    seen->calls.push_back(std::string(verb) + " " + file + (params ? " with parameters" : ""));
    return seen->answer;
}

TEST_F(ShellCallsTest, HandlersReceiveTheRequestsAndAnswerForThem) {
    Seen seen;
    EXPECT_EQ(huevista::setHelpHandler(help, &seen), nullptr);
    EXPECT_EQ(huevista::setShellHandler(shell, &seen), nullptr);
    const struct {
        BOOL answer;
    } cases[] = {{TRUE}, {FALSE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        seen = Seen{{}, c.answer};
        EXPECT_EQ(huevista::showHelp(nullptr, "/opt/suite/Spectrine.hlp", HELP_CONTEXT, 205), c.answer);
        EXPECT_EQ(huevista::showHelp(nullptr, "/opt/suite/Spectrine.hlp", HELP_CONTENTS, 0), c.answer);
        EXPECT_EQ(huevista::openWithShell(nullptr, "https://spectrine.example.org/"), c.answer);
        EXPECT_EQ(seen.calls, (std::vector<std::string>{"/opt/suite/Spectrine.hlp 1 205", "/opt/suite/Spectrine.hlp 3 0",
                                                        "open https://spectrine.example.org/"}));
    }
    EXPECT_EQ(huevista::setHelpHandler(nullptr, nullptr), help);
    EXPECT_EQ(huevista::setShellHandler(nullptr, nullptr), shell);
}

TEST_F(ShellCallsTest, WithoutAHandlerMissingHelpIsFalse) {
    const std::string file = rootPath("Spectrine.hlp");
    EXPECT_FALSE(huevista::showHelp(nullptr, file.c_str(), HELP_CONTEXT, 3));
    EXPECT_FALSE(huevista::showHelp(nullptr, nullptr, HELP_CONTENTS, 0));
    EXPECT_FALSE(huevista::openWithShell(nullptr, ""));
}

}  // namespace
