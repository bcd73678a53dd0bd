// The contract between gdi/ and the other folders (internal): device contexts of windows, the
// painting contexts' share of the display's HDC functions, and presenting what was painted.
#pragma once

#include "rectset.h"
#include "win32.h"

namespace winplat::detail {

// A context painting a window's client area (or, with `wholeWindow`, the whole window), clipped
// to its visible part and, when `clip` is given, to those rectangles (client coordinates).
// Null with ERROR_NOT_SUPPORTED when the window has no surface (no driver). Released with
// ReleaseDC, which shows what was painted.
HDC windowDeviceContext(HWND hwnd, bool wholeWindow, const RectSet* clip);
// Whether a window has a place on the desktop (it is not message-only) (user/window.cpp).
bool windowHasPlace(HWND hwnd);
// Whether `hdc` is a painting context (window or memory), which the display functions hand on.
bool isPaintingContext(HDC hdc);
// ReleaseDC and DeleteDC of a painting context: 1/TRUE, or 0/FALSE when it is not one of that
// kind (a window context is released, a memory context deleted).
int releasePaintingContext(HDC hdc);
BOOL deletePaintingContext(HDC hdc);
// Shows what the painting contexts changed on every window since the last time.
void presentPainted();
// Draws a style element (WINPLAT_THEME_* of user/driver.h) in `state` over a rectangle of the
// context (logical coordinates), inside its clip; false without the driver.
bool drawThemeElement(HDC hdc, int element, UINT state, const RECT& rect);
// The brush of a system colour, made once per process state.
HBRUSH systemColourBrush(int index);

}  // namespace winplat::detail
