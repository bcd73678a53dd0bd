#include "profile_content.h"

#include <cmath>
#include <cstring>

#include "ascii_case.h"
#include "colour_math.h"
#include "description_line.h"
#include "winplat.h"

namespace builder {

namespace {

constexpr char kCopyright[] = "Copyright (c) Kalvenmor";
constexpr double kD50X = 0.9642, kD50Z = 0.8249;       // D50 white, Y = 1
constexpr double kD50x = 0.3457, kD50y = 0.3585;       // and its chromaticity

// The first four characters of `text`, padded with blanks.
void fourCharacters(const char* text, char (&out)[4]) {
    std::memset(out, ' ', sizeof out);
    for (int i = 0; i < 4 && text && text[i]; ++i) out[i] = text[i];
}

std::string descriptionText(const ProfileInputs& in) {
    const char* format = "Spectrine: %s %s";
    if (isMiniProfile(in.fileName))
        format = "MiniProfile-Spectrine: %s %s";
    else if (in.scaleToD50 != 0)
        format = winplat::startsWithIgnoringCase(in.fileName, "PANTONE") ? "Pantone: %s %s" : "Netvivid: %s %s";
    char text[512];
    const ICCMONITORPARMS& p = *in.parms;
    WinplatFormatC(text, sizeof text, format, p.manufacturer ? p.manufacturer : "",
                   p.model ? p.model : "");
    return text;
}

std::string summaryText(const ProfileInputs& in) {
    const ICCMONITORPARMS& p = *in.parms;
    char text[512];
    WinplatFormatC(text, sizeof text, "Temperature:\t%4.4uK\r\nGamma:\t\t%.1f\r\nLighting:\t\t%s",
                   static_cast<unsigned>(in.temperature),
                   (p.gammaRed + p.gammaGreen + p.gammaBlue) / 3.0, in.lightingName.c_str());
    return text;
}

}  // namespace

bool isMiniProfile(const std::string& fileName) { return winplat::startsWithIgnoringCase(fileName, "ADOBE"); }

std::int32_t toS15Fixed16(double value) {
    const double fixed = std::trunc(value * 65536.0);
    if (std::isnan(fixed)) return 0;
    if (fixed < -2147483648.0) return INT32_MIN;
    if (fixed > 2147483647.0) return INT32_MAX;
    return static_cast<std::int32_t>(fixed);
}

std::vector<std::uint16_t> powerLawCurve(double gamma, double offset) {
    std::vector<std::uint16_t> curve(kCurveEntries, 0);
    for (int i = 0; i < kCurveEntries; ++i) {
        const double t = (i * 65535 / (kCurveEntries - 1)) / 65535.0;
        const double base = offset + (1.0 - offset) * t;
        if (!(base > 0.0)) continue;
        const double entry = std::trunc(65535.0 * std::pow(base, gamma) + 0.5);
        curve[i] = entry >= 65535.0 ? 65535 : entry > 0.0 ? static_cast<std::uint16_t>(entry) : 0;
    }
    return curve;
}

bool buildProfileContent(const ProfileInputs& in, ProfileContent& out) {
    if (!in.parms) return false;
    const ICCMONITORPARMS& p = *in.parms;
    const Primaries primaries = primariesOf(p);
    const auto white = whiteXYZ(p.whiteX, p.whiteY);
    auto rgb = colorants(primaries, p.whiteX, p.whiteY);
    if (!white || !rgb) return false;
    if (in.scaleToD50 == kScaleColorants) {
        for (Vec3& c : *rgb) {
            c[0] *= kD50X / (*white)[0];
            c[1] /= (*white)[1];
            c[2] *= kD50Z / (*white)[2];
        }
    } else if (in.scaleToD50 == kD50Colorants) {
        rgb = colorants(primaries, kD50x, kD50y);
        if (!rgb) return false;
    }

    fourCharacters(p.manufacturer, out.manufacturer);
    fourCharacters(p.model, out.model);
    out.renderingIntent = in.scaleToD50 != 0 ? 1 : 3;
    out.copyright = kCopyright;
    out.summary = summaryText(in);
    out.description = descriptionText(in);
    for (int i = 0; i < 3; ++i) out.white[i] = toS15Fixed16((*white)[i]);
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 3; ++i) out.colorants[k][i] = toS15Fixed16((*rgb)[k][i]);

    if (in.curves) {
        out.curves = *in.curves;
    } else if (isMiniProfile(in.fileName)) {
        const double gamma = std::trunc(in.overallGamma * 256.0);
        const std::uint16_t u8Fixed8 =
            gamma >= 65535.0 ? 65535 : gamma > 0.0 ? static_cast<std::uint16_t>(gamma) : 0;
        for (auto& curve : out.curves) curve.assign(1, u8Fixed8);
    } else {
        const double gammas[3] = {p.gammaRed, p.gammaGreen, p.gammaBlue};
        const double offsets[3] = {p.offsetRed, p.offsetGreen, p.offsetBlue};
        for (int k = 0; k < 3; ++k) out.curves[k] = powerLawCurve(gammas[k], offsets[k]);
    }
    return true;
}

}  // namespace builder
