// What ComputeProfiles and ComputeProfiles2 are asked, the two computations behind them, and
// the inputs they read alike. Both computations are in every build: ComputeProfiles serves a
// monitor calibrated as a panel through the panel computation.
#pragma once

#include <optional>
#include <string>

#include "colour_math.h"
#include "profforge.h"
#include "tone_model.h"

namespace builder {

struct ComputeRequest {
    HWND window;
    const double* gammas;  // three requested gammas
    DWORD temperature;     // requested white, kelvin
    WORD* ramp;            // 768 entries when a ramp is asked for
    DWORD flags;
    int monitor;
};

// The power-law computation of a CRT's calibration "Monitor" (+ n).
int computeCrtProfiles(const ComputeRequest& request);
// The panel-model computation of a panel's calibration "LCDPanel" (+ n).
int computePanelProfiles(const ComputeRequest& request);
// ComputeProfiles: the panel computation for a monitor whose screen type (GetSpectrineScreenType)
// is non-zero, else the CRT one.
int computeForMonitor(const ComputeRequest& request);

// Runs `compute` as an export does: nothing thrown leaves it, and when it fails a requested
// ramp holds the identity ramp.
int computeExport(const ComputeRequest& request, int (*compute)(const ComputeRequest&));

// The target white of a request and the gains that reach it: `p` (whose primaries are set)
// gets the native white of the calibration (measured under `lighting` with the model at the
// calibrated gains, or the stored white when the reference file has none for that lighting) or,
// without COMPUTE_UNADJUSTED, the white of the requested temperature, and the gains the model
// needs for it. The native white; nullopt when there is none or no gains reach the target.
std::optional<DisplayWhite> aimAtTargetWhite(const ComputeRequest& request, ICCMONITORPARMS& p,
                                             const ToneModel& model, const Vec3& calibratedGains,
                                             int lighting, double storedX, double storedY);

// Name of monitor n's calibration: `base` for monitor 0, else `base` followed by n.
std::string calibrationName(const char* base, int monitor);
// Monitor n's description line; nullopt without a monitor name or a line.
std::optional<std::string> readDescriptionLine(int monitor);
// Three gammas above 0 (and finite).
bool positiveGammas(const double* gammas);
// Whether a ramp is asked for.
bool rampWanted(const ComputeRequest& request);

}  // namespace builder
