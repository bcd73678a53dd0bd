// The native white point of a display measured against the reference card: the reference white
// of the room lighting comes from the white point reference file.
#pragma once

#include <optional>

#include "colour_math.h"
#include "tone_model.h"

namespace builder {

// "D50Ref_" + lighting of the reference file (X, Y, Z); nullopt when it is absent.
std::optional<Vec3> referenceWhite(int lighting);

// The native white of a display whose channels, driven at `gains`, matched the reference white
// of `lighting`; nullopt without that reference white or for a display it cannot describe.
std::optional<DisplayWhite> measuredNativeWhite(const Primaries& primaries, const ToneModel& model,
                                                const Vec3& gains, int lighting);

// As above; without a reference white for the lighting, the white point a stored calibration
// recorded (storedX, storedY) stands for the native white.
std::optional<DisplayWhite> calibratedNativeWhite(const Primaries& primaries,
                                                  const ToneModel& model, const Vec3& gains,
                                                  int lighting, double storedX, double storedY);

// ComputeWhitePoint and its panel twin: the measured native white of the monitor whose
// description line `monitorName` names (the numbered form, for monitor 0 too) into out[0] (x)
// and out[1] (y). False, with `out` untouched, without an output, a name, a line or a white.
bool storeMeasuredWhite(double* out, const char* monitorName, const ToneModel& model,
                        const Vec3& gains, int lighting, int monitor);

}  // namespace builder
