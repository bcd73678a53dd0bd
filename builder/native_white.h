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

}  // namespace builder
