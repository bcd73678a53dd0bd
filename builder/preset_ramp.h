// Loading the ramp of the preset in force, and the identity ramp: the same in every build,
// each build handing in its own computation of the ramp.
#pragma once

#include "win32.h"

namespace builder {

// ComputeProfiles or its panel twin.
using RampComputation = int (*)(HWND window, LPCSTR presetName, const double* gammas,
                                DWORD temperature, WORD* ramp, DWORD flags, int monitor);

// SetGammaRamp: chooses "Current", else the unadjusted preset, else gammas 2.0 at 8500 K with
// the recalibration warning forced; computes its ramp with `compute` and loads it on monitor
// n; writes what was chosen back as "Current". 1 when a ramp was loaded.
int loadPresetRamp(int monitor, RampComputation compute);
// ResetGammaRamp: loads entry i = i x 256 in every channel of monitor n. 1 when loaded.
int loadIdentityRamp(int monitor);

}  // namespace builder
