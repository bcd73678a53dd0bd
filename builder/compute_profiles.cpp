// ComputeProfiles and ComputeWhitePoint of the CRT build. ComputeProfiles serves a monitor
// calibrated as a panel through the panel computation, so that the colour pages and tray
// programs, which call it for every monitor, load a panel's own ramp.
#include "compute_request.h"
#include "export_guard.h"
#include "native_white.h"
#include "profforge.h"

BUILDER_API int ComputeProfiles(HWND window, LPCSTR, const double* gammas, DWORD temperature,
                                WORD* ramp, DWORD flags, int monitor) {
    return builder::computeExport({window, gammas, temperature, ramp, flags, monitor},
                                  builder::computeForMonitor);
}

BUILDER_API void ComputeWhitePoint(double* out, LPCSTR monitorName, const double* gammas,
                                   const double* offsets, const double* gains, int lighting,
                                   int monitor) {
    builder::guarded(0, [&] {
        if (!gammas || !offsets || !gains) return 0;
        const double g[3] = {gammas[0], gammas[1], gammas[2]};
        const double o[3] = {offsets[0], offsets[1], offsets[2]};
        return builder::storeMeasuredWhite(out, monitorName, builder::PowerLawModel(g, o),
                                           {gains[0], gains[1], gains[2]}, lighting, monitor)
                   ? 1
                   : 0;
    });
}
