#include "profile_writer.h"

#include <algorithm>

#include "kalvicm.h"
#include "messages.h"
#include "profile_content.h"
#include "profile_registration.h"
#include "settings.h"
#include "whitepoint_file.h"

namespace builder {

namespace {

int noProgress(uint32_t, void*) { return 0; }

// The kalvicm context and profile of one write, released in the documented order.
class ProfileSession {
public:
    ProfileSession() { initResult_ = SpInitialize(&context_, noProgress, nullptr); }
    ~ProfileSession() {
        if (profile_) SpProfileFree(&profile_);
        if (initResult_ == SP_OK) SpTerminate(&context_);
    }
    ProfileSession(const ProfileSession&) = delete;
    ProfileSession& operator=(const ProfileSession&) = delete;

    int initResult() const { return initResult_; }
    int create() { return SpProfileCreate(context_, &profile_); }
    SpProfileHandle profile() const { return profile_; }

private:
    SpContext context_ = 0;
    SpProfileHandle profile_ = nullptr;
    int initResult_ = SP_FAILED;
};

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

void addTags(SpProfileHandle profile, const SpHeader& header, const ProfileContent& c) {
    const auto report = [](int result) {
        if (result != SP_OK) showWarning("Error %d creating tag\n", result);
    };
    const uint16_t* t = header.dateTime;
    report(SetDateTimeTag(profile, "calt", t[0], t[1], t[2], t[3], t[4], t[5]));
    report(SetTextTag(profile, "cprt", c.copyright.c_str()));
    report(SetTextDescTag(profile, "K007", c.summary.c_str()));
    report(SetTextDescTag(profile, "desc", c.description.c_str()));
    report(SetXYZTag(profile, "wtpt", c.white[0], c.white[1], c.white[2]));
    const char* const colorantTags[3] = {"rXYZ", "gXYZ", "bXYZ"};
    for (int k = 0; k < 3; ++k)
        report(SetXYZTag(profile, colorantTags[k], c.colorants[k][0], c.colorants[k][1],
                         c.colorants[k][2]));
    const char* const curveTags[3] = {"rTRC", "gTRC", "bTRC"};
    for (int k = 0; k < 3; ++k)
        report(SetCurveTag(profile, curveTags[k], c.curves[k].data(),
                           static_cast<uint32_t>(c.curves[k].size())));
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

bool writeProfile(const ProfileRequest& request) {
    if (!request.parms) return false;
    const std::string path = colourDirectoryPath(request.fileName);
    const ProfileInputs inputs = inputsFor(request);

    ProfileSession session;
    if (session.initResult() != SP_OK) {
        showWarning("Error initializing Kodak ICC processor (error:%d)\n", session.initResult());
        return false;
    }
    ProfileContent content;
    int created = session.create();
    // A record whose white point or primaries describe no display makes no profile.
    if (created == SP_OK && !buildProfileContent(inputs, content)) created = SP_FAILED;
    if (created != SP_OK) {
        showWarning("Error %d creating ICM\n", created);
        return false;
    }

    SpHeader header;
    SpProfileGetHeader(session.profile(), &header);
    for (int i = 0; i < 3; ++i) header.illuminant[i] = kIlluminant[i];
    header.renderingIntent = content.renderingIntent;
    std::copy(std::begin(content.manufacturer), std::end(content.manufacturer), header.manufacturer);
    std::copy(std::begin(content.model), std::end(content.model), header.model);
    SpProfileSetHeader(session.profile(), &header);
    addTags(session.profile(), header, content);

    if (int saved = SpProfileSaveToDisk(session.profile(), path.c_str()); saved != SP_OK) {
        showWarning("Error %d saving ICM <%s>\n", saved, request.fileName.c_str());
        return false;
    }
    registerProfile(path, *request.parms, request.isDefault, request.monitor, inputs.temperature);
    return true;
}

}  // namespace builder
