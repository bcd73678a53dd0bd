// The suite's default profile: the selector "Settings" "DefaultProfile" chooses the file made
// the monitor's default, beside the calibrated profile registered without being the default.
#include <cstring>
#include <string>

#include "icm_internal.h"
#include "store_internal.h"
#include "system_version.h"
#include "vltutil.h"
#include "winplat_files.h"

namespace {

struct Choice {
    std::string file;  // in the colour directory
    DWORD stored;      // the selector as it is stored
};

Choice chooseDefault(DWORD selector, int monitor, const std::string& colourDir) {
    Choice choice{vlt::icm::kFallbackDefault, selector};
    if (selector == 0) {
        choice.file = "Spectrine95.icm";
    } else if (selector == 4) {
        choice.file = "sRGB_Spectrine.icc";
    } else if (selector == 5) {
        char oem[MAX_PATH];
        if (GetSpectrineRegString("Settings", "OEMProfileName", oem, sizeof oem) > 0 &&
            winplat::fileExists((colourDir + oem).c_str()))
            choice.file = oem;
    } else {
        char app[MAX_PATH];
        if (GetSpectrineExeFile(app, sizeof app) && std::strstr(app, "Pantone")) {
            choice.file = "Pantone.icc";
            choice.stored = 2;
        }
        const vlt::SystemVersion v = vlt::systemVersion();
        if (!v.windows95() && !v.ntBefore4()) {
            std::string calibrated = vlt::icm::recordedProfileName(monitor);
            if (!calibrated.empty()) choice.file = calibrated;
        }
    }
    // A file nothing has written yet cannot be the default.
    if (!winplat::fileExists((colourDir + choice.file).c_str())) choice.file = vlt::icm::kFallbackDefault;
    return choice;
}

}  // namespace

VLTUTIL_API int GetSpectrineDefaultProfile(DWORD* selector) {
    if (!selector) return 0;
    DWORD value = 0;  // 0 also when it cannot be read
    vlt::readFourBytes("Settings", "DefaultProfile", value);
    if (!vlt::systemVersion().windows98OrNt5()) {
        *selector = value;
        return 0;
    }
    *selector = value == 1 || value == 2 ? 3 : value;
    return 1;
}

VLTUTIL_API LONG WriteSpectrineDefaultProfile0(DWORD selector, int monitor) {
    const std::string colourDir = vlt::icm::colourDirectory();
    Choice choice = chooseDefault(selector, monitor, colourDir);

    // The calibrated profile stays registered beside the default; without a recorded name
    // there is nothing to register.
    std::string calibrated =
        selector == 1 ? std::string("Spectrine95.icm") : vlt::icm::recordedProfileName(monitor);
    if (!calibrated.empty()) RegisterICCProfile0((colourDir + calibrated).c_str(), 0, monitor);

    const std::string path = colourDir + choice.file;
    RegisterICCProfile0(path.c_str(), 1, monitor);
    UpdatePlugInExtension(path.c_str());
    if (monitor == 0)
        WriteSpectrineRegString(vlt::icm::kRecordKey, "MonitorICMProfile", path.c_str());
    return vlt::writeDword("Settings", "DefaultProfile", choice.stored);
}

VLTUTIL_API LONG WriteSpectrineDefaultProfile(DWORD selector) {
    return WriteSpectrineDefaultProfile0(selector, 0);
}
