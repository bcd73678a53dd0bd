// Colorimetry from first principles for the white point reference file: the CIE 1931 2-degree
// observer, spectra integrated into XYZ, black bodies and correlated colour temperature.
#pragma once

#include <array>
#include <vector>

#include "colour_math.h"

namespace whitetool {

using builder::Vec3;

struct Chromaticity {
    double x = 0, y = 0;
};

// CIE 1931 2-degree colour-matching functions x, y, z at a wavelength in nanometres, as the
// multi-lobe piecewise Gaussian fit of Wyman, Sloan and Shirley (Journal of Computer Graphics
// Techniques 2(2), 2013); within about 1% of the tabulated functions over the visible range.
Vec3 observer(double nanometres);

// A spectral power distribution sampled every `step` nanometres from `first`.
struct Spectrum {
    double first;
    double step;
    std::vector<double> power;
};

// XYZ of a spectrum, scaled so that Y = 100 (sums over its samples, as CIE 15 integrates).
Vec3 tristimulus(const Spectrum& s);
// Planck's radiator at `kelvin`, 360 to 830 nm in 1 nm steps (c2 = 1.4388e-2 m K).
Spectrum blackBody(double kelvin);
// CIE standard illuminant F2 (cool white fluorescent lamp), 380 to 780 nm in 5 nm steps.
Spectrum illuminantF2();

Chromaticity chromaticity(const Vec3& xyz);
Vec3 xyzOf(Chromaticity c);  // Y = 100
// CIE 1960 UCS (u, v) and back.
std::array<double, 2> uv(Chromaticity c);
Chromaticity fromUv(const std::array<double, 2>& uv);
// Chromaticity of Planck's radiator (on the locus).
Chromaticity planckian(double kelvin);
// Correlated colour temperature: the Planckian temperature nearest in (u, v).
double correlatedTemperature(Chromaticity c);

}  // namespace whitetool
