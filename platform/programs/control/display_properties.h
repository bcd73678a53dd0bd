// "Display Properties" of the control stand-in: a read-only "Settings" page (its template is
// dialog 100 of `resources`), then the pages of every property-sheet handler registered for the
// display, in a modal sheet.
#pragma once

#include "win32.h"

// Where the display's property-sheet handlers are registered (under HKEY_LOCAL_MACHINE): one
// subkey per handler, whose default value is its class id (or whose name is).
inline constexpr const char* kDisplayHandlersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\PropertySheetHandlers";

// Runs the sheet from page `startPage` on; PropertySheetA's result (-1 when it cannot be made).
INT_PTR runDisplayProperties(HINSTANCE resources, UINT startPage);
