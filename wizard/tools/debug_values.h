// The sixteen measurements of one monitor as the wizard's debug exchange carries them: signed
// 32-bit integers at offsets 0 to 60 of the shared block "HuevistaDebug".
#pragma once

#include <string>

#include "debug_exchange.h"

namespace huevista::drive {

enum Field : size_t {
    kDisplayType = 0,
    kBlackPoint = 1,   // R, G, B at 1..3
    kShadows = 4,      // 4..6
    kMidtones = 7,     // 7..9
    kHighlights = 10,  // 10..12
    kLighting = 13,
    kLuminance = 14,
    kColor = 15,
    kFieldCount = 16
};

using DebugValues = DebugFields;
static_assert(std::tuple_size_v<DebugValues> == kFieldCount);

// "display type 0, black point 8 8 8, ..." for messages; `other` marks the fields that differ
// from it with '*'.
std::string describe(const DebugValues& values, const DebugValues* other = nullptr);

}  // namespace huevista::drive
