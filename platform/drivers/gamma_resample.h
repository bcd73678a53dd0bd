// Linear resampling of one gamma ramp channel between the 256 entries of the Win32 ramp and
// the size of a video card's table (internal; header-only so tests can check it directly).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace winplat::detail {

// `to` entries sampled from `from`: the first and last entries are kept, the ones between are
// interpolated linearly at the same relative position and rounded to the nearest integer.
// An empty `from` gives zeros; a single entry is repeated.
inline std::vector<uint16_t> resampleChannel(const uint16_t* from, size_t fromSize, size_t to) {
    std::vector<uint16_t> out(to, 0);
    if (fromSize == 0 || to == 0) return out;
    if (fromSize == to) {
        out.assign(from, from + fromSize);
        return out;
    }
    for (size_t i = 0; i < to; ++i) {
        double pos = to == 1 ? 0.0
                             : static_cast<double>(i) * static_cast<double>(fromSize - 1) /
                                   static_cast<double>(to - 1);
        auto low = static_cast<size_t>(pos);
        if (low >= fromSize - 1) {
            out[i] = from[fromSize - 1];
            continue;
        }
        double frac = pos - static_cast<double>(low);
        double value = from[low] + (static_cast<double>(from[low + 1]) - from[low]) * frac;
        out[i] = static_cast<uint16_t>(std::lround(value));
    }
    return out;
}

}  // namespace winplat::detail
