// "HuevistaText": the instruction panel. White text on black, broken into lines at spaces
// (when the next word would not fit) and at line feeds, at most 15 lines; the characters 0x01
// and 0x02 stand for the symbols of the monitor's brightness and contrast controls (bitmaps
// 217 and 218), drawn in their place in the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "win32.h"

namespace huevista {

inline constexpr char kInstructionClass[] = "HuevistaText";
inline constexpr int kInstructionMargin = 6;
inline constexpr int kInstructionLines = 15;
inline constexpr char kBrightnessSymbol = '\x01', kContrastSymbol = '\x02';

void registerInstructionClass(HINSTANCE instance);

// Width of `text` on `dc` with each symbol character `symbolWidth` pixels wide.
int measureInstruction(HDC dc, std::string_view text, int symbolWidth);
// The lines the panel shows for `text` in `width` pixels (a word wider than a line stands on a
// line of its own), at most kInstructionLines of them.
std::vector<std::string> breakInstruction(HDC dc, const std::string& text, int width, int symbolWidth);

}  // namespace huevista
