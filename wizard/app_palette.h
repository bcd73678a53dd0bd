// The application palette: the 256 colours of resource "IDR_PALETTE" (226), entries 10 to 245
// reserved for palette animation.
#pragma once

#include "win32.h"

namespace huevista {

// The logical palette made from the program's palette resource; null when the resource is
// missing or short.
HPALETTE createAppPalette(HINSTANCE instance);

}  // namespace huevista
