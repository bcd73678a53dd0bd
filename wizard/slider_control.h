// "HuevistaSlider": the trackbar of the slider steps, a superclass of the system trackbar that
// paints a channel bitmap and a thumb bitmap exactly where the trackbar reports its channel and
// thumb, over the brush its parent gives for WM_CTLCOLORSTATIC.
#pragma once

#include "win32.h"

namespace huevista {

inline constexpr char kSliderClass[] = "HuevistaSlider";

void registerSliderClass(HINSTANCE instance);
// The bitmaps a slider paints (owned by the caller, which keeps them while the slider lives).
void setSliderBitmaps(HWND slider, HBITMAP channel, HBITMAP thumb);

}  // namespace huevista
