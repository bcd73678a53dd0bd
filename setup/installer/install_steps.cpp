#include "install_steps.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "monorder.h"
#include "vltutil.h"
#include "winplat.h"

namespace fs = std::filesystem;

namespace installer {

InstallLayout layoutFor(const std::string& suiteFolder, const std::string& systemRoot) {
    return {suiteFolder + "/huevista", suiteFolder + "/spectrine.inf", systemRoot + "/LUT"};
}

namespace {

bool makeFolder(const std::string& path, Report& report) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec) {
        report.error = "cannot create " + path + ": " + ec.message();
        return false;
    }
    return true;
}

// A setting's path must fit the store's MAX_PATH buffers.
bool fitsSetting(const char* name, const std::string& value, Report& report) {
    if (value.size() < MAX_PATH) return true;
    report.error = std::string("the path for \"") + name + "\" is longer than " + std::to_string(MAX_PATH - 1) +
                   " characters: " + value;
    return false;
}

bool writeSetting(const char* name, const std::string& value, Report& report) {
    if (!WriteSpectrineRegString("Settings", name, value.c_str())) {
        report.error = std::string("cannot write the setting \"") + name + "\" into the registry";
        return false;
    }
    report.lines.push_back(std::string("Settings\\") + name + " = " + value);
    return true;
}

// Sorts the monitor INF files shipped in <suite>/inf into the chain the "InfFile" setting names
// ("spectrine.inf" and its numbered companions beside it).
bool installMonitorInf(const std::string& suiteFolder, const std::string& infFile, Report& report) {
    std::vector<std::string> sources;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(suiteFolder + "/inf", ec))
        if (entry.path().extension() == ".inf") sources.push_back(entry.path().string());
    if (ec || sources.empty()) {
        report.error = "no monitor INF files in " + suiteFolder + "/inf";
        return false;
    }
    std::sort(sources.begin(), sources.end());
    for (const auto& source : sources) SortMonitors(source.c_str());

    // The sorter writes its chain into the current directory.
    const fs::path previous = fs::current_path(ec);
    if (chdir(fs::path(infFile).parent_path().c_str()) != 0) {
        report.error = "cannot enter " + fs::path(infFile).parent_path().string();
        return false;
    }
    const int written = WriteResult(nullptr);
    if (!previous.empty() && chdir(previous.c_str()) != 0) { /* the chain is written either way */ }
    if (written != 0 || !fs::exists(infFile)) {
        report.error = "the monitor INF chain could not be written to " + infFile;
        return false;
    }
    report.lines.push_back("Monitor INF chain: " + infFile + " from " + std::to_string(sources.size()) + " files");
    return true;
}

}  // namespace

bool installSuite(const std::string& suiteFolder, Report& report) {
    char rootBuffer[4096];
    if (WinplatGetSystemRoot(rootBuffer, sizeof rootBuffer) >= sizeof rootBuffer) {
        report.error = "the system root path is too long";
        return false;
    }
    const std::string root = rootBuffer;
    char systemDir[MAX_PATH];
    if (!GetSystemDirectoryA(systemDir, sizeof systemDir)) {
        report.error = "the system folder path is too long";
        return false;
    }
    const InstallLayout layout = layoutFor(suiteFolder, root);
    if (!fitsSetting("AppFile", layout.appFile, report) || !fitsSetting("InfFile", layout.infFile, report) ||
        !fitsSetting("LutDir", layout.lutDir, report))
        return false;
    if (!makeFolder(std::string(systemDir) + "/COLOR", report) || !makeFolder(layout.lutDir, report))
        return false;
    report.lines.push_back("System root: " + root);
    report.lines.push_back("Suite folder: " + suiteFolder);
    return installMonitorInf(suiteFolder, layout.infFile, report) &&
           writeSetting("AppFile", layout.appFile, report) && writeSetting("InfFile", layout.infFile, report) &&
           writeSetting("LutDir", layout.lutDir, report);
}

}  // namespace installer
