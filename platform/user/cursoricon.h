// Cursors (internal): the system cursor a handle names, and the window under the pointer.
#pragma once

#include "win32.h"

namespace winplat::detail {

// The IDC_* number of a system cursor handle, 0 for any other handle.
int systemCursorOf(HCURSOR cursor);
// The window the pointer is over now, whose Qt window shows the current cursor.
void pointerOver(HWND hwnd);
void resetCursors();

}  // namespace winplat::detail
