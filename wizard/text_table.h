// The wizard's texts from its string table.
#pragma once

#include <string>

#include "win32.h"

namespace huevista {

// String `id` of the program's string table; empty when it is missing.
std::string loadString(UINT id);
// String `id` with its one "%s" or "%d" filled in.
std::string formatString(UINT id, const char* text);
std::string formatString(UINT id, int number);

}  // namespace huevista
