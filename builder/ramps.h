// The ramp buffer of ComputeProfiles: 768 entries, red 256, green 256, blue 256, level x 256.
#pragma once

#include "win32.h"

namespace builder {

inline constexpr int kRampChannel = 256;

// What a caller's buffer receives when the ramp it asked for cannot be computed: entry i =
// i x 256 in every channel.
void fillIdentityRamp(WORD* ramp);

}  // namespace builder
