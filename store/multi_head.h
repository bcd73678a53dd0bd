// Where the monitors of the desktop lie (internal to the store): the answers IsMultiHeaded
// gives on systems without the multiple-monitor functions.
#pragma once

#include "monitor_identity.h"

namespace vlt {

// What the OEM extension says about a desktop of identical displays.
struct OemMultiHead {
    LONG displayWidth = 0, displayHeight = 0;  // one display
    LONG desktopWidth = 0, desktopHeight = 0;  // the whole desktop
    int count = 0;                             // displays
    bool multiHeaded = false;
};

// The displays laid out as a grid of (desktop width / display width) columns and (desktop
// height / display height) rows, numbered row by row from the top left, each rectangle of the
// display's size. Writes at most `capacity` rectangles, never more than the grid's cells nor
// than `count`; returns how many were written. A display of no width or height has no grid.
int layOutDisplayGrid(const OemMultiHead& answer, LPMONITORRECT out, int capacity);

}  // namespace vlt
