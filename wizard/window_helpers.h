// Small pieces the wizard's windows share.
#pragma once

#include <array>
#include <functional>
#include <span>

#include "gdi_handle.h"
#include "win32.h"

namespace huevista {

// Registers a window class of the program; a class an earlier run in this process registered
// is kept. `cursor` null: no class cursor (the window sets its own).
void registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, HCURSOR cursor);

// The dialogs' colours: black text on the grey (192, 192, 192) of the dialog background. Sets
// them on `dc` (a WM_CTLCOLOR* message's wParam) and returns the brush to answer with.
INT_PTR dialogGrey(WPARAM dc);

// The faces of an owner-drawn picture button: up, hot and down.
using ButtonFaces = std::array<GdiHandle<HBITMAP>, 3>;

// The messages of a row of owner-drawn picture buttons `ids`, `faces` holding each one's faces:
// WM_DRAWITEM of one stretches its face over it (down while pressed or when its index is
// `chosen`, hot while focused); a click on one calls `choose` with its index. True when handled,
// with `result` TRUE.
bool pictureButtonMessage(UINT message, WPARAM wParam, LPARAM lParam, std::span<const int> ids,
                          std::span<const ButtonFaces> faces, int chosen, const std::function<void(int)>& choose,
                          INT_PTR& result);

}  // namespace huevista
