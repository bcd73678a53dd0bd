// The suite's default profile: the selector "Settings" "DefaultProfile" chooses the file made
// the monitor's default, beside the calibrated profile registered without being the default.
#include <cstring>
#include <string>

#include "icm_internal.h"
#include "store_internal.h"
#include "vltutil.h"

namespace {

bool fileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "Settings" values that only need their four bytes read, whatever their type.
bool readFourBytes(LPCSTR name, DWORD& value) {
    DWORD type = REG_NONE, v = 0, size = sizeof v;
    if (GetSpectrineRegValue("Settings", name, &type, reinterpret_cast<LPBYTE>(&v), &size) !=
            ERROR_SUCCESS ||
        size != sizeof v)
        return false;
    value = v;
    return true;
}

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
            fileExists(colourDir + oem))
            choice.file = oem;
    } else {
        char app[MAX_PATH];
        if (GetSpectrineRegString("Settings", "AppFile", app, sizeof app) > 0 &&
            std::strstr(app, "Pantone")) {
            choice.file = "Pantone.icc";
            choice.stored = 2;
        }
        vlt::icm::SystemVersion v = vlt::icm::systemVersion();
        if (!v.windows95() && !v.ntBefore4()) {
            std::string calibrated = vlt::icm::recordedProfileName(monitor);
            if (!calibrated.empty()) choice.file = calibrated;
        }
    }
    // A file nothing has written yet cannot be the default.
    if (!fileExists(colourDir + choice.file)) choice.file = vlt::icm::kFallbackDefault;
    return choice;
}

}  // namespace

VLTUTIL_API int GetSpectrineDefaultProfile(DWORD* selector) {
    if (!selector) return 0;
    DWORD value = 0;
    if (!readFourBytes("DefaultProfile", value)) value = 0;
    if (!vlt::icm::systemVersion().windows98OrNt5()) {
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
