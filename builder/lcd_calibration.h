// The calibration of a flat panel in the registry ("Calibration" value = calibration name,
// REG_MULTI_SZ: description, white x and y, then red, green and blue of each stored group of
// the panel model) and the LCD calibration record it is read into.
#pragma once

#include <string>

#include "panelforge.h"

namespace builder {

// Bytes of a stored LCD calibration that are read back; every one written fits.
inline constexpr DWORD kLcdValueLimit = 512;
// Levels of the four groups: the tone steps 1/3, 1/2, 2/3 and the white.
inline constexpr double kGroupLevels[PANEL_MODEL_GROUPS] = {1.0 / 3.0, 0.5, 2.0 / 3.0, 1.0};

// The monitor a calibration name belongs to: the number its trailing digits make, with their
// text ("2" of "LCDPanel2", "12" of "LCDPanel12") in `digits`; 0 and an empty text when it ends
// in no digit; -1 when the number is too large for any monitor.
int monitorOfCalibrationName(const char* name, std::string& digits);

// The stored value's elements (from `begin` to `end`, terminated inside the buffer) into the
// record: the description (cut to 255 characters), the white point and the twelve numbers of
// the four groups, with the levels set; missing numbers read as 0.
void parseLcdCalibrationValue(const char* begin, const char* end, LCDCALIBRATION& record);

// GetOrbelModelCalibrationName and WriteOrbelModelCalibrationName (panelforge.h).
int readLcdCalibration(const char* name, LCDCALIBRATION* record);
int writeLcdCalibration(const char* name, const char* description, double whiteX, double whiteY,
                        const PANELMODELRECORD* model);

}  // namespace builder
