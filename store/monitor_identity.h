// vltutil: the monitors of the desktop and their names. Included from vltutil.h; the model
// records themselves (MonitorInfRecord, GetMonitorInfString) are in monitor_inf.h.
//
// Monitor n (from 0) is the same monitor in every call: the n-th display device, the n-th
// entry of the monitor table and the n-th plug-and-play monitor key.
#pragma once

#include "win32.h"

#include "vltutil_api.h"

// A place on the desktop as its origin and extent (not its right and bottom edges).
typedef struct _MONITORRECT {
    LONG left;
    LONG top;
    LONG width;
    LONG height;
} MONITORRECT, *LPMONITORRECT;

// The model key of the first monitor when the system knows it as a plug-and-play EDID monitor
// ("PnP VESA DDC -", a blank and at most 259 characters of the system's description of it)
// into `out`, at most size - 1 characters: 1. Otherwise 0 with an empty `out` (always on the
// NT family, which has no plug-and-play monitor keys).
VLTUTIL_API int GetWindowsMonitorName(LPSTR out, DWORD size);
// The same for monitor n.
VLTUTIL_API int GetWindowsMonitorName0(LPSTR out, DWORD size, int monitor);

// The monitors of the desktop. On entry *count is how many rectangles `rectangles` can take
// (not read when `rectangles` is null); on return it holds the number of monitors. Writes at
// most that many monitor rectangles and, when `desktop` is not null, the rectangle of the
// whole desktop. Every pointer may be null. Returns 1 when there is more than one monitor.
// On Windows 98 and NT 5 the answer comes from the monitor table the library builds once per
// process (at most 9 monitors are recorded there; the count may be larger). On Windows 95 and
// NT 4 it comes from the OEM extension ("OEMIsMultiHeaded"): its desktop at (0, 0) and its
// displays as a grid, row by row from the top left. Without the extension, or when it gives a
// display or desktop of no width or height, the screen is the one monitor and the result is 0.
VLTUTIL_API int IsMultiHeaded(LPMONITORRECT rectangles, LPMONITORRECT desktop, int* count);
// The number of monitors when IsMultiHeaded reports several, else 1.
VLTUTIL_API int GetSpectrineNbMonitors(void);
