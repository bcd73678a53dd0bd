#include "install_steps.h"

#include <filesystem>
#include <system_error>

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

bool writeSetting(const char* name, const std::string& value, Report& report) {
    if (value.size() >= MAX_PATH) {
        report.error = std::string("the path for \"") + name + "\" is longer than " +
                       std::to_string(MAX_PATH - 1) + " characters: " + value;
        return false;
    }
    if (!WriteSpectrineRegString("Settings", name, value.c_str())) {
        report.error = std::string("cannot write the setting \"") + name + "\" into the registry";
        return false;
    }
    report.lines.push_back(std::string("Settings\\") + name + " = " + value);
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
    if (!makeFolder(std::string(systemDir) + "/COLOR", report) || !makeFolder(layout.lutDir, report))
        return false;
    report.lines.push_back("System root: " + root);
    report.lines.push_back("Suite folder: " + suiteFolder);
    return writeSetting("AppFile", layout.appFile, report) && writeSetting("InfFile", layout.infFile, report) &&
           writeSetting("LutDir", layout.lutDir, report);
}

}  // namespace installer
