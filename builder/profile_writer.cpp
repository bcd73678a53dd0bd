#include "profile_writer.h"

#include <algorithm>
#include <vector>

#include "kalvicm.h"
#include "messages.h"
#include "profile_content.h"
#include "profile_image.h"
#include "profile_registration.h"
#include "settings.h"
#include "whitepoint_file.h"
#include "winplat_files.h"

namespace builder {

namespace {

ProfileInputs inputsFor(const ProfileRequest& request) {
    const ICCMONITORPARMS& p = *request.parms;
    ProfileInputs in;
    in.parms = request.parms;
    in.fileName = request.fileName;
    in.scaleToD50 = request.scaleToD50;
    in.curves = request.curves;
    in.lightingName = request.lightingName ? *request.lightingName : lightingName();
    GetTemperatureFromWhitePoint(&in.temperature, p.whiteX, p.whiteY);
    if (isMiniProfile(request.fileName)) {
        in.overallGamma = (p.gammaRed + p.gammaGreen + p.gammaBlue) / 3.0;
        GetSpectrineOverallGamma(&in.overallGamma);
    }
    return in;
}

// A profile made in memory, waiting for its turn to replace its file.
struct PendingProfile {
    std::string path;
    DWORD temperature = 0;
    ProfileImage image;
};

PendingProfile makeProfile(const ProfileRequest& request) {
    PendingProfile pending;
    if (!request.parms) return pending;
    pending.path = colourDirectoryPath(request.fileName);
    const ProfileInputs inputs = inputsFor(request);
    pending.temperature = inputs.temperature;
    // A record whose white point or primaries describe no display makes no profile.
    ProfileContent content;
    if (!buildProfileContent(inputs, content)) {
        pending.image.warnings.push_back(formatWarning("Error %d creating ICM\n", SP_FAILED));
        return pending;
    }
    pending.image = layOutProfile(content);
    return pending;
}

}  // namespace

std::string lightingName() {
    return whitepoint::readText(whitepoint::referenceFile(),
                                whitepoint::key("Name_", std::min(GetSpectrineCalibrationLighting(), 5)));
}

DWORD readScaleToD50() { return readSetting("ScaleToD50", true).value_or(0); }

std::string colourDirectoryPath(const std::string& fileName) {
    char system[MAX_PATH];
    UINT n = GetSystemDirectoryA(system, sizeof system);
    if (n == 0 || n >= sizeof system) n = 0;
    return std::string(system, n) + "\\COLOR\\" + fileName;
}

bool writeProfiles(std::span<const ProfileRequest> requests, const AfterProfile& next) {
    std::vector<PendingProfile> pending;
    pending.reserve(requests.size());
    for (const ProfileRequest& request : requests) pending.push_back(makeProfile(request));

    std::vector<winplat::FileReplacement> files(requests.size());
    std::vector<DWORD> written(requests.size(), ERROR_INVALID_FUNCTION);
    for (size_t k = 0; k < requests.size(); ++k)
        if (pending[k].image.created && !pending[k].image.bytes.empty())
            written[k] = files[k].write(pending[k].path.c_str(), pending[k].image.bytes);
    winplat::flushTogether(files);

    for (size_t k = 0; k < requests.size(); ++k) {
        const ProfileRequest& request = requests[k];
        for (const std::string& warning : pending[k].image.warnings) showWarningText(warning.c_str());
        bool replaced = false;
        if (pending[k].image.created) {
            replaced = written[k] == ERROR_SUCCESS && files[k].commit() == ERROR_SUCCESS;
            if (!replaced) showWarning("Error %d saving ICM <%s>\n", SP_FAILED, request.fileName.c_str());
        }
        if (replaced)
            registerProfile(pending[k].path, *request.parms, request.isDefault, request.monitor,
                            pending[k].temperature);
        if (!next(k, replaced)) return false;
    }
    return true;
}

bool writeProfile(const ProfileRequest& request) {
    bool replaced = false;
    writeProfiles({&request, 1}, [&](size_t, bool written) {
        replaced = written;
        return true;
    });
    return replaced;
}

}  // namespace builder
