// The peer of the profile benchmarks: Little CMS building and saving a matrix/TRC monitor profile
// with the tags the builders write (calt, cprt, K007, desc, wtpt, rXYZ, gXYZ, bXYZ and three
// curves).
#pragma once

#include <lcms2.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace spx::bench {

struct MonitorProfileContent {
    std::string copyright;
    std::vector<std::uint8_t> rawSummary;  // the K007 tag's bytes (see rawDescription)
    std::string description;
    double white[3];
    double colorants[3][3];  // red, green, blue XYZ
    std::vector<cmsUInt16Number> curves[3];
};

// Little CMS cannot encode a private tag: K007 goes in as raw description bytes, prepared once.
inline std::vector<std::uint8_t> rawDescription(const char* text) {
    const std::uint32_t count = static_cast<std::uint32_t>(std::strlen(text) + 1);
    std::vector<std::uint8_t> b(90 + count, 0);
    std::memcpy(b.data(), "desc", 4);
    for (int i = 0; i < 4; ++i) b[8 + i] = static_cast<std::uint8_t>(count >> (24 - 8 * i));
    std::memcpy(b.data() + 12, text, count);
    b[12 + count + 10] = static_cast<std::uint8_t>(count <= 67 ? count : 0);  // ScriptCode count
    return b;
}

inline void writeLcmsText(cmsHPROFILE h, cmsTagSignature sig, const char* text) {
    cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(mlu, "en", "US", text);
    cmsWriteTag(h, sig, mlu);
    cmsMLUfree(mlu);
}

// Builds the profile and saves it to `path`, or to memory when it is null; the profile's length.
inline std::size_t saveWithLittleCms(const MonitorProfileContent& c, const char* path) {
    cmsHPROFILE h = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(h, 2.0);
    cmsSetDeviceClass(h, cmsSigDisplayClass);
    cmsSetColorSpace(h, cmsSigRgbData);
    cmsSetPCS(h, cmsSigXYZData);
    cmsSetHeaderRenderingIntent(h, INTENT_PERCEPTUAL);
    const std::time_t now = std::time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    cmsWriteTag(h, cmsSigCalibrationDateTimeTag, &local);
    writeLcmsText(h, cmsSigCopyrightTag, c.copyright.c_str());
    cmsWriteRawTag(h, static_cast<cmsTagSignature>(0x4B303037), c.rawSummary.data(),
                   static_cast<cmsUInt32Number>(c.rawSummary.size()));
    writeLcmsText(h, cmsSigProfileDescriptionTag, c.description.c_str());
    const cmsCIEXYZ white{c.white[0], c.white[1], c.white[2]};
    cmsWriteTag(h, cmsSigMediaWhitePointTag, &white);
    const cmsTagSignature colorantTags[] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                            cmsSigBlueColorantTag};
    const cmsTagSignature curveTags[] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int k = 0; k < 3; ++k) {
        const cmsCIEXYZ xyz{c.colorants[k][0], c.colorants[k][1], c.colorants[k][2]};
        cmsWriteTag(h, colorantTags[k], &xyz);
        cmsToneCurve* t = cmsBuildTabulatedToneCurve16(
            nullptr, static_cast<cmsUInt32Number>(c.curves[k].size()), c.curves[k].data());
        cmsWriteTag(h, curveTags[k], t);
        cmsFreeToneCurve(t);
    }
    cmsUInt32Number size = 0;
    if (path) {
        if (!cmsSaveProfileToFile(h, path)) std::abort();
    } else {
        if (!cmsSaveProfileToMem(h, nullptr, &size)) std::abort();
        std::vector<std::uint8_t> image(size);
        if (!cmsSaveProfileToMem(h, image.data(), &size)) std::abort();
    }
    cmsCloseProfile(h);
    return size;
}

}  // namespace spx::bench
