// The panel computation of ComputeProfiles2 (and of ComputeProfiles for a monitor calibrated as
// a panel): the calibration "LCDPanel" (+ n), the panel model's tables in place of the power
// law for the native white, the gains, an unadjusted panel's curves and its inverse ramp; no
// USB values and no offsets.
#include <cmath>
#include <optional>

#include "compute_request.h"
#include "description_line.h"
#include "lcd_calibration.h"
#include "panel_tables.h"
#include "profile_family.h"
#include "ramps.h"
#include "winplat_registry.h"

namespace builder {

namespace {

// A stored panel calibration the model can be built from: finite matches and gains above 0.
bool usable(const LCDCALIBRATION& c) {
    for (int g = 0; g < 3; ++g)
        for (int k = 1; k <= 3; ++k)
            if (!std::isfinite(c.model.groups[g][k])) return false;
    for (int k = 1; k <= 3; ++k) {
        const double gain = c.model.groups[3][k];
        if (!(gain > 0.0) || !std::isfinite(gain)) return false;
    }
    return true;
}

std::optional<LCDCALIBRATION> readPanelCalibration(int monitor) {
    LCDCALIBRATION c{};
    c.size = LCDCALIBRATION_SIZE;
    if (!readLcdCalibration(calibrationName("LCDPanel", monitor).c_str(), &c) || !usable(c))
        return std::nullopt;
    return c;
}

// The curves of an unadjusted panel: 32 entries, entry i = forward level(i x 255 / 31) x 256.
CurveSet panelCurves(const PanelModel& model) {
    CurveSet curves;
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < kCurveEntries; ++i)
            curves[k].push_back(
                static_cast<std::uint16_t>(model.forwardLevel(i * 255 / (kCurveEntries - 1), k) * 256));
    return curves;
}

}  // namespace

int computePanelProfiles(const ComputeRequest& q) {
    const bool unadjusted = q.flags & COMPUTE_UNADJUSTED;
    if (rampWanted(q) && !q.ramp) return 0;
    // An unadjusted panel keeps gammas 1.0: the requested ones are not needed.
    if (!unadjusted && !positiveGammas(q.gammas)) return 0;

    // Everything read comes from one moment of the registry.
    winplat::RegistryTransaction moment(false);
    const auto calibration = readPanelCalibration(q.monitor);
    const auto line = readDescriptionLine(q.monitor);
    if (!calibration || !line) return 0;
    const LCDCALIBRATION& c = *calibration;
    const int lighting = GetSpectrineCalibrationLighting();
    const bool ownCurves = (q.flags & COMPUTE_PROFILES) && unadjusted && GetSpectrineScreenType(q.monitor) != 0;
    const PanelModel model(loadPanelModel(c.model));
    moment.commit();

    IccRecord record(parseDescriptionLine(line->c_str()));
    ICCMONITORPARMS& p = record.parms;
    const Vec3 calGains{c.model.groups[3][1], c.model.groups[3][2], c.model.groups[3][3]};
    const auto native = aimAtTargetWhite(q, p, model, calGains, lighting, c.whiteX, c.whiteY);
    if (!native) return 0;
    const Vec3 gains{p.gainRed, p.gainGreen, p.gainBlue};
    const double unit[3] = {1.0, 1.0, 1.0};
    const double* gammas = unadjusted ? unit : q.gammas;
    p.gammaRed = gammas[0], p.gammaGreen = gammas[1], p.gammaBlue = gammas[2];

    if (q.flags & COMPUTE_PROFILES) {
        const std::optional<CurveSet> curves = ownCurves ? std::optional(panelCurves(model)) : std::nullopt;
        writeProfileFamily({q.window, &p, native->weights, q.temperature, q.monitor, curves ? &*curves : nullptr});
    }

    WORD* const red = q.ramp;
    WORD* const green = q.ramp + kRampChannel;
    WORD* const blue = q.ramp + 2 * kRampChannel;
    if (q.flags & COMPUTE_INVERSE_RAMP) {
        if (unadjusted) {
            // The panel's own response: the forward model scaled to the ramp.
            for (int k = 0; k < 3; ++k)
                for (int i = 0; i < kRampChannel; ++i)
                    q.ramp[k * kRampChannel + i] = static_cast<WORD>(model.forwardLevel(i, k) * 256);
        } else {
            Vec3 drives{};
            for (int k = 0; k < 3; ++k) drives[k] = 1.0 / model.drive(k, gains[k]);
            if (!allFinite(drives) ||
                !GetSpectrineBackLUT(red, green, blue, 1, 1, 1, q.gammas[0], q.gammas[1], q.gammas[2], 0, 0, 0,
                                     drives[0], drives[1], drives[2]))
                return 0;
        }
    }
    if (q.flags & COMPUTE_GAMMA_RAMP) {
        if (unadjusted)
            fillIdentityRamp(q.ramp);
        else if (!GetSpectrineLUT(red, green, blue, q.gammas[0], q.gammas[1], q.gammas[2], 1, 1, 1, 0, 0, 0,
                                  gains[0], gains[1], gains[2]))
            return 0;
    }
    return 1;
}

}  // namespace builder
