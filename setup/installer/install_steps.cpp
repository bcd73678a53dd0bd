#include "install_steps.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "logon_entry.h"
#include "monorder.h"
#include "vltutil.h"
#include "winplat.h"
#include "winplat_files.h"
#include "winplat_registry.h"

namespace fs = std::filesystem;

namespace installer {

InstallLayout layoutFor(const std::string& suiteFolder, const std::string& systemRoot) {
    return {suiteFolder + "/huevista", suiteFolder + "/spectrine.inf", systemRoot + "/LUT"};
}

std::string presetFileOf(const std::string& suiteFolder) { return suiteFolder + "/Preset.inf"; }

namespace {

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

// The monitor INF files shipped in <suite>/inf, sorted by name.
bool findInfSources(const std::string& suiteFolder, std::vector<std::string>& sources, Report& report) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(suiteFolder + "/inf", ec))
        if (entry.path().extension() == ".inf") sources.push_back(entry.path().string());
    if (ec || sources.empty()) {
        report.error = "no monitor INF files in " + suiteFolder + "/inf";
        return false;
    }
    std::sort(sources.begin(), sources.end());
    return true;
}

// Sorts the monitor INF files into the chain the "InfFile" setting names ("spectrine.inf" and
// its numbered companions beside it).
bool installMonitorInf(const std::vector<std::string>& sources, const std::string& infFile,
                       Report& report) {
    for (const auto& source : sources) SortMonitors(source.c_str());

    // The sorter writes its chain into the current directory.
    std::error_code ec;
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

// The white point reference file the builders and the wizard read beside the wizard.
bool checkWhitePointFile(const std::string& appFile, Report& report) {
    char path[MAX_PATH];
    appFile.copy(path, sizeof path - 1);
    path[std::min(appFile.size(), sizeof path - 1)] = '\0';
    if (!PathRenameExtensionA(path, ".ini") || !winplat::fileExists(path)) {
        report.error = "the white point reference file " + std::string(path) + " is missing";
        return false;
    }
    report.lines.push_back(std::string("White point reference: ") + path);
    return true;
}

// The standard presets, which the builders write after every calibration.
bool checkPresetFile(const std::string& suiteFolder, Report& report) {
    const std::string path = presetFileOf(suiteFolder);
    if (!winplat::fileExists(path.c_str())) {
        report.error = "the standard preset file " + path + " is missing";
        return false;
    }
    report.lines.push_back("Standard presets: " + path);
    return true;
}

// Profiles other than "Spectrine95.icm" carry colorants adapted to D50, as ICC readers expect;
// a value already set (by the user or an earlier installation) is kept.
bool setScaleToD50(Report& report) {
    DWORD size = 0;
    if (GetSpectrineRegValue("Settings", "ScaleToD50", nullptr, nullptr, &size) == ERROR_SUCCESS) {
        DWORD value = 0;
        GetSpectrineScaleToD50(&value);
        report.lines.push_back("Settings\\ScaleToD50 = " + std::to_string(value) + " (kept)");
        return true;
    }
    if (WriteSpectrineScaleToD50(1) != ERROR_SUCCESS) {
        report.error = "cannot write the setting \"ScaleToD50\" into the registry";
        return false;
    }
    report.lines.push_back("Settings\\ScaleToD50 = 1");
    return true;
}

// The folders an installation made, and whether it made the registry database: taken back
// when the installation fails.
class Undo {
public:
    explicit Undo(const std::string& root) : database_(root + "/registry.db") {
        std::error_code ec;
        databaseExisted_ = fs::exists(database_, ec);
    }
    Undo(const Undo&) = delete;
    Undo& operator=(const Undo&) = delete;
    ~Undo() {
        if (kept_) return;
        WinplatResetProcessState();  // the registry lets go of its database
        std::error_code ec;
        if (!databaseExisted_)
            for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(database_ + suffix, ec);
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) fs::remove_all(*it, ec);
    }

    // Makes `path` and the folders above it that are missing, remembering the outermost one.
    bool makeFolder(const std::string& path, Report& report) {
        std::error_code ec;
        fs::path missing;
        for (fs::path p = fs::path(path); !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
            missing = p;
            if (p == p.parent_path()) break;
        }
        fs::create_directories(path, ec);
        if (ec) {
            report.error = "cannot create " + path + ": " + ec.message();
            return false;
        }
        if (!missing.empty()) made_.push_back(missing.string());
        return true;
    }
    void keep() { kept_ = true; }

private:
    std::string database_;
    bool databaseExisted_ = false;
    std::vector<std::string> made_;
    bool kept_ = false;
};

}  // namespace

bool installSuite(const std::string& suiteFolder, Report& report) {
    // Everything that can be checked is checked before the first folder is made.
    char rootBuffer[4096];
    const DWORD rootLength = WinplatGetSystemRoot(rootBuffer, sizeof rootBuffer);
    if (rootLength == 0 || rootLength >= sizeof rootBuffer) {
        report.error = rootLength == 0 ? "there is no system root" : "the system root path is too long";
        return false;
    }
    const std::string root = rootBuffer;
    char systemDir[MAX_PATH];
    const UINT systemLength = GetSystemDirectoryA(systemDir, sizeof systemDir);
    if (systemLength == 0 || systemLength >= sizeof systemDir) {
        report.error = "the system folder path " + root + "/WINDOWS/SYSTEM is longer than " +
                       std::to_string(MAX_PATH - 1) + " characters";
        return false;
    }
    const InstallLayout layout = layoutFor(suiteFolder, root);
    if (!fitsSetting("AppFile", layout.appFile, report) || !fitsSetting("InfFile", layout.infFile, report) ||
        !fitsSetting("LutDir", layout.lutDir, report))
        return false;
    std::vector<std::string> sources;
    if (!findInfSources(suiteFolder, sources, report) || !checkWhitePointFile(layout.appFile, report) ||
        !checkPresetFile(suiteFolder, report))
        return false;
    const std::string colourDir = std::string(systemDir, systemLength) + "/COLOR";
    for (const std::string& folder : {root, colourDir, layout.lutDir}) {
        std::error_code ec;
        if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) {
            report.error = folder + " exists and is not a folder";
            return false;
        }
    }

    // A failure from here on takes back the folders this installation made, and the registry
    // database when it made that too.
    Undo undo(root);
    if (!undo.makeFolder(colourDir, report) || !undo.makeFolder(layout.lutDir, report)) return false;
    report.lines.push_back("System root: " + root);
    report.lines.push_back("Suite folder: " + suiteFolder);
    if (!installMonitorInf(sources, layout.infFile, report)) return false;
    // The settings land together or not at all.
    winplat::RegistryTransaction settings;
    if (settings.status() != ERROR_SUCCESS) {
        report.error = "cannot write into the registry";
        return false;
    }
    if (!writeSetting("AppFile", layout.appFile, report) || !writeSetting("InfFile", layout.infFile, report) ||
        !writeSetting("LutDir", layout.lutDir, report) || !setScaleToD50(report) || !writeRunValue(suiteFolder, report))
        return false;
    if (settings.commit() != ERROR_SUCCESS) {
        report.error = "cannot write the settings into the registry";
        return false;
    }
    if (!writeAutostartEntry(suiteFolder, root, report)) return false;
    undo.keep();
    return true;
}

}  // namespace installer
