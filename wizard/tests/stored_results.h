// What a calibration leaves behind, as the wizard's tests read it: a stored calibration's
// elements and the ramps the monitors hold.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "win32.h"

namespace huevista::test {

using Ramp = std::array<WORD, 768>;

// "Calibration" `name`: its elements up to the list's terminator (the first, the description,
// may be empty); empty when it is not stored.
std::vector<std::string> storedCalibration(const char* name);
// The ramp monitor `monitor` holds (VLTGetDeviceGammaRamp on the screen), 0xdead where nothing
// was read.
Ramp rampOf(int monitor);
Ramp identityRamp();
// A number as printf's `format` writes it in the C locale.
std::string printed(const char* format, double value);

}  // namespace huevista::test
