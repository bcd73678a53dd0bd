// The calibration log "Huevista.csv" beside the program: one block of fifteen lines per monitor
// appended at each Finish, after the header ",,Red,Green,Blue" when the file is new. Numbers
// are written in the C locale whatever the user's locale is.
#pragma once

#include <string>

#include "calibration_record.h"

namespace huevista {

// The log's path for the program file `programPath`.
std::string logPathFor(const std::string& programPath);

// The block of `record`: an empty line, then Screen, BlackPoint, Gamma 33/50/66, Lighting,
// Contrast, Color, Table Color, Table Color 1, Motta K, Motta Gamma, Temperature, WhitePoint.
std::string logBlock(const CalibrationRecord& record);

// Appends `record`'s block (with the header to a new file) in one write. False when the file
// cannot be opened or the write is short or fails; the file is then cut back to what it held.
bool appendLog(const std::string& path, const CalibrationRecord& record);

}  // namespace huevista
