#include "profile_family.h"

#include <cstdint>
#include <vector>

#include "dated_name.h"
#include "profile_writer.h"
#include "progress.h"
#include "winplat_registry.h"

namespace builder {

namespace {

using vlt::FamilyMember;

// The member the default-profile selector makes the monitor's default.
bool isDefault(FamilyMember member, DWORD defaultIndex) {
    return defaultIndex == static_cast<DWORD>(member);
}

// The dated profile, recorded as the monitor's calibrated profile once it is written.
ProfileRequest datedMember(const FamilyRequest& r, DWORD defaultIndex, DWORD scaleToD50,
                           const std::string& lighting) {
    const std::string file = vlt::familyFileName(
        FamilyMember::Dated, r.monitor,
        datedProfileName(r.parms->manufacturer, r.parms->model, r.temperature));
    return {r.parms, file, isDefault(FamilyMember::Dated, defaultIndex), r.monitor, scaleToD50,
            lighting, r.curves};
}

void recordDatedProfile(const std::string& file, int monitor) {
    if (monitor == 0)
        WriteWin98ProfileName(file.c_str());
    else
        WriteWin98ProfileName0(file.c_str(), monitor);
}

// A fixed member of the monitor's family, named for the monitor.
ProfileRequest fixedMember(const FamilyRequest& r, FamilyMember member, DWORD defaultIndex,
                           DWORD scaleToD50, const std::string& lighting) {
    return {r.parms, vlt::familyFileName(member, r.monitor), isDefault(member, defaultIndex),
            r.monitor, scaleToD50, lighting, r.curves};
}

// The family's members in their order, named and set up from one moment of the registry;
// `dated` is the dated profile's place, SIZE_MAX when the system keeps none.
std::vector<ProfileRequest> familyMembers(const FamilyRequest& r, size_t& dated) {
    winplat::RegistryTransaction moment(false);
    // The calibrated profile always has unadapted colorants; the others follow the setting.
    const DWORD scaleToD50 = readScaleToD50();
    DWORD defaultIndex = 0;
    GetSpectrineDefaultProfile(&defaultIndex);
    // Every profile of the family names the same lighting: read once.
    const std::string lighting = lightingName();

    std::vector<ProfileRequest> members;
    members.push_back(fixedMember(r, FamilyMember::Spectrine95, defaultIndex, 0, lighting));
    dated = systemKeepsDatedProfile() ? members.size() : SIZE_MAX;
    if (dated != SIZE_MAX) members.push_back(datedMember(r, defaultIndex, scaleToD50, lighting));
    members.push_back(fixedMember(r, FamilyMember::Netvivid, defaultIndex, scaleToD50, lighting));
    members.push_back(fixedMember(r, FamilyMember::Pantone, defaultIndex, scaleToD50, lighting));
    moment.commit();  // ended, not dropped: nothing was written, and what was found stays known
    return members;
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
    size_t dated = SIZE_MAX;
    const std::vector<ProfileRequest> members = familyMembers(r, dated);

    // A step after "Spectrine95.icm", after "Netvivid.icc" (with the dated profile before it),
    // after "Pantone.icc".
    const bool finished = writeProfiles(members, [&](size_t k, bool written) {
        if (k != dated) return progress.step();
        if (written) recordDatedProfile(members[k].fileName, r.monitor);
        return true;
    });
    if (finished) progress.finish();
}

}  // namespace builder
