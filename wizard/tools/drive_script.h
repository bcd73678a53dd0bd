// The script huevista-drive plays: an INI file with one section per monitor, "[Monitor 1]",
// "[Monitor 2]", ... in the wizard's monitor order, each giving the sixteen values of the
// debug exchange under these keys (comments on lines of their own, starting with ';'):
//
//   DisplayType=0            0 CRT, 1 flat panel, 2 notebook
//   BlackPoint=8,8,8         red, green, blue levels, as the Black Pt. step stores them
//   Shadows=160,160,160      the one-third matches
//   Midtones=-1,-1,-1        the one-half matches (flat panels and notebooks; -1 for a CRT)
//   Highlights=208,208,208   the two-thirds matches
//   Lighting=0               0 fluorescent, 1 incandescent, 2 halogen, 3 daylight
//   Luminance=80             the luminance slider, 0 to 100
//   Color=24                 the colour slider's position
//
// Every key must be there with whole numbers (three for a triple); sections are read from
// "Monitor 1" up to the first number that is missing.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "debug_values.h"

namespace huevista::drive {

struct ScriptError {
    std::string message;  // names the section and key at fault
};

// The monitors' values of the script at `path`, or what is wrong with it.
std::variant<std::vector<DebugValues>, ScriptError> readScript(const std::string& path);

}  // namespace huevista::drive
