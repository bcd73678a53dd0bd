// The installation steps, one function each, shared by the installer program and its tests.
#pragma once

#include <string>
#include <vector>

namespace installer {

struct Report {
    std::vector<std::string> lines;  // what was done, for the user
    std::string error;               // why the installation stopped
};

// Lays out the system root (Windows, system and colour folders, LUT folder) and writes the
// installation settings "AppFile", "InfFile" and "LutDir" for the suite installed in
// `suiteFolder`. Leaves settings already pointing elsewhere replaced by the new ones. Sets
// "ScaleToD50" to 1 unless it is set already. The suite folder must hold the white point
// reference file ("huevista.ini"), the standard presets ("Preset.inf", which goes beside the
// INF chain) and the monitor INF files ("inf/*.inf"). Last it writes what starts the suite at
// logon (logon_entry.h): the Run value of the display colour control program when the suite
// has it, and the autostart entry of the logon runner.
bool installSuite(const std::string& suiteFolder, Report& report);

// Paths the settings take for a suite folder and a system root.
struct InstallLayout {
    std::string appFile;
    std::string infFile;
    std::string lutDir;
};
InstallLayout layoutFor(const std::string& suiteFolder, const std::string& systemRoot);
// The standard presets of a suite folder, beside its INF chain.
std::string presetFileOf(const std::string& suiteFolder);

}  // namespace installer
