#include "preset_ramp.h"

#include <cmath>
#include <cstring>
#include <string>

#include "presets.h"
#include "profforge.h"
#include "ramps.h"
#include "vltutil.h"
#include "win32_holders.h"
#include "winplat.h"

namespace builder {

namespace {

// What no preset names: the fallback target.
constexpr double kFallbackGamma = 2.0;
constexpr LONG kFallbackTemperature = 8500;

// A preset the ramp can be computed for: gammas above zero (a zero, a negative zero, a
// negative gamma or one that is not a number is none) and a temperature above zero.
bool usable(const PresetRecord& p) {
    for (double gamma : {p.gammaRed, p.gammaGreen, p.gammaBlue})
        if (!(gamma > 0.0) || !std::isfinite(gamma)) return false;
    return p.temperature > 0;
}

PresetRecord presetInForce() {
    const std::string unadjusted = unadjustedPresetName();
    PresetRecord p{};
    p.size = PRESETRECORD_SIZE;
    p.gammaRed = p.gammaGreen = p.gammaBlue = kFallbackGamma;
    p.temperature = kFallbackTemperature;
    // "Current" naming the unadjusted preset is not taken as it is: the unadjusted preset is
    // read again, with its flag, so that the ramp keeps the monitor's native white.
    if (ReadSpectrinePreset(SPECTRINE_CURRENT_PRESET, &p) && unadjusted != p.description && usable(p))
        return p;
    if (!unadjusted.empty() && ReadSpectrinePreset(unadjusted.c_str(), &p) && usable(p)) {
        WinplatFormatC(p.description, sizeof p.description, "%s", unadjusted.c_str());
        p.flags = PRESET_UNADJUSTED;
        return p;
    }
    // Nothing usable: the fallback target, and the user is asked to calibrate. Its flags are
    // cleared, so that a stale unadjusted bit never gives the native white instead of 8500 K.
    p.gammaRed = p.gammaGreen = p.gammaBlue = kFallbackGamma;
    p.temperature = kFallbackTemperature;
    p.flags = 0;
    ForceRecalibrationWarning();
    return p;
}

}  // namespace

int loadPresetRamp(int monitor, RampComputation compute) {
    if (!IsGammaRampSupported()) return 0;
    const PresetRecord p = presetInForce();
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    if (!screen) return 0;
    const double gammas[3] = {p.gammaRed, p.gammaGreen, p.gammaBlue};
    const DWORD flags = COMPUTE_GAMMA_RAMP | ((p.flags & PRESET_UNADJUSTED) ? COMPUTE_UNADJUSTED : 0);
    WORD ramp[3 * kRampChannel];
    int loaded = 0;
    if (compute(nullptr, p.description, gammas, static_cast<DWORD>(p.temperature), ramp, flags, monitor))
        loaded = VLTSetDeviceGammaRamp(screen.get(), ramp, monitor) ? 1 : 0;
    screen.reset();
    // Written whether or not the ramp was loaded: the pages show what is in force.
    writeBuilderPreset(SPECTRINE_CURRENT_PRESET, p.description, gammas, p.temperature, p.flags);
    return loaded;
}

int loadIdentityRamp(int monitor) {
    WORD ramp[3 * kRampChannel];
    fillIdentityRamp(ramp);
    if (!IsGammaRampSupported()) return 0;
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    if (!screen) return 0;
    return VLTSetDeviceGammaRamp(screen.get(), ramp, monitor) ? 1 : 0;
}

}  // namespace builder
