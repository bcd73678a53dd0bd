// What the installer's tests share: a suite folder in the test's root laid out as the build
// installs it, and running the installer program.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "fresh_root.h"

namespace installer_test {

// <root>/suite with the shipped monitor INF sources in its "inf" folder, the white point
// reference file and the standard presets.
class SuiteFolderTest : public spx::test::FreshRootTest {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        FreshRootTest::SetUp();
        suite = root() + "/suite";
        fs::create_directories(suite + "/inf");
        for (const auto& e : fs::directory_iterator(SUITE_INF_SOURCES))
            fs::copy_file(e.path(), suite + "/inf/" + e.path().filename().string());
        fs::copy_file(SUITE_WHITEPOINT_INI, suite + "/huevista.ini");
        fs::copy_file(SUITE_PRESET_INF, suite + "/Preset.inf");
    }
    std::string suite;
};

struct ProgramRun {
    int status = -1;  // the exit status; -1 when it did not exit
    std::string output;  // standard output and error
};

// Runs `arguments` (quoted as the shell needs) with the installer program from `folder`.
inline ProgramRun runInstaller(const std::string& folder, const std::string& arguments) {
    const std::string command = "cd '" + folder + "' && '" + INSTALLER_PATH + "' " + arguments + " 2>&1";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return run;
    }
    char buffer[256];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace installer_test
