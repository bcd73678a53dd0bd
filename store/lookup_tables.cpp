// Per-channel look-up tables computed from a tone model: the forward table gives the level to
// send to the display for a requested level, the inverse table the other way.
#include <cmath>
#include <cstring>

#include "records_internal.h"
#include "vltutil.h"

namespace {

// A level computed in floating point as an entry: truncated toward zero, kept within 0..255
// (a NaN from degenerate parameters counts as 0), and scaled like a gamma ramp entry.
inline WORD entry(double level) {
    if (!(level >= 0.0)) return 0;
    if (level >= 255.0) return 255 * 256;
    return static_cast<WORD>(static_cast<int>(level) * 256);
}

inline double power(double base, double exponent) {
    return exponent == 1.0 ? base : std::pow(base, exponent);
}

vlt::LutParameters parameters(double aR, double aG, double aB, double dR, double dG, double dB,
                              double oR, double oG, double oB, double gR, double gG, double gB) {
    return {{aR, aG, aB}, {dR, dG, dB}, {oR, oG, oB}, {gR, gG, gB}};
}

// Fills the three tables of one direction; channels with the same parameters share the work.
template <void (*Compute)(double, double, double, double, WORD*)>
void computeChannels(const vlt::LutParameters& p, WORD* const (&out)[3]) {
    WORD tables[3][vlt::kLutEntries];
    for (int c = 0; c < 3; ++c) {
        int same = -1;
        for (int k = 0; k < c && same < 0; ++k)
            if (p.target[k] == p.target[c] && p.display[k] == p.display[c] &&
                p.offset[k] == p.offset[c] && p.gain[k] == p.gain[c])
                same = k;
        if (same >= 0)
            std::memcpy(tables[c], tables[same], sizeof tables[c]);
        else
            Compute(p.target[c], p.display[c], p.offset[c], p.gain[c], tables[c]);
        if (out[c]) std::memcpy(out[c], tables[c], sizeof tables[c]);
    }
}

}  // namespace

namespace vlt {

void computeForwardTable(double target, double display, double offset, double gain, WORD* out) {
    const double exponent = target / display;
    for (int i = 0; i < kLutEntries; ++i) {
        const double v = i / 255.0;
        out[i] = entry(gain * (power(v, exponent) - offset) / (1.0 - offset) * 255.0 + 0.5);
    }
}

void computeInverseTable(double target, double display, double offset, double gain, WORD* out) {
    const double exponent = display / target;
    for (int i = 0; i < kLutEntries; ++i) {
        const double v = i / 255.0;
        double t = v * (1.0 - offset) / gain + offset;
        if (t < 0.0) t = 0.0;
        out[i] = entry(power(t, exponent) * 255.0 + 0.5);
    }
}

}  // namespace vlt

VLTUTIL_API int GetSpectrineLUT(WORD* red, WORD* green, WORD* blue, double targetRed,
                                double targetGreen, double targetBlue, double displayRed,
                                double displayGreen, double displayBlue, double offsetRed,
                                double offsetGreen, double offsetBlue, double gainRed,
                                double gainGreen, double gainBlue) {
    WORD* const out[3] = {red, green, blue};
    computeChannels<vlt::computeForwardTable>(
        parameters(targetRed, targetGreen, targetBlue, displayRed, displayGreen, displayBlue, offsetRed,
                   offsetGreen, offsetBlue, gainRed, gainGreen, gainBlue),
        out);
    return 1;
}

VLTUTIL_API int GetSpectrineBackLUT(WORD* red, WORD* green, WORD* blue, double targetRed,
                                    double targetGreen, double targetBlue, double displayRed,
                                    double displayGreen, double displayBlue, double offsetRed,
                                    double offsetGreen, double offsetBlue, double gainRed,
                                    double gainGreen, double gainBlue) {
    WORD* const out[3] = {red, green, blue};
    computeChannels<vlt::computeInverseTable>(
        parameters(targetRed, targetGreen, targetBlue, displayRed, displayGreen, displayBlue, offsetRed,
                   offsetGreen, offsetBlue, gainRed, gainGreen, gainBlue),
        out);
    return 1;
}
