// The installer's settings and folders in a fresh system root.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "install_steps.h"
#include "installer_test_support.h"
#include "logon_entry.h"
#include "vltutil.h"
#include "win32_holders.h"

namespace {

namespace fs = std::filesystem;

using Installer = installer_test::SuiteFolderTest;

TEST_F(Installer, WritesTheThreeSettingsFoldersAndTheInfChain) {
    installer::Report report;
    ASSERT_TRUE(installer::installSuite(suite, report)) << report.error;
    char out[MAX_PATH];
    ASSERT_EQ(GetSpectrineExeFile(out, sizeof out), 1);
    EXPECT_EQ(std::string(out), suite + "/huevista");
    ASSERT_EQ(GetSpectrineInfFile(out, sizeof out), 1);
    EXPECT_EQ(std::string(out), suite + "/spectrine.inf");
    // The chain holds the averages the wizard falls back on.
    char record[512];
    EXPECT_GT(GetPrivateProfileStringA("Monitors", "CRT Average", "", record, sizeof record, out), 0u);
    EXPECT_GT(GetPrivateProfileStringA("Monitors", "LCD Average", "", record, sizeof record, out), 0u);
    ASSERT_GT(GetSpectrineRegString("Settings", "LutDir", out, sizeof out), 0);
    EXPECT_EQ(std::string(out), root() + "/LUT");
    struct stat st{};
    EXPECT_EQ(stat((root() + "/LUT").c_str(), &st), 0);
    EXPECT_EQ(stat((root() + "/WINDOWS/SYSTEM/COLOR").c_str(), &st), 0);
    EXPECT_FALSE(report.lines.empty());
}

TEST_F(Installer, ScaleToD50IsSetOnceAndAUsersValueKept) {
    struct Case {
        const char* name;
        DWORD before;  // ~0u: absent
        DWORD after;
    } cases[] = {{"absent", ~0u, 1}, {"user chose 0", 0, 0}, {"user chose 2", 2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSpectrineRegValue("Settings", "ScaleToD50", REG_DWORD, nullptr, 0);
        if (c.before != ~0u) {
            ASSERT_EQ(WriteSpectrineScaleToD50(c.before), ERROR_SUCCESS);
        }
        installer::Report report;
        ASSERT_TRUE(installer::installSuite(suite, report)) << report.error;
        DWORD type = 0, value = 0xdeadbeef, size = sizeof value;
        ASSERT_EQ(GetSpectrineRegValue("Settings", "ScaleToD50", &type, reinterpret_cast<LPBYTE>(&value), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(value, c.after);
    }
}

TEST_F(Installer, MissingDataFilesStopTheInstallation) {
    for (const char* file : {"huevista.ini", "Preset.inf"}) {
        SCOPED_TRACE(file);
        const std::string path = suite + "/" + file;
        fs::rename(path, path + ".away");
        installer::Report report;
        EXPECT_FALSE(installer::installSuite(suite, report));
        EXPECT_NE(report.error.find(path), std::string::npos) << report.error;
        char out[MAX_PATH];
        EXPECT_EQ(GetSpectrineRegString("Settings", "AppFile", out, sizeof out), 0);
        fs::rename(path + ".away", path);
    }
}

TEST_F(Installer, MissingInfSourcesStopTheInstallation) {
    fs::remove_all(suite + "/inf");
    installer::Report report;
    EXPECT_FALSE(installer::installSuite(suite, report));
    EXPECT_NE(report.error.find("INF"), std::string::npos) << report.error;
}

TEST_F(Installer, RefusesPathsTheSettingsCannotHold) {
    installer::Report report;
    EXPECT_FALSE(installer::installSuite("/" + std::string(300, 's'), report));
    EXPECT_NE(report.error.find("AppFile"), std::string::npos) << report.error;
    char out[MAX_PATH];
    EXPECT_EQ(GetSpectrineRegString("Settings", "AppFile", out, sizeof out), 0);
}

// A root whose system folder would not fit MAX_PATH (the root and "/WINDOWS/SYSTEM" make 260
// characters or more) is refused before anything is made; a root just short of that is
// installed whole.
TEST_F(Installer, ARootNearTheLimitIsRefusedOrInstalledWhole) {
    const struct {
        size_t length;
        bool installs;
    } cases[] = {{240, true}, {244, true}, {245, false}, {250, false}, {255, false}, {300, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string base = root() + "/r" + std::to_string(c.length) + "-";
        ASSERT_LT(base.size(), c.length);
        const std::string systemRoot = base + std::string(c.length - base.size(), 'x');
        ASSERT_EQ(systemRoot.size(), c.length);
        setenv("SPECTRINE_ROOT", systemRoot.c_str(), 1);
        WinplatResetProcessState();
        installer::Report report;
        EXPECT_EQ(installer::installSuite(suite, report), c.installs) << report.error;
        struct stat st{};
        if (c.installs) {
            EXPECT_EQ(stat((systemRoot + "/WINDOWS/SYSTEM/COLOR").c_str(), &st), 0);
            EXPECT_EQ(stat((systemRoot + "/LUT").c_str(), &st), 0);
            char out[MAX_PATH];
            EXPECT_EQ(GetSpectrineRegString("Settings", "LutDir", out, sizeof out),
                      static_cast<int>(c.length + 4));
        } else {
            EXPECT_NE(report.error.find("longer than"), std::string::npos) << report.error;
            EXPECT_NE(stat(systemRoot.c_str(), &st), 0) << "a refused installation made its root";
        }
        WinplatResetProcessState();
    }
    setenv("SPECTRINE_ROOT", root().c_str(), 1);
}

// A failure after the first folder was made takes back what the installation made: here the
// INF chain cannot be written (a folder stands where it goes), in a root that did not exist.
TEST_F(Installer, AFailedInstallationLeavesNothingBehind) {
    fs::create_directories(suite + "/spectrine.inf");
    const std::string systemRoot = root() + "/new-root";
    setenv("SPECTRINE_ROOT", systemRoot.c_str(), 1);
    WinplatResetProcessState();
    installer::Report report;
    EXPECT_FALSE(installer::installSuite(suite, report));
    EXPECT_NE(report.error.find("INF chain"), std::string::npos) << report.error;
    EXPECT_FALSE(fs::exists(systemRoot)) << "the new root stayed";
    EXPECT_FALSE(fs::exists(installer::autostartEntryPath()));
    setenv("SPECTRINE_ROOT", root().c_str(), 1);
    WinplatResetProcessState();
}

// The Run value exists only with the display colour control program in the suite; the
// autostart entry runs the logon runner for the root, written into the test's own config
// folder by the program as by the function.
TEST_F(Installer, WritesWhatStartsTheSuiteAtLogon) {
    const std::string entry = installer::autostartEntryPath();
    EXPECT_EQ(entry, root() + "/config/autostart/spectrine-logon.desktop");
    for (bool withProgram : {false, true}) {
        SCOPED_TRACE(withProgram ? "with vltpanel" : "without vltpanel");
        if (withProgram) writeFile("suite/vltpanel", "");
        installer::Report report;
        ASSERT_TRUE(installer::installSuite(suite, report)) << report.error;
        winplat::RegKey run(HKEY_LOCAL_MACHINE, REGSTR_PATH_RUN);
        char value[MAX_PATH];
        std::memset(value, 0xbd, sizeof value);
        DWORD size = sizeof value;
        LONG rc = run ? RegQueryValueExA(run.get(), "Spectrine Control Panel", nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(value), &size)
                      : ERROR_FILE_NOT_FOUND;
        if (withProgram) {
            ASSERT_EQ(rc, ERROR_SUCCESS);
            EXPECT_EQ(std::string(value), "\"" + suite + "/vltpanel\"");
        } else {
            EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
        }
        EXPECT_EQ(readFile("config/autostart/spectrine-logon.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Spectrine logon\n"
                  "Comment=Starts the programs of the Run key when the session starts\n"
                  "Exec=\"" + suite + "/logon\" --root \"" + root() + "\"\n"
                  "NoDisplay=true\nX-GNOME-Autostart-enabled=true\n");
    }
    fs::remove(entry);
    const installer_test::ProgramRun run = installer_test::runInstaller(root(), "--suite '" + suite + "'");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(fs::exists(entry)) << run.output;
}

// Paths as an Exec key must carry them: quoted, with the command line's and the string
// value's escapes; control characters cannot be carried at all.
TEST_F(Installer, TheAutostartEntryQuotesItsPaths) {
    struct Case {
        std::string suite;
        std::string execLine;  // empty: refused
    };
    const Case cases[] = {
        {"/usr/lib/spectrine", R"(Exec="/usr/lib/spectrine/logon" --root "/r")"},
        {"/opt/my suite", R"(Exec="/opt/my suite/logon" --root "/r")"},
        {"/opt/$HOME`x`", R"(Exec="/opt/\\$HOME\\`x\\`/logon" --root "/r")"},
        {"/opt/q\"uote", R"(Exec="/opt/q\\"uote/logon" --root "/r")"},
        {"/opt/back\\slash", R"(Exec="/opt/back\\\\slash/logon" --root "/r")"},
        {"/opt/100%", R"(Exec="/opt/100%%/logon" --root "/r")"},
        {"/opt/new\nline", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.suite);
        std::string text = "unchanged", why;
        bool ok = installer::autostartEntry(c.suite, "/r", text, why);
        EXPECT_EQ(ok, !c.execLine.empty());
        if (ok) {
            EXPECT_NE(text.find("\n" + c.execLine + "\n"), std::string::npos) << text;
        } else {
            EXPECT_EQ(text, "unchanged");
            EXPECT_NE(why.find("autostart"), std::string::npos);
        }
    }
}

// The program refuses an empty root instead of installing somewhere else.
TEST_F(Installer, TheProgramRefusesAnEmptyRoot) {
    const installer_test::ProgramRun run = installer_test::runInstaller(root(), "--root '' --suite '" + suite + "'");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("--root needs a folder"), std::string::npos) << run.output;
    // Nothing was installed anywhere, also not into the root of the environment.
    EXPECT_FALSE(fs::exists(root() + "/LUT"));
    EXPECT_FALSE(fs::exists(root() + "/registry.db"));
}

}  // namespace
