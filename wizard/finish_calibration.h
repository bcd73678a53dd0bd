// Finishing the calibration: every monitor's record becomes its stored calibration, its ICC
// profiles, the preset family and the loaded gamma ramp, through the store and the profile
// builders in their fixed order. Works on the records given; each gets the temperature and
// white point computed for it.
#pragma once

#include <string>
#include <vector>

#include "calibration_record.h"
#include "panelforge.h"
#include "win32.h"

namespace huevista {

// The name monitor `monitor`'s calibration is stored under: "Monitor" (CRT) or "LCDPanel",
// with the monitor's number appended after the first.
std::string calibrationNameOf(int displayType, int monitor);

// A panel's record as the panel builder takes it: the three tone matches as drive levels and
// the table colour as the colour step found it.
PANELMODELRECORD panelModelOf(const CalibrationRecord& record);

// Stores everything for `records` (monitor 0 first). `window` receives the builders' progress.
void finishCalibration(HWND window, std::vector<CalibrationRecord>& records);

}  // namespace huevista
