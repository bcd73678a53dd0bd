// Writes the white point reference file (data/huevista.ini) from physics:
//   make_huevista_ini <monitor INF with "CRT Average" and "LCD Average"> [output file]
// Without an output file the text goes to standard output. The build target `huevista_ini`
// rewrites data/huevista.ini; a test checks that the shipped file is what this program writes.
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <string>
#include <tuple>

#include "colorimetry.h"
#include "description_line.h"
#include "vltutil.h"
#include "winplat.h"
#include "winplat_files.h"

namespace {

using namespace whitetool;
using builder::Vec3;

struct Lighting {
    const char* name;
    const char* source;  // how its white is derived, for the file's comments
    Vec3 xyz;            // Y = 100
};

Vec3 d65() {
    // D65 is the daylight white at 6500 K on the old temperature scale: 6504 K today.
    double x = 0, y = 0;
    GetWhitePointFromTemperature(&x, &y, 6504);
    return xyzOf({x, y});
}

// Entries of each white series, the middle one the lighting's own white, and the step between
// neighbours in reciprocal megakelvin: 5 x 12 = 60 on either side spans the whites that
// displays of the era reach (about 5000 K to 11500 K for a daylight card).
constexpr int kEntries = 11;
constexpr int kMiddle = kEntries / 2;
constexpr double kMiredStep = 12.0;

// Display whites the series are converted for: CRTs left the factory at 9300 K, flat panels
// at D65.
constexpr DWORD kCrtWhite = 9300, kLcdWhite = 6504;

// White i of the series around `white`: moved along the Planckian locus by (middle - i) steps
// (entry 0 the warmest), keeping its distance from the locus.
Chromaticity seriesWhite(Chromaticity white, double cct, int i) {
    const double mired = 1e6 / cct + (kMiddle - i) * kMiredStep;
    const auto from = uv(planckian(cct)), to = uv(planckian(1e6 / mired)), w = uv(white);
    return fromUv({w[0] + to[0] - from[0], w[1] + to[1] - from[1]});
}

// Relative R, G, B (largest 1) that a display with these primaries and white shows `white` with.
bool relativeRgb(const builder::Primaries& p, DWORD displayKelvin, Chromaticity white, Vec3& rgb) {
    double dx = 0, dy = 0;
    GetWhitePointFromTemperature(&dx, &dy, displayKelvin);
    const builder::Mat3 P = builder::primaryMatrix(p);
    const auto Pinv = builder::inverse(P);
    const auto displayWhite = builder::whiteXYZ(dx, dy), target = builder::whiteXYZ(white.x, white.y);
    if (!Pinv || !displayWhite || !target) return false;
    // Columns of P scaled so that R = G = B = 1 is the display's white.
    const Vec3 scale = builder::multiply(*Pinv, *displayWhite);
    builder::Mat3 M = P;
    for (auto& row : M)
        for (int k = 0; k < 3; ++k) row[k] *= scale[k];
    const auto Minv = builder::inverse(M);
    if (!Minv) return false;
    rgb = builder::multiply(*Minv, *target);
    const double largest = std::max(rgb[0], std::max(rgb[1], rgb[2]));
    for (double& v : rgb) v /= largest;
    return rgb[0] >= 0 && rgb[1] >= 0 && rgb[2] >= 0;
}

bool averagePrimaries(const char* inf, const char* key, builder::Primaries& p) {
    char line[512];
    if (!GetPrivateProfileStringA("Monitors", key, "", line, sizeof line, inf)) {
        std::fprintf(stderr, "make_huevista_ini: no \"%s\" in %s\n", key, inf);
        return false;
    }
    p = builder::parseDescriptionLine(line).primaries;
    return true;
}

std::string format(const char* f, double a, double b, double c) {
    char text[128];
    WinplatFormatC(text, sizeof text, f, a, b, c);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "Usage: %s GENERIC.INF [OUTPUT]\n", argv[0]);
        return 2;
    }
    builder::Primaries crt, lcd;
    if (!averagePrimaries(argv[1], "CRT Average", crt) || !averagePrimaries(argv[1], "LCD Average", lcd))
        return 1;

    const Lighting lightings[4] = {
        {"Fluorescent", "CIE illuminant F2 (cool white fluorescent lamp), its spectrum",
         tristimulus(illuminantF2())},
        {"Incandescent", "CIE illuminant A: Planck's radiator at 2856 K", tristimulus(blackBody(2856))},
        {"Halogen", "a halogen lamp: Planck's radiator at 3200 K", tristimulus(blackBody(3200))},
        {"Daylight", "CIE illuminant D65: the CIE daylight locus at 6504 K", d65()},
    };

    std::string out =
        "; Spectrine white point reference file. Written by builder/tools/make_huevista_ini.cpp\n"
        "; from data/inf/generic.inf; do not edit it, run: cmake --build build --target huevista_ini\n"
        ";\n"
        "; D50Ref_<n>: X, Y, Z (Y 100) of the reference card's white under room lighting n. The card\n"
        "; is taken as a neutral white, so it shows the light's own white. Spectra are integrated\n"
        "; with the CIE 1931 2-degree observer (multi-lobe Gaussian fit of its functions).\n";
    for (int n = 0; n < 4; ++n)
        out += ";   " + std::to_string(n) + " " + lightings[n].name + ": " + lightings[n].source + "\n";
    out +=
        "; Name_<n>: the lighting's name in the profiles' summary (4 and 5 for other lightings).\n"
        ";\n"
        "; CRT_<a>_<i> and LCD_<a>_<i>: the wizard's colour slider under lighting a, " +
        std::to_string(kEntries) + " whites i\n"
        "; from the warmest to the coolest: the lighting's white moved along the Planckian locus in\n"
        "; steps of " + format("%.0f", kMiredStep, 0, 0) +
        " reciprocal megakelvin (entry " + std::to_string(kMiddle) +
        " is the lighting's white itself), as relative\n"
        "; linear R, G, B of the \"CRT Average\" display at 9300 K and the \"LCD Average\" display at\n"
        "; D65, the largest channel 1. Default: the middle entry for CRTs, flat panels.\n"
        "\n[Whitepoint]\n";
    for (int n = 0; n < 4; ++n) {
        const Vec3& w = lightings[n].xyz;
        out += "D50Ref_" + std::to_string(n) + "=" + format("%.3f, %.3f, %.3f", w[0], w[1], w[2]) + "\n";
    }
    const char* names[6] = {"Fluorescent", "Incandescent", "Halogen", "Daylight", "Mixed", "Other"};
    for (int n = 0; n < 6; ++n) out += "Name_" + std::to_string(n) + "=" + names[n] + "\n";
    out += "Nb Of Entries=" + std::to_string(kEntries) + "\n";
    out += "Default=" + std::to_string(kMiddle) + ", " + std::to_string(kMiddle) + "\n";

    for (const auto& [prefix, primaries, kelvin] :
         {std::tuple{"CRT_", crt, kCrtWhite}, std::tuple{"LCD_", lcd, kLcdWhite}}) {
        for (int a = 0; a < 4; ++a) {
            const Chromaticity white = chromaticity(lightings[a].xyz);
            const double cct = correlatedTemperature(white);
            for (int i = 0; i < kEntries; ++i) {
                Vec3 rgb;
                if (!relativeRgb(primaries, kelvin, seriesWhite(white, cct, i), rgb)) {
                    std::fprintf(stderr, "make_huevista_ini: white %d of lighting %d is outside the %s display\n",
                                 i, a, prefix);
                    return 1;
                }
                out += prefix + std::to_string(a) + "_" + std::to_string(i) + "=" +
                       format("%.5f, %.5f, %.5f", rgb[0], rgb[1], rgb[2]) + "\n";
            }
        }
    }

    const bool written = argc == 3 ? winplat::replaceFile(argv[2], out) == ERROR_SUCCESS
                                   : std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
    if (!written) {
        std::fprintf(stderr, "make_huevista_ini: cannot write %s\n", argc == 3 ? argv[2] : "the output");
        return 1;
    }
    return 0;
}
