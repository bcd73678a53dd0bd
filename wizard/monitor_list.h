// The monitors the wizard calibrates in turn, each with its rectangle on the virtual desktop,
// and the rectangle that bounds them all.
#pragma once

#include <vector>

#include "win32.h"

namespace huevista {

struct MonitorList {
    std::vector<RECT> monitors;  // left, top, right, bottom in desktop coordinates
    RECT bounds{};

    int count() const { return static_cast<int>(monitors.size()); }

    // From IsMultiHeaded: one monitor for each rectangle it wrote (at most nine), however many
    // it counted; without several monitors, the primary screen alone.
    static MonitorList fromStore();
};

}  // namespace huevista
