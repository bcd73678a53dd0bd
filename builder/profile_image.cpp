#include "profile_image.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "messages.h"
#include "profile.h"

namespace builder {

namespace {

using kalvicm::AddResult;

kalvicm::Signature signature(const char* chars) {
    kalvicm::Signature sig;
    std::memcpy(sig.data(), chars, sig.size());
    return sig;
}

// The tags of `c` in their order; each failure is kept as its message (code 1, as the
// exported tag operations answer).
void addTags(kalvicm::Profile& profile, const SpHeader& header, const ProfileContent& c,
             std::vector<std::string>& warnings) {
    const auto report = [&](AddResult result) {
        if (result != AddResult::Added) warnings.push_back(formatWarning("Error %d creating tag\n", SP_FAILED));
    };
    const uint16_t* t = header.dateTime;
    report(profile.addDateTime(signature("calt"), {t[0], t[1], t[2], t[3], t[4], t[5]}));
    report(profile.addText(signature("cprt"), c.copyright.c_str()));
    report(profile.addTextDescription(signature("K007"), c.summary.c_str()));
    report(profile.addTextDescription(signature("desc"), c.description.c_str()));
    report(profile.addXYZ(signature("wtpt"), c.white[0], c.white[1], c.white[2]));
    const char* const colorantTags[3] = {"rXYZ", "gXYZ", "bXYZ"};
    for (int k = 0; k < 3; ++k)
        report(profile.addXYZ(signature(colorantTags[k]), c.colorants[k][0], c.colorants[k][1],
                              c.colorants[k][2]));
    const char* const curveTags[3] = {"rTRC", "gTRC", "bTRC"};
    for (int k = 0; k < 3; ++k)
        report(profile.addCurve(signature(curveTags[k]), c.curves[k].data(),
                                static_cast<uint32_t>(c.curves[k].size())));
}

}  // namespace

ProfileImage layOutProfile(const ProfileContent& content) {
    ProfileImage image;
    std::optional<kalvicm::Profile> profile;
    try {
        profile.emplace(kalvicm::localTimeNow());
    } catch (const std::bad_alloc&) {
        image.warnings.push_back(formatWarning("Error %d creating ICM\n", SP_FAILED));
        return image;
    }
    image.created = true;
    SpHeader header;
    profile->getHeader(header);
    for (int i = 0; i < 3; ++i) header.illuminant[i] = kIlluminant[i];
    header.renderingIntent = content.renderingIntent;
    std::copy(std::begin(content.manufacturer), std::end(content.manufacturer), header.manufacturer);
    std::copy(std::begin(content.model), std::end(content.model), header.model);
    profile->setHeader(header);
    addTags(*profile, header, content, image.warnings);
    try {
        image.bytes.resize(profile->fileSize());
        profile->writeImage({reinterpret_cast<std::uint8_t*>(image.bytes.data()), image.bytes.size()});
    } catch (const std::bad_alloc&) {
        image.bytes.clear();  // nothing to save: the writer says so
    }
    return image;
}

}  // namespace builder
