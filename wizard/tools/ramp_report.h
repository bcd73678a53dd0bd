// What the monitors hold after a calibration, read back through the display as any other
// process reads it: each monitor's ramp at a few levels.
#pragma once

#include <iosfwd>

namespace huevista::drive {

// Monitors 0 to `count` - 1, one line per level ("level: red green blue", of 255).
void printRamps(std::ostream& out, int count);

}  // namespace huevista::drive
