// Windows-1252 <-> UTF-16: Latin-1 everywhere but 0x80-0x9F, where the code page puts
// typographic characters, the euro sign and a few letters.
#include "codepage.h"

#include <array>
#include <cstddef>

namespace winplat::detail {
namespace {

// UTF-16 of bytes 0x80-0x9F; the undefined ones keep their C1 value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char16_t fromWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t{byte};
}

char toWindows1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    for (size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == unit) return static_cast<char>(0x80 + i);
    return '?';
}

char16_t upperCaseUnit(char16_t unit) {
    if (unit >= u'a' && unit <= u'z') return unit - (u'a' - u'A');
    // Latin-1 à-þ, except the division sign, are 0x20 above their capitals; ÿ's is Ÿ.
    if (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7) return unit - 0x20;
    switch (unit) {
        case 0x00FF: return 0x0178;
        case 0x0161: return 0x0160;
        case 0x0153: return 0x0152;
        case 0x017E: return 0x017D;
        default: return unit;
    }
}

}  // namespace winplat::detail
