// A sample calibration, for trying the suite on a machine before anyone has calibrated it: the
// numbers of a typical CRT (not a measurement of this screen, and marked as such), stored for
// the first monitor and finished the way the wizard finishes a calibration.
#pragma once

#include <string>

#include "install_steps.h"

namespace installer {

// The description the sample's calibration record carries; a calibration with another
// description is one the user made, which the sample never replaces.
inline constexpr char kSampleDescription[] = "Sample calibration: typical CRT values, not measured";

// Needs the suite installed from `suiteFolder` (installSuite). Stores the sample for monitor 0 (refused, with
// nothing changed, when a calibration of the user's is stored), writes the presets, makes the
// standard "sRGB" preset the one in force when none is, writes and registers the profile
// family for that target, loads its ramp with SetGammaRamp and reads the ramp back. No
// calibration date is stored: no calibration was made. The report says where the profiles
// are, which preset is in force and what ramp the monitor holds.
bool storeSampleCalibration(const std::string& suiteFolder, Report& report);

}  // namespace installer
