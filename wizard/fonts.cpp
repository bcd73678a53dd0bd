#include "fonts.h"

#include <string>

#include "resource_ids.h"
#include "text_table.h"
#include "win32_holders.h"

namespace huevista {

int Fonts::heightOf(int points) {
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    const int perInch = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 72;
    return -MulDiv(points, perInch > 0 ? perInch : 72, 72);
}

Fonts::Fonts() {
    std::string face = loadString(IDS_FONT_FACE);
    if (face.empty()) face = "Arial";
    const struct {
        FontKind kind;
        int points;
        int weight;
    } kinds[] = {{FontKind::Regular8, 8, FW_NORMAL},   {FontKind::Regular10, 10, FW_NORMAL},
                 {FontKind::Regular11, 11, FW_NORMAL}, {FontKind::Regular12, 12, FW_NORMAL},
                 {FontKind::Regular32, 32, FW_NORMAL}, {FontKind::Bold10, 10, FW_BOLD},
                 {FontKind::Bold32, 32, FW_BOLD}};
    for (const auto& k : kinds)
        fonts_[static_cast<size_t>(k.kind)].reset(CreateFontA(heightOf(k.points), 0, 0, 0, k.weight, FALSE, FALSE,
                                                              FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                                              DEFAULT_PITCH | FF_SWISS, face.c_str()));
}

}  // namespace huevista
