// The profile family written for one target: "Spectrine95.icm" (always with ScaleToD50 = 0),
// the dated profile (Windows 98 and NT 4 or later), "Netvivid.icc" and "Pantone.icc", the one
// the default-profile selector names registered as the monitor's default. Each monitor has its
// own files: the names are monitor 0's, numbered for the others (vlt::familyFileName).
#pragma once

#include "colour_math.h"
#include "profforge.h"
#include "profile_content.h"

namespace builder {

struct FamilyRequest {
    HWND window = nullptr;                  // progress; may be null
    const ICCMONITORPARMS* parms = nullptr;
    Vec3 luminanceWeights{};                // for the overall gamma the store keeps
    DWORD temperature = 0;                  // the requested one, for the dated name
    int monitor = 0;
    const CurveSet* curves = nullptr;       // a panel's own curves in every profile
};

// Stores the overall gamma, then writes the family with progress 0, 0, 25, 50, 100. Every
// member is made and on disk before the first replaces its file; the files are then put in
// place and registered one by one with the progress between them. When the window asks to
// stop, the profile being written is finished and the rest skipped (their old files stay, and
// no further message is sent).
void writeProfileFamily(const FamilyRequest& request);

// Whether the system keeps a dated profile per monitor: Windows 98 or later of the 95 family,
// NT 4 or later.
bool systemKeepsDatedProfile();

}  // namespace builder
