#include "colorimetry.h"

#include <cmath>

namespace whitetool {

namespace {

// One lobe: a Gaussian with its own width on each side of its peak.
double lobe(double nm, double peak, double widthBelow, double widthAbove) {
    const double t = (nm - peak) / (nm < peak ? widthBelow : widthAbove);
    return std::exp(-0.5 * t * t);
}

// Planck's law up to a constant factor; wavelength in nanometres.
double planck(double nm, double kelvin) {
    constexpr double c2 = 1.4388e-2;  // second radiation constant, m K
    const double metres = nm * 1e-9;
    return 1.0 / (std::pow(metres, 5.0) * (std::exp(c2 / (metres * kelvin)) - 1.0));
}

// CIE 15, Table of illuminant F2: relative spectral power, 380 to 780 nm every 5 nm.
constexpr double kF2[] = {
    1.18,  1.48,  1.84,  2.15,  3.44,  15.69, 3.85,  3.74,  4.19,  4.62,  5.06,  34.98, 11.81, 6.27,
    6.63,  6.93,  7.19,  7.40,  7.54,  7.62,  7.65,  7.62,  7.62,  7.45,  7.28,  7.15,  7.05,  7.04,
    7.16,  7.47,  8.04,  8.88,  10.01, 24.88, 16.64, 14.59, 16.16, 17.56, 18.62, 21.47, 22.79, 19.29,
    18.66, 17.73, 16.54, 15.21, 13.80, 12.36, 10.95, 9.65,  8.40,  7.32,  6.31,  5.43,  4.68,  4.02,
    3.45,  2.96,  2.55,  2.19,  1.89,  1.64,  1.53,  1.27,  1.10,  0.99,  0.88,  0.76,  0.68,  0.61,
    0.56,  0.54,  0.51,  0.47,  0.47,  0.43,  0.46,  0.47,  0.40,  0.33,  0.27};
static_assert(sizeof kF2 / sizeof kF2[0] == 81, "380 to 780 nm in 5 nm steps");

}  // namespace

Vec3 observer(double nm) {
    return {1.056 * lobe(nm, 599.8, 37.9, 31.0) + 0.362 * lobe(nm, 442.0, 16.0, 26.7) -
                0.065 * lobe(nm, 501.1, 20.4, 26.2),
            0.821 * lobe(nm, 568.8, 46.9, 40.5) + 0.286 * lobe(nm, 530.9, 16.3, 31.1),
            1.217 * lobe(nm, 437.0, 11.8, 36.0) + 0.681 * lobe(nm, 459.0, 26.0, 13.8)};
}

Vec3 tristimulus(const Spectrum& s) {
    Vec3 sum{0, 0, 0};
    for (size_t i = 0; i < s.power.size(); ++i) {
        const Vec3 cmf = observer(s.first + s.step * static_cast<double>(i));
        for (int k = 0; k < 3; ++k) sum[k] += s.power[i] * cmf[k];
    }
    const double scale = 100.0 / sum[1];
    for (double& v : sum) v *= scale;
    return sum;
}

Spectrum blackBody(double kelvin) {
    Spectrum s{360.0, 1.0, {}};
    for (int nm = 360; nm <= 830; ++nm) s.power.push_back(planck(nm, kelvin));
    return s;
}

Spectrum illuminantF2() { return {380.0, 5.0, std::vector<double>(std::begin(kF2), std::end(kF2))}; }

Chromaticity chromaticity(const Vec3& xyz) {
    const double sum = xyz[0] + xyz[1] + xyz[2];
    return {xyz[0] / sum, xyz[1] / sum};
}

Vec3 xyzOf(Chromaticity c) { return {c.x / c.y * 100.0, 100.0, (1.0 - c.x - c.y) / c.y * 100.0}; }

std::array<double, 2> uv(Chromaticity c) {
    const double d = -2.0 * c.x + 12.0 * c.y + 3.0;
    return {4.0 * c.x / d, 6.0 * c.y / d};
}

Chromaticity fromUv(const std::array<double, 2>& w) {
    const double d = 2.0 * w[0] - 8.0 * w[1] + 4.0;
    return {3.0 * w[0] / d, 2.0 * w[1] / d};
}

Chromaticity planckian(double kelvin) { return chromaticity(tristimulus(blackBody(kelvin))); }

double correlatedTemperature(Chromaticity c) {
    const auto target = uv(c);
    const auto distance = [&](double mired) {
        const auto p = uv(planckian(1e6 / mired));
        return std::hypot(p[0] - target[0], p[1] - target[1]);
    };
    // Golden-section search over the reciprocal temperature, where the locus is smooth.
    double lo = 20.0, hi = 700.0;
    const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
    double a = hi - ratio * (hi - lo), b = lo + ratio * (hi - lo);
    double fa = distance(a), fb = distance(b);
    while (hi - lo > 1e-6) {
        if (fa < fb) {
            hi = b, b = a, fb = fa;
            a = hi - ratio * (hi - lo), fa = distance(a);
        } else {
            lo = a, a = b, fa = fb;
            b = lo + ratio * (hi - lo), fb = distance(b);
        }
    }
    return 1e6 / ((lo + hi) / 2.0);
}

}  // namespace whitetool
