#include "profile_family.h"

#include "dated_name.h"
#include "profile_writer.h"
#include "progress.h"

namespace builder {

namespace {

// Default-profile selector values.
constexpr DWORD kSpectrineDefault = 0, kNetvividDefault = 1, kPantoneDefault = 2,
                kDatedDefault = 3;

// The dated profile, recorded as the monitor's calibrated profile once it is written.
void writeDatedProfile(const FamilyRequest& r, DWORD defaultIndex, DWORD scaleToD50,
                       const std::string& lighting) {
    const std::string file =
        datedProfileName(r.parms->manufacturer, r.parms->model, r.temperature) + ".icm";
    if (!writeProfile({r.parms, file, defaultIndex == kDatedDefault, r.monitor, scaleToD50, lighting, r.curves}))
        return;
    if (r.monitor == 0)
        WriteWin98ProfileName(file.c_str());
    else
        WriteWin98ProfileName0(file.c_str(), r.monitor);
}

}  // namespace

bool systemKeepsDatedProfile() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    if (!GetVersionExA(&v)) return false;
    if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return v.dwMajorVersion > 4 || (v.dwMajorVersion == 4 && v.dwMinorVersion >= 10);
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion >= 4;
}

void writeProfileFamily(const FamilyRequest& r) {
    const ICCMONITORPARMS& p = *r.parms;
    WriteSpectrineOverallGamma(r.luminanceWeights[0], r.luminanceWeights[1], r.luminanceWeights[2],
                               p.gammaRed, p.gammaGreen, p.gammaBlue);
    Progress progress(r.window, 4);
    if (!progress.start()) return;
    ComputePT(r.window, r.parms);
    // The calibrated profile always has unadapted colorants; the others follow the setting.
    const DWORD scaleToD50 = readScaleToD50();
    DWORD defaultIndex = 0;
    GetSpectrineDefaultProfile(&defaultIndex);

    // Every profile of the family names the same lighting: read once.
    const std::string lighting = lightingName();

    writeProfile({r.parms, "Spectrine95.icm", defaultIndex == kSpectrineDefault, r.monitor, 0, lighting, r.curves});
    if (!progress.step()) return;
    if (systemKeepsDatedProfile()) writeDatedProfile(r, defaultIndex, scaleToD50, lighting);
    writeProfile({r.parms, "Netvivid.icc", defaultIndex == kNetvividDefault, r.monitor, scaleToD50, lighting, r.curves});
    if (!progress.step()) return;
    writeProfile({r.parms, "Pantone.icc", defaultIndex == kPantoneDefault, r.monitor, scaleToD50, lighting, r.curves});
    if (!progress.step()) return;
    progress.finish();
}

}  // namespace builder
