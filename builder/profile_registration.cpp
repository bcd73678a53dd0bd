#include "profile_registration.h"

#include <cstring>

#include "profile_writer.h"

namespace builder {

void registerProfile(const std::string& path, const ICCMONITORPARMS& parms, bool isDefault,
                     int monitor, DWORD temperature) {
    if (!isDefault) {
        RegisterICCProfile0(path.c_str(), 0, monitor);
        return;
    }
    DWORD defaultIndex = 0;
    GetSpectrineDefaultProfile(&defaultIndex);
    if (ChecksRGB(static_cast<int>(defaultIndex), temperature, parms.gammaRed, parms.gammaGreen,
                  parms.gammaBlue)) {
        RegisterICCProfile0(path.c_str(), 0, monitor);
        RegisterICCProfile0(colourDirectoryPath(kSrgbProfile).c_str(), 1, monitor);
    } else {
        RegisterICCProfile0(path.c_str(), 1, monitor);
    }
    const PLUGINRECORD record = makePlugInRecord(parms, temperature);
    SendToPlugInExtension(reinterpret_cast<const BYTE*>(&record));
}

PLUGINRECORD makePlugInRecord(const ICCMONITORPARMS& p, DWORD temperature) {
    PLUGINRECORD r;
    std::memset(&r, 0, sizeof r);
    r.gammaRed = p.gammaRed, r.gammaGreen = p.gammaGreen, r.gammaBlue = p.gammaBlue;
    r.offsetRed = p.offsetRed, r.offsetGreen = p.offsetGreen, r.offsetBlue = p.offsetBlue;
    r.gainRed = p.gainRed, r.gainGreen = p.gainGreen, r.gainBlue = p.gainBlue;
    r.redX = p.redX, r.redY = p.redY, r.greenX = p.greenX, r.greenY = p.greenY;
    r.blueX = p.blueX, r.blueY = p.blueY, r.whiteX = p.whiteX, r.whiteY = p.whiteY;
    r.temperature = temperature;
    GetSpectrineMonitorICMName(r.profilePath, sizeof r.profilePath);
    return r;
}

}  // namespace builder
