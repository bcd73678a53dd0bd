// The suite's default profile: the selector "Settings" "DefaultProfile" chooses the file made
// the monitor's default, beside the calibrated profile registered without being the default.
#include <cstring>
#include <string>
#include <vector>

#include "family_names.h"
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

using vlt::FamilyMember;

Choice chooseDefault(DWORD selector, int monitor, const std::string& colourDir) {
    Choice choice{{}, selector};
    FamilyMember member = FamilyMember::Netvivid;  // when the selector names no other member
    std::string file;  // a file the selector names outside the family
    if (selector == 0) {
        member = FamilyMember::Spectrine95;
    } else if (selector == 4) {
        file = "sRGB_Spectrine.icc";
    } else if (selector == 5) {
        char oem[MAX_PATH];
        if (GetSpectrineRegString("Settings", "OEMProfileName", oem, sizeof oem) > 0) file = oem;
    } else {
        char app[MAX_PATH];
        if (GetSpectrineExeFile(app, sizeof app) && std::strstr(app, "Pantone")) {
            member = FamilyMember::Pantone;
            choice.stored = 2;
        }
        const vlt::SystemVersion v = vlt::systemVersion();
        if (!v.windows95() && !v.ntBefore4()) file = vlt::icm::recordedProfileName(monitor);
    }
    auto exists = [&colourDir](const std::string& name) {
        return winplat::fileExists((colourDir + name).c_str());
    };
    auto pick = [&choice](const std::string& name) {
        choice.file = name;
        return choice;
    };
    if (!file.empty() && exists(file)) return pick(file);
    // A file nothing has written yet cannot be the default: the monitor's "Netvivid" stands in.
    // A monitor n >= 1 whose own family was never written (a root from before each monitor had
    // its own files) keeps the shared files of before until its next computation.
    std::vector<int> owners{monitor};
    if (monitor >= 1) owners.push_back(0);
    for (int owner : owners) {
        const std::string own = vlt::familyFileName(member, owner);
        if (file.empty() && exists(own)) return pick(own);
        const std::string netvivid = vlt::familyFileName(FamilyMember::Netvivid, owner);
        if (exists(netvivid)) return pick(netvivid);
    }
    return pick(vlt::familyFileName(FamilyMember::Netvivid, monitor));
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
    std::string calibrated = selector == 1 ? vlt::familyFileName(FamilyMember::Spectrine95, monitor)
                                           : vlt::icm::recordedProfileName(monitor);
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
