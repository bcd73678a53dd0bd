// The CRT computation of ComputeProfiles: the power-law channel model of the calibration
// "Monitor" (+ n), the USB values, the profile family and the look-up ramps.
#include <cmath>
#include <optional>

#include "compute_request.h"
#include "description_line.h"
#include "profforge.h"
#include "profile_family.h"
#include "ramps.h"
#include "winplat_registry.h"

namespace builder {

namespace {

// The calibration of monitor n; nullopt when it is missing or its numbers describe no channel
// (a gamma that is not positive, an offset of 1 or more, a gain that is not positive): such a
// record would give an all-black ramp or numbers that are not numbers.
std::optional<MONITORPARMS> readCalibration(int monitor) {
    MONITORPARMS c{};
    c.size = MONITORPARMS_SIZE;
    if (!GetSpectrineCalibrationName(calibrationName("Monitor", monitor).c_str(), &c)) return std::nullopt;
    const double gammas[3] = {c.gammaRed, c.gammaGreen, c.gammaBlue};
    const double offsets[3] = {c.offsetRed, c.offsetGreen, c.offsetBlue};
    const double gains[3] = {c.gainRed, c.gainGreen, c.gainBlue};
    for (int k = 0; k < 3; ++k)
        if (!(gammas[k] > 0.0 && std::isfinite(gammas[k])) || !(offsets[k] < 1.0) ||
            !std::isfinite(offsets[k]) || !(gains[k] > 0.0 && std::isfinite(gains[k])))
            return std::nullopt;
    return c;
}

// v x 255 + 0.5 truncated, held within 0..255.
int usbLevel(double v) {
    const double level = std::trunc(v * 255.0 + 0.5);
    return level < 0.0 ? 0 : level > 255.0 ? 255 : static_cast<int>(level);
}

}  // namespace

int computeCrtProfiles(const ComputeRequest& q) {
    const bool unadjusted = q.flags & COMPUTE_UNADJUSTED;
    if (rampWanted(q) && !q.ramp) return 0;
    if ((!unadjusted || rampWanted(q)) && !positiveGammas(q.gammas)) return 0;

    // What the computation reads comes from one moment of the registry, and the USB values it
    // writes land whole (a failure before them leaves the registry as it was).
    winplat::RegistryTransaction group;
    const auto calibration = readCalibration(q.monitor);
    const auto line = readDescriptionLine(q.monitor);
    if (!line || !calibration) return 0;
    const MONITORPARMS& c = *calibration;
    IccRecord record(parseDescriptionLine(line->c_str()));
    ICCMONITORPARMS& p = record.parms;
    const double calGammas[3] = {c.gammaRed, c.gammaGreen, c.gammaBlue};
    const double calOffsets[3] = {c.offsetRed, c.offsetGreen, c.offsetBlue};
    const Vec3 calGains{c.gainRed, c.gainGreen, c.gainBlue};
    const PowerLawModel model(calGammas, calOffsets);

    const auto native =
        aimAtTargetWhite(q, p, model, calGains, GetSpectrineCalibrationLighting(), c.whiteX, c.whiteY);
    if (!native) return 0;
    const Vec3 gains{p.gainRed, p.gainGreen, p.gainBlue};
    const double* gammas = unadjusted ? calGammas : q.gammas;
    p.gammaRed = gammas[0], p.gammaGreen = gammas[1], p.gammaBlue = gammas[2];
    if (unadjusted) p.offsetRed = c.offsetRed, p.offsetGreen = c.offsetGreen, p.offsetBlue = c.offsetBlue;

    WriteUSBValues(usbLevel(p.gainRed), usbLevel(p.gainGreen), usbLevel(p.gainBlue),
                   unadjusted ? 0 : usbLevel(c.offsetRed), unadjusted ? 0 : usbLevel(c.offsetGreen),
                   unadjusted ? 0 : usbLevel(c.offsetBlue));
    group.commit();

    if (q.flags & COMPUTE_PROFILES)
        writeProfileFamily({q.window, &p, native->weights, q.temperature, q.monitor});

    WORD* const red = q.ramp;
    WORD* const green = q.ramp + kRampChannel;
    WORD* const blue = q.ramp + 2 * kRampChannel;
    if (q.flags & COMPUTE_INVERSE_RAMP) {
        // Each gain as the drive level that gives luminance 1 / gain at the requested gamma.
        double offsets[3] = {0, 0, 0};
        if (unadjusted) offsets[0] = c.offsetRed, offsets[1] = c.offsetGreen, offsets[2] = c.offsetBlue;
        const double requested[3] = {q.gammas[0], q.gammas[1], q.gammas[2]};
        const PowerLawModel target(requested, offsets);
        Vec3 drives{};
        for (int k = 0; k < 3; ++k) drives[k] = target.drive(k, 1.0 / gains[k]);
        if (!allFinite(drives) ||
            !GetSpectrineBackLUT(red, green, blue, 1, 1, 1, requested[0], requested[1], requested[2],
                                 offsets[0], offsets[1], offsets[2], drives[0], drives[1], drives[2]))
            return 0;
    }
    if (q.flags & COMPUTE_GAMMA_RAMP) {
        double offsets[3] = {0, 0, 0};
        if (!unadjusted) offsets[0] = c.offsetRed, offsets[1] = c.offsetGreen, offsets[2] = c.offsetBlue;
        if (!GetSpectrineLUT(red, green, blue, q.gammas[0], q.gammas[1], q.gammas[2], calGammas[0],
                             calGammas[1], calGammas[2], offsets[0], offsets[1], offsets[2],
                             gains[0], gains[1], gains[2]))
            return 0;
    }
    return 1;
}

}  // namespace builder
