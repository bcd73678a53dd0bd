// The emulated system's family as the store tells the families apart (internal): one reading
// of GetVersionExA, with every test the store makes of it.
#pragma once

#include "win32.h"

namespace vlt {

// How the system gives access to gamma ramps and monitors.
enum class SystemFamily {
    Nt4,           // NT 4: ramps through the OEM extension only
    MultiMonitor,  // Windows 98 and NT 5 or later: per display device, multiple-monitor functions
    Other,         // Windows 95: the ramp of the caller's device context
};

struct SystemVersion {
    DWORD platform = 0, major = 0, minor = 0;

    bool nt() const { return platform == VER_PLATFORM_WIN32_NT; }
    bool windows() const { return platform == VER_PLATFORM_WIN32_WINDOWS; }
    // Windows 95 (4.0), not 98 (4.10).
    bool windows95() const { return windows() && minor < 10; }
    bool windows98OrNt5() const { return (windows() && minor >= 10) || (nt() && major >= 5); }
    bool nt4() const { return nt() && major == 4; }
    bool ntBefore4() const { return nt() && major < 4; }
    // Image colour management: the 95 family and NT 5 or later.
    bool colourManagement() const { return windows() || (nt() && major >= 5); }
    // NT with major version above 4, or Windows with major version above 3 and minor version
    // above 9, has the multiple-monitor functions; NT 4 reaches ramps through the OEM extension.
    SystemFamily family() const {
        if (nt()) return major > 4 ? SystemFamily::MultiMonitor : SystemFamily::Nt4;
        if (windows() && major > 3 && minor > 9) return SystemFamily::MultiMonitor;
        return SystemFamily::Other;
    }
};

// GetVersionExA's answer (all zero, a system of no family, when it fails).
SystemVersion systemVersion();

}  // namespace vlt
