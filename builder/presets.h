// The presets as the builders write them: the preset writer shared by SetGammaRamp and the
// writers of the whole family, and the unadjusted preset's name.
#pragma once

#include <optional>
#include <string>

#include "vltutil.h"

namespace builder {

// Characters (terminator included) the unadjusted preset's name and description are read
// into, the same wherever they are read.
inline constexpr DWORD kUnadjustedTextSize = 256;

// "Calibration" "Unadjusted" and "UnadjustedDescription"; empty when not stored.
std::string unadjustedPresetName();
std::string unadjustedPresetDescription();

// Stores a preset under `name`: the gammas, the temperature, `flags` with PRESET_STANDARD
// added, the description (cut to PRESET_DESCRIPTION_LIMIT characters). 1, or 0 when the
// store refused it.
int writeBuilderPreset(const char* name, const char* description, const double (&gammas)[3],
                       LONG temperature, LONG flags);

// What the unadjusted preset holds after a calibration: the calibration's gammas and the
// temperature of its white point.
struct NativeTarget {
    double gammas[3];
    LONG temperature;
};

// The presets after a calibration, in one registry group: the standard family deleted but
// "Current", the unadjusted preset written from `native` (flags 1; without a calibration the
// one stored before stays), then the family of WriteStandardSpectrinePreset. Its result; when
// anything fails, nothing has changed.
int writeAllPresets(const std::optional<NativeTarget>& native);

}  // namespace builder
