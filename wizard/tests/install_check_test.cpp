// The installation check: its five checks in order with their exact messages, the message box
// and exit code 2 without any window, the extension rules of the file names it derives, and
// the program itself refusing to start in an empty system root.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "fake_suite.h"
#include "fresh_root.h"
#include "huevista.h"
#include "install_check.h"
#include "second_process.h"
#include "vltutil.h"

namespace {

using huevista::test::FakeSuite;
using huevista::test::installFakeSuite;
using huevista::test::readText;
using huevista::test::writeText;

class InstallCheckTest : public spx::test::FreshRootTest {};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

int windowsOfProcess() {
    int count = 0;
    EnumWindows([](HWND, LPARAM counter) -> BOOL { return ++*reinterpret_cast<int*>(counter), TRUE; },
                reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(InstallCheckTest, FilesAreCheckedInOrderAndTheFirstFailureEndsTheProgram) {
    const FakeSuite suite = installFakeSuite(root());
    const std::string ini = readText(suite.ini), inf = readText(suite.inf), presets = readText(suite.presets);
    struct Case {
        const char* name;
        std::function<void()> damage;
        const char* message;  // empty: the installation passes
    };
    const Case cases[] = {
        {"no white point file", [&] { std::remove(suite.ini.c_str()); }, "huevista.ini file not found"},
        {"a reference white empty", [&] { writeText(suite.ini, replaced(ini, "D50Ref_2=", "D50Ref_2=\r\nX=")); },
         "huevista.ini missing entries"},
        {"a reference white missing", [&] { writeText(suite.ini, replaced(ini, "D50Ref_0", "D50Ref_9")); },
         "huevista.ini missing entries"},
        {"no colour series", [&] { writeText(suite.ini, replaced(ini, "Nb Of Entries=11", "Nb Of Entries=0")); },
         "huevista.ini missing entries"},
        {"a negative colour series", [&] { writeText(suite.ini, replaced(ini, "Nb Of Entries=11", "Nb Of Entries=-3")); },
         "huevista.ini missing entries"},
        {"no INF file", [&] { std::remove(suite.inf.c_str()); }, "spectrine.inf file not found"},
        {"no LCD Average", [&] { writeText(suite.inf, replaced(inf, "LCD Average=", "LCD Other=")); },
         "spectrine.inf missing entries"},
        {"no CRT Average, even in a companion without it",
         [&] {
             writeText(suite.inf, replaced(inf, "CRT Average=", "CRT Other="));
             writeText(suite.folder + "/spectrine2.inf", "[Monitors]\r\nOther=x\r\n");
         },
         "spectrine.inf missing entries"},
        {"CRT Average only in the third companion",
         [&] {
             writeText(suite.inf, replaced(inf, "CRT Average=", "CRT Other="));
             writeText(suite.folder + "/spectrine3.inf", "[Monitors]\r\nCRT Average=Generic, CRT Average, 1\r\n");
         },
         ""},
        {"no Preset.inf", [&] { std::remove(suite.presets.c_str()); }, "Preset.inf file not found"},
        {"first preset not Unadjusted", [&] { writeText(suite.presets, replaced(presets, "\n[Unadjusted]", "\n[Other]")); },
         "Preset.inf missing entries"},
        {"second preset not _", [&] { writeText(suite.presets, replaced(presets, "\n[_]", "\n[__]")); },
         "Preset.inf missing entries"},
        {"third preset without ...",
         [&] { writeText(suite.presets, replaced(presets, "\n[Match screen To Printer...]", "\n[Match]")); },
         "Preset.inf missing entries"},
        {"only two presets", [&] { writeText(suite.presets, "[unadjusted]\r\nA=1\r\n[_]\r\nB=2\r\n"); },
         "Preset.inf missing entries"},
        {"section names in another case", [&] { writeText(suite.presets, replaced(presets, "\n[Unadjusted]", "\n[UNADJUSTED]")); },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case starts from the sound installation.
        writeText(suite.ini, ini);
        writeText(suite.inf, inf);
        writeText(suite.presets, presets);
        std::remove((suite.folder + "/spectrine2.inf").c_str());
        std::remove((suite.folder + "/spectrine3.inf").c_str());
        c.damage();
        const auto failure = huevista::checkInstallation(suite.program);
        EXPECT_EQ(failure ? huevista::describe(*failure) : "", c.message);
        // A check that passes would start the wizard itself.
        if (!*c.message || !failure) continue;
        messageBoxes.clear();
        EXPECT_EQ(huevista::runWizard({suite.program, {}}), 2);
        ASSERT_EQ(messageBoxes.size(), 1u);
        EXPECT_EQ(messageBoxes[0].text, c.message);
        EXPECT_EQ(messageBoxes[0].caption, "huevista");
        EXPECT_EQ(messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_EQ(windowsOfProcess(), 0);
    }
}

// The settings are read once per process, so each case runs as a program of its own.
TEST_F(InstallCheckTest, TheProgramMustBeTheOneTheSettingsName) {
    struct Case {
        const char* name;
        const char* appFile;  // null: not installed
        const char* program;  // relative to the root
        const char* message;
    };
    const Case cases[] = {
        {"nothing installed", nullptr, "suite/huevista", "huevista not properly installed"},
        {"another program", "suite/other", "suite/huevista", "huevista registry not properly set"},
        {"the same program in another letter case", "SUITE/HueVista", "suite/huevista", ""},
        {"the same program through a link", "suite/huevista", "link/huevista", ""},
        {"the same program in a Windows-style path", "suite\\huevista", "suite/huevista", ""},
    };
    const FakeSuite suite = installFakeSuite(root());
    writeText(suite.program, "");
    std::filesystem::create_directory_symlink(suite.folder, root() + "/link");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string answer = spx::test::inSecondProcess([&](std::string& out) {
            const std::string appFile = c.appFile ? root() + "/" + c.appFile : "";
            if (c.appFile) WriteSpectrineRegString("Settings", "AppFile", appFile.c_str());
            else WriteSpectrineRegValue("Settings", "AppFile", REG_SZ, nullptr, 0);
            const auto failure = huevista::checkInstallation(root() + "/" + c.program);
            out = failure ? huevista::describe(*failure) : "";
            return 0;
        });
        EXPECT_EQ(answer, c.message);
    }
}

TEST_F(InstallCheckTest, ExtensionsAreReplacedAfterTheLastSeparatorOnly) {
    struct Case {
        const char* path;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {
        {"/opt/suite/huevista", ".ini", "/opt/suite/huevista.ini"},
        {"/opt/suite/huevista.exe", ".ini", "/opt/suite/huevista.ini"},
        {"/opt/suite.d/huevista", ".ini", "/opt/suite.d/huevista.ini"},
        {"C:\\Spectrine.95\\HUEVISTA", ".ini", "C:\\Spectrine.95\\HUEVISTA.ini"},
        {"/opt/suite/spectrine.inf", "3.inf", "/opt/suite/spectrine3.inf"},
        {"/opt/suite.d/spectrine", "1.inf", "/opt/suite.d/spectrine1.inf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(huevista::withExtension(c.path, c.extension), c.expected);
    }
    EXPECT_EQ(huevista::withExtension(std::string(MAX_PATH, 'x'), ".ini"), "");
    EXPECT_EQ(huevista::baseNameOf("/opt/suite/huevista"), "huevista");
    EXPECT_EQ(huevista::baseNameOf("C:\\Spectrine\\HUEVISTA.EXE"), "HUEVISTA");
}

TEST_F(InstallCheckTest, TheProgramInAnEmptyRootSaysSoAndEndsWithTwo) {
    const std::string command = "SPECTRINE_DISPLAY=virtual SPECTRINE_ROOT='" + root() + "' '" HUEVISTA_PATH "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    // Without a window the message box goes to standard error: caption, then text.
    EXPECT_NE(output.find("huevista: huevista not properly installed"), std::string::npos) << output;
}

}  // namespace
