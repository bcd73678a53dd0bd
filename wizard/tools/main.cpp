// huevista-drive: plays a calibration script through the wizard from another process.
//
//   huevista-drive [--wizard PROGRAM] SCRIPT
//
// Starts the wizard (PROGRAM, by default the one the suite's "AppFile" setting names) with
// "-Embedding", finds its main dialog, and for each monitor of SCRIPT (format: drive_script.h)
// imports the values through the debug exchange, presses Next through the steps checking each
// export, and presses Finish. Exit status: 0 when every step took the script's values and the
// wizard ended with 0 (the ramps the monitors then hold are printed); 1 when a step failed
// (the message names the monitor and the step; the wizard is then cancelled, which gives the
// monitors their old ramps back) or the wizard ended otherwise; 2 for a bad command line or
// script; 3 when the wizard could not be started.
#include <iostream>
#include <string>
#include <variant>

#include "drive_script.h"
#include "ramp_report.h"
#include "vltutil.h"
#include "win32_holders.h"
#include "script_player.h"

namespace {

using namespace huevista::drive;

enum ExitStatus : int { kDriven = 0, kDriveFailed = 1, kBadCommand = 2, kNoWizard = 3 };

int usage() {
    std::cerr << "Usage: huevista-drive [--wizard PROGRAM] SCRIPT\n";
    return kBadCommand;
}

std::string installedWizard() {
    char path[MAX_PATH] = "";
    return GetSpectrineExeFile(path, sizeof path) ? std::string(path) : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    std::string wizard, script;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--wizard" && i + 1 < argc) wizard = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && script.empty()) script = arg;
        else return usage();
    }
    if (script.empty()) return usage();
    auto read = readScript(script);
    if (auto* error = std::get_if<ScriptError>(&read)) {
        std::cerr << "huevista-drive: " << error->message << "\n";
        return kBadCommand;
    }
    const auto& monitors = std::get<std::vector<DebugValues>>(read);

    if (wizard.empty()) wizard = installedWizard();
    std::string line = "\"" + wizard + "\" -Embedding";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (wizard.empty() ||
        !CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::cerr << "huevista-drive: the wizard \"" << wizard << "\" cannot be started (error " << GetLastError()
                  << ")\n";
        return kNoWizard;
    }
    winplat::ProcessHandle process(info.hProcess), thread(info.hThread);

    ScriptPlayer player(process.get(), std::cout);
    const bool driven = player.run(monitors);
    if (!driven) {
        std::cerr << "huevista-drive: " << player.failure() << "\n";
        player.abandon();
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
    if (!driven) return kDriveFailed;
    if (code != 0) {
        std::cerr << "huevista-drive: after Finish the wizard "
                  << (code == STILL_ACTIVE ? std::string("still runs") : "ended with " + std::to_string(code)) << "\n";
        return kDriveFailed;
    }
    std::cout << "huevista-drive: " << monitors.size() << " monitor(s) calibrated, the wizard ended with 0" << std::endl;
    printRamps(std::cout, static_cast<int>(monitors.size()));
    return kDriven;
}
