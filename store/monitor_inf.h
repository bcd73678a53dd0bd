// vltutil: monitor model records (MonitorInfRecord) and their lookup in the suite's monitor INF
// files. Included from vltutil.h.
#pragma once

#include "win32.h"

#include "vltutil_api.h"

// One monitor model record: "manufacturer, model, width, height, 1, red x, red y, green x,
// green y, blue x, blue y, dot pitch" (image size in hundredths of an inch, chromaticities
// "%4.4f", dot pitch in millimetres "%2.2f"). Description lines are fetched into this size.
#define MONITOR_INF_RECORD_SIZE 512
typedef char MonitorInfRecord[MONITOR_INF_RECORD_SIZE];
SPECTRINE_STATIC_ASSERT(sizeof(MonitorInfRecord) == MONITOR_INF_RECORD_SIZE, "model records are 512 characters");

// Manufacturer field of a record built from a monitor's EDID, and the start of the model key of
// such a monitor ("PnP VESA DDC -", a blank and the system's description of the monitor).
#define SPECTRINE_PNP_MONITOR_PREFIX "PnP VESA DDC -"

// The model record of `modelKey` into `out` (at most size - 1 characters): 1, or 0 with an
// empty output when the model is not found. Keys beginning with SPECTRINE_PNP_MONITOR_PREFIX
// are answered from the first monitor's EDID, any other key from the "Monitors" sections of
// the INF file named by "Settings" "InfFile" and its companions <name>1.inf to <name>8.inf
// (the first file that knows the key wins).
VLTUTIL_API int GetMonitorInfString(LPCSTR modelKey, LPSTR out, DWORD size);
// The same for monitor n (0 = the first): an EDID key is answered from monitor n's EDID.
VLTUTIL_API int GetMonitorInfString0(LPCSTR modelKey, LPSTR out, DWORD size, int monitor);
// The keys of the "Monitors" sections of the INF files, file by file, each terminated, the list
// ending with an empty string. Stops at the first file without keys and before the first key
// that does not fit. 1 when at least one key was listed.
VLTUTIL_API int GetMonitorInfList(LPSTR buffer, DWORD size);
