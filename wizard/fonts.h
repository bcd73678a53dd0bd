// The wizard's fonts, all of the face string 167 names ("Arial"), made once at start-up and
// deleted when the program ends.
#pragma once

#include <array>

#include "gdi_handle.h"
#include "win32.h"

namespace huevista {

enum class FontKind { Regular8, Regular10, Regular11, Regular12, Regular32, Bold10, Bold32, Count };

class Fonts {
public:
    Fonts();
    HFONT get(FontKind kind) const { return fonts_[static_cast<size_t>(kind)].get(); }

    // Pixel height (negative: the em size) of `points` on the screen: -points x LOGPIXELSY / 72,
    // with 72 pixels to the inch when no screen context can be had.
    static int heightOf(int points);

private:
    std::array<GdiHandle<HFONT>, static_cast<size_t>(FontKind::Count)> fonts_;
};

}  // namespace huevista
