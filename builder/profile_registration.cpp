#include "profile_registration.h"

#include <cstring>

#include "profile_writer.h"
#include "winplat_registry.h"

namespace builder {

namespace {

// The registration lands whole: other processes see the profile added and associated, and the
// monitor's default set, together or not at all. True when it landed.
bool registerWithColourManagement(const std::string& path, const ICCMONITORPARMS& parms,
                                  bool isDefault, int monitor, DWORD temperature) {
    winplat::RegistryTransaction group;
    if (group.status() != ERROR_SUCCESS) return false;
    bool registered;
    if (!isDefault) {
        registered = RegisterICCProfile0(path.c_str(), 0, monitor);
    } else {
        DWORD defaultIndex = 0;
        GetSpectrineDefaultProfile(&defaultIndex);
        if (ChecksRGB(static_cast<int>(defaultIndex), temperature, parms.gammaRed,
                      parms.gammaGreen, parms.gammaBlue)) {
            registered = RegisterICCProfile0(path.c_str(), 0, monitor) &&
                         RegisterICCProfile0(colourDirectoryPath(kSrgbProfile).c_str(), 1, monitor);
        } else {
            registered = RegisterICCProfile0(path.c_str(), 1, monitor);
        }
    }
    // A part that failed drops the whole group, the parts that succeeded with it.
    return registered && group.commit() == ERROR_SUCCESS;
}

}  // namespace

void registerProfile(const std::string& path, const ICCMONITORPARMS& parms, bool isDefault,
                     int monitor, DWORD temperature) {
    const bool registered = registerWithColourManagement(path, parms, isDefault, monitor, temperature);
    if (!isDefault || !registered) return;
    // Outside the group: the plug-ins are code of others, told only of a default that was made.
    const PLUGINRECORD record = makePlugInRecord(parms, temperature, monitor);
    SendToPlugInExtension(reinterpret_cast<const BYTE*>(&record));
}

PLUGINRECORD makePlugInRecord(const ICCMONITORPARMS& p, DWORD temperature, int monitor) {
    PLUGINRECORD r;
    std::memset(&r, 0, sizeof r);
    r.gammaRed = p.gammaRed, r.gammaGreen = p.gammaGreen, r.gammaBlue = p.gammaBlue;
    r.offsetRed = p.offsetRed, r.offsetGreen = p.offsetGreen, r.offsetBlue = p.offsetBlue;
    r.gainRed = p.gainRed, r.gainGreen = p.gainGreen, r.gainBlue = p.gainBlue;
    r.redX = p.redX, r.redY = p.redY, r.greenX = p.greenX, r.greenY = p.greenY;
    r.blueX = p.blueX, r.blueY = p.blueY, r.whiteX = p.whiteX, r.whiteY = p.whiteY;
    r.temperature = temperature;
    GetSpectrineMonitorICMName0(r.profilePath, sizeof r.profilePath, monitor);
    return r;
}

}  // namespace builder
