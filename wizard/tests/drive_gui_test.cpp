// huevista-drive and the wizard as two processes of one session: the shipped sample script (a
// CRT and a flat panel) played on the virtual display offscreen, also under a locale that
// writes decimal commas, and one CRT on Xorg with the dummy driver through Qt's xcb platform.
// Checked: the drive's exit status, what the calibration stored, the log and the ramps.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "drive_script.h"
#include "fake_suite.h"
#include "gui_test.h"
#include "profforge.h"
#include "registry_snapshot.h"
#include "second_process.h"
#include "stored_results.h"
#include "vltutil.h"
#include "win32_holders.h"
#include "xorg_server.h"

namespace {

namespace fs = std::filesystem;
using huevista::drive::DebugValues;
using namespace huevista::test;

constexpr char kSample[] = SUITE_DATA "/huevista-drive-sample.ini";
constexpr char kSuiteKey[] = "SOFTWARE\\Kalvenmor\\Spectrine\\95.4";
constexpr size_t kBlockLines = 15;

std::vector<DebugValues> scriptOf(const std::string& path) {
    auto read = huevista::drive::readScript(path);
    if (auto* error = std::get_if<huevista::drive::ScriptError>(&read)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<std::vector<DebugValues>>(read);
}

// The log lines of a block that come straight from the measurements (lines 2 to 9).
std::vector<std::string> measuredLines(const DebugValues& v) {
    auto triple = [&](const char* name, size_t at) {
        return std::string(name) + ",," + std::to_string(v[at]) + "," + std::to_string(v[at + 1]) + "," +
               std::to_string(v[at + 2]);
    };
    using namespace huevista::drive;
    return {"Screen," + std::to_string(v[kDisplayType]), triple("BlackPoint", kBlackPoint), triple("Gamma 33", kShadows),
            triple("Gamma 50", kMidtones),            triple("Gamma 66", kHighlights),
            "Lighting," + std::to_string(v[kLighting]), "Contrast," + std::to_string(v[kLuminance]),
            "Color," + std::to_string(v[kColor])};
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class DriveTest : public spx::test::GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        install();
    }
    // The suite in the root, with a copy of the built wizard as the program "AppFile" names
    // (its log goes beside it), and the preset in force as an installation leaves it.
    void install() {
        suite = installFakeSuite(root());
        fs::copy_file(HUEVISTA_PATH, suite.program, fs::copy_options::overwrite_existing);
        ASSERT_TRUE(writeInstalledCurrentPreset());
    }
    // A root as fresh as the first: no registry, profiles or log; the same suite again.
    void reinstall() {
        WinplatResetProcessState();
        for (const char* file : {"registry.db", "registry.db-wal", "registry.db-shm"}) fs::remove(rootPath(file));
        fs::remove_all(rootPath("WINDOWS/SYSTEM/COLOR"));
        fs::create_directories(rootPath("WINDOWS/SYSTEM/COLOR"));
        fs::remove(log());
        install();
    }
    // huevista-drive on `script` under `locale`, with a fixed clock; its exit status.
    // The folders of the build's libraries (a list separated by ':'), where the wizard's copy
    // finds them.
    static std::string libraryFolders() {
        std::string folders;
        std::istringstream libraries(HUEVISTA_LIBRARIES);
        for (std::string library; std::getline(libraries, library, ':');)
            folders += (folders.empty() ? "" : ":") + fs::path(library).parent_path().string();
        return folders;
    }
    static int drive(const std::string& script, const char* locale = "C") {
        spx::test::ScopedVariable lc("LC_ALL", locale), clock("SPECTRINE_FAKE_TIME", "2026-03-04T05:06:07"),
            search("LD_LIBRARY_PATH", libraryFolders());
        return spx::test::runProgram({HUEVISTA_DRIVE_PATH, script});
    }
    std::string log() const { return suite.folder + "/Huevista.csv"; }

    FakeSuite suite;
};

TEST_F(DriveTest, ACrtAndAPanelPlayedFromAnotherProcessAreStoredLoadedAndLogged) {
    const auto monitors = scriptOf(kSample);
    ASSERT_EQ(monitors.size(), 2u);
    ASSERT_EQ(drive(kSample), 0);
    WinplatResetProcessState();  // read what the wizard left, as a new process would

    const auto crt = storedCalibration("Monitor"), panel = storedCalibration("LCDPanel1");
    EXPECT_EQ(crt.size(), 12u);
    EXPECT_EQ(panel.size(), 15u);
    EXPECT_EQ(GetSpectrineNbMonitors(), 2);
    EXPECT_EQ(GetSpectrineScreenType(0), 0);
    EXPECT_EQ(GetSpectrineScreenType(1), 1);
    EXPECT_EQ(GetSpectrineCalibrationLighting(), monitors[1][huevista::drive::kLighting]);  // the last monitor's
    for (int m = 0; m < 2; ++m) {
        SCOPED_TRACE("monitor " + std::to_string(m + 1));
        const Ramp loaded = rampOf(m);
        EXPECT_NE(loaded, identityRamp());
        EXPECT_TRUE(SetGammaRamp(m));  // the stored calibration's ramp is the one loaded
        EXPECT_EQ(rampOf(m), loaded);
    }

    // One header, then a block of fifteen lines per monitor in monitor order.
    const auto lines = linesOf(readText(log()));
    ASSERT_EQ(lines.size(), 1 + 2 * kBlockLines);
    EXPECT_EQ(lines[0], ",,Red,Green,Blue");
    for (size_t m = 0; m < 2; ++m) {
        SCOPED_TRACE("block " + std::to_string(m + 1));
        const size_t first = 1 + m * kBlockLines;
        EXPECT_EQ(lines[first], "");
        const auto measured = measuredLines(monitors[m]);
        for (size_t i = 0; i < measured.size(); ++i) EXPECT_EQ(lines[first + 1 + i], measured[i]);
        EXPECT_EQ(lines[first + 14].rfind("WhitePoint,,", 0), 0u) << lines[first + 14];
    }
}

// huevista-drive with its output and error text; the exit status, -1 when it did not exit.
struct DriveRun {
    int status = -1;
    std::string output;
};

TEST_F(DriveTest, WhatCannotBePlayedEndsWithItsStatusAndReasonAndLeavesTheRampsAsTheyWere) {
    const std::string sample = readText(kSample);
    const std::string oneMonitor = sample.substr(0, sample.find("[Monitor 2]"));
    struct Case {
        const char* name;
        std::string script;  // written to the root; empty: no file
        std::string options;
        int status;
        const char* reason;
    };
    const Case cases[] = {
        {"fewer monitors than the wizard", oneMonitor, "", 1,
         "monitor 1: the wizard moved on to the Setup of another monitor; the script has no more"},
        {"a triple of two", "[Monitor 1]\nDisplayType=0\nBlackPoint=8,8\n", "", 2,
         "[Monitor 1] BlackPoint: three whole numbers separated by commas expected, found \"8,8\""},
        {"a key missing", "[Monitor 1]\nDisplayType=0\n", "", 2,
         "[Monitor 1] BlackPoint: three whole numbers separated by commas expected, found \"\""},
        {"no monitor", "[Monitors]\nDisplayType=0\n", "", 2, "no [Monitor 1] section"},
        {"no script", "", "", 2, "no such script file"},
        {"no wizard", sample, "--wizard '" + root() + "/nowhere/huevista'", 3, "cannot be started"},
    };
    // Ramps of the monitors' own, which Cancel must give back.
    Ramp before[2];
    for (int m = 0; m < 2; ++m) {
        Ramp seeded;
        for (size_t i = 0; i < seeded.size(); ++i) seeded[i] = static_cast<WORD>((i % 256) * (200 + 20 * m));
        winplat::DeviceContext screen = winplat::DeviceContext::screen();
        ASSERT_TRUE(VLTSetDeviceGammaRamp(screen.get(), seeded.data(), m));
        before[m] = rampOf(m);
        ASSERT_EQ(before[m], seeded);
    }
    WinplatResetProcessState();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string script = rootPath("script.ini");
        std::filesystem::remove(script);
        if (!c.script.empty()) writeText(script, c.script);
        const std::string command = "'" HUEVISTA_DRIVE_PATH "' " + c.options + " '" + script + "' 2>&1";
        DriveRun run;
        spx::test::ScopedVariable search("LD_LIBRARY_PATH", libraryFolders());
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[512];
            for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, got);
            const int status = pclose(pipe);
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
    }
    // The wizard the first case left was cancelled: nothing stored, every ramp as before.
    WinplatResetProcessState();
    EXPECT_TRUE(storedCalibration("Monitor").empty());
    for (int m = 0; m < 2; ++m) EXPECT_EQ(rampOf(m), before[m]) << "monitor " << m + 1;
}

TEST_F(DriveTest, UnderALocaleWithDecimalCommasTheRegistryTextsAndLogBytesAreTheSame) {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "SKIPPED: the de_DE.UTF-8 locale is not installed here (scripts/deps.sh test makes it)";
    std::setlocale(LC_ALL, "C");
    struct Run {
        int status = -1;
        spx::test::RegistrySnapshot registry;
        std::string log;
    };
    auto play = [&](const char* locale) {
        Run run;
        run.status = drive(kSample, locale);
        WinplatResetProcessState();
        spx::test::snapshotKey(HKEY_LOCAL_MACHINE, kSuiteKey, run.registry);
        run.log = readText(log());
        return run;
    };
    const Run plain = play("C");
    reinstall();
    const Run german = play("de_DE.UTF-8");
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(german.status, 0);
    EXPECT_GT(plain.registry.count(std::string(kSuiteKey) + "\\Calibration|LCDPanel1"), 0u);
    for (const auto& [name, value] : plain.registry) {
        SCOPED_TRACE(name);
        auto other = german.registry.find(name);
        ASSERT_NE(other, german.registry.end());
        EXPECT_EQ(other->second, value);
    }
    EXPECT_EQ(german.registry.size(), plain.registry.size());
    EXPECT_FALSE(plain.log.empty());
    EXPECT_EQ(german.log, plain.log);
}

TEST_F(DriveTest, ACrtOnXorgLeavesRampsThatAnotherProcessReadsBack) {
    const spx::test::XServer& x = spx::test::XServer::instance();
    if (!x.skipReason().empty()) GTEST_SKIP() << "SKIPPED: no X server for the wizard on xcb: " << x.skipReason();
    spx::test::XServerDisplayScope scope(x);
    ASSERT_EQ(x.run("xrandr --output DUMMY1 --off"), 0);
    ASSERT_EQ(x.run("xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary --gamma 1:1:1"), 0);
    WinplatResetProcessState();
    // The sample's CRT alone.
    const std::string script = rootPath("crt.ini");
    std::string text = readText(kSample);
    writeText(script, text.substr(0, text.find("[Monitor 2]")));
    ASSERT_EQ(scriptOf(script).size(), 1u);

    ASSERT_EQ(drive(script), 0);
    WinplatResetProcessState();
    EXPECT_EQ(storedCalibration("Monitor").size(), 12u);
    const Ramp loaded = rampOf(0);
    EXPECT_NE(loaded, identityRamp());
    EXPECT_NE(loaded[0], 0xdead);
    EXPECT_TRUE(SetGammaRamp(0));
    EXPECT_EQ(rampOf(0), loaded);
}

}  // namespace
