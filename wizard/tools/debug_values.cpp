#include "debug_values.h"

namespace huevista::drive {

std::string describe(const DebugValues& values, const DebugValues* other) {
    static const struct {
        size_t first, count;
        const char* name;
    } groups[] = {{kDisplayType, 1, "display type"}, {kBlackPoint, 3, "black point"}, {kShadows, 3, "shadows"},
                  {kMidtones, 3, "midtones"},        {kHighlights, 3, "highlights"}, {kLighting, 1, "lighting"},
                  {kLuminance, 1, "luminance"},      {kColor, 1, "color"}};
    std::string out;
    for (const auto& g : groups) {
        if (!out.empty()) out += ", ";
        out += g.name;
        for (size_t i = g.first; i < g.first + g.count; ++i) {
            out += ' ';
            if (other && (*other)[i] != values[i]) out += '*';
            out += std::to_string(values[i]);
        }
    }
    return out;
}

}  // namespace huevista::drive
