// Preset records as the store's and the builders' tests make them.
#pragma once

#include <cstring>
#include <string>

#include "vltutil.h"

namespace vlt::test {

inline PresetRecord presetRecord(double red, double green, double blue, LONG temperature, LONG flags,
                                 const std::string& description) {
    PresetRecord r;
    std::memset(&r, 0, sizeof r);
    r.size = PRESETRECORD_SIZE;
    r.gammaRed = red, r.gammaGreen = green, r.gammaBlue = blue;
    r.temperature = temperature;
    r.flags = flags;
    std::strncpy(r.description, description.c_str(), sizeof r.description - 1);
    return r;
}

// The same gamma for the three channels.
inline PresetRecord presetRecord(double gamma, LONG temperature, LONG flags, const std::string& description) {
    return presetRecord(gamma, gamma, gamma, temperature, flags, description);
}

// A record full of marker bytes, with the size field a reader must leave alone.
inline PresetRecord markedPresetRecord() {
    PresetRecord r;
    std::memset(&r, 0xbd, sizeof r);
    r.size = 0xdeadbeef;
    return r;
}

}  // namespace vlt::test
