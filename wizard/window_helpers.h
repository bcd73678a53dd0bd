// Small pieces the wizard's windows share.
#pragma once

#include <span>

#include "win32.h"

namespace huevista {

// Registers a window class of the program; a class an earlier run in this process registered
// is kept. `cursor` null: no class cursor (the window sets its own).
void registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, HCURSOR cursor);

// The dialogs' colours: black text on the grey (192, 192, 192) of the dialog background. Sets
// them on `dc` (a WM_CTLCOLOR* message's wParam) and returns the brush to answer with.
INT_PTR dialogGrey(WPARAM dc);

// Draws an owner-drawn picture button stretched over its face: `faces` up, hot and down; down
// while pressed or when `chosen`, hot while focused.
void drawPictureButton(const DRAWITEMSTRUCT& item, bool chosen, const HBITMAP (&faces)[3]);
// The index in `ids` of the button a WM_COMMAND's wParam reports clicked; -1 for anything else.
int clickedButton(WPARAM wParam, std::span<const int> ids);

}  // namespace huevista
