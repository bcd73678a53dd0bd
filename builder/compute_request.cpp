#include "compute_request.h"

#include <cmath>

#include "description_line.h"
#include "export_guard.h"
#include "native_white.h"
#include "ramps.h"

namespace builder {

namespace {

// Description lines are fetched into this many characters.
constexpr DWORD kLineSize = 512;

}  // namespace

int computeForMonitor(const ComputeRequest& request) {
    return GetSpectrineScreenType(request.monitor) != 0 ? computePanelProfiles(request)
                                                         : computeCrtProfiles(request);
}

int computeExport(const ComputeRequest& request, int (*compute)(const ComputeRequest&)) {
    const int result = guarded(0, [&] { return compute(request); });
    if (!result && request.ramp && rampWanted(request)) fillIdentityRamp(request.ramp);
    return result;
}

std::optional<DisplayWhite> aimAtTargetWhite(const ComputeRequest& q, ICCMONITORPARMS& p,
                                             const ToneModel& model, const Vec3& calibratedGains,
                                             int lighting, double storedX, double storedY) {
    const Primaries primaries = primariesOf(p);
    const auto native = calibratedNativeWhite(primaries, model, calibratedGains, lighting, storedX, storedY);
    if (!native) return std::nullopt;
    p.whiteX = native->x;
    p.whiteY = native->y;
    if (!(q.flags & COMPUTE_UNADJUSTED) && !GetWhitePointFromTemperature(&p.whiteX, &p.whiteY, q.temperature))
        return std::nullopt;
    const auto gains = gainsForWhite(primaries, native->xyz, p.whiteX, p.whiteY, model);
    if (!gains) return std::nullopt;
    p.gainRed = (*gains)[0], p.gainGreen = (*gains)[1], p.gainBlue = (*gains)[2];
    return native;
}

std::string calibrationName(const char* base, int monitor) {
    return monitor == 0 ? std::string(base) : base + std::to_string(monitor);
}

std::optional<std::string> readDescriptionLine(int monitor) {
    char name[256];
    if (!(monitor == 0 ? GetSpectrineMonitorName(name, sizeof name)
                       : GetSpectrineMonitorName0(name, sizeof name, monitor)))
        return std::nullopt;
    char line[kLineSize] = "";
    if (monitor == 0)
        GetMonitorInfString(name, line, sizeof line);
    else
        GetMonitorInfString0(name, line, sizeof line, monitor);
    if (!line[0]) return std::nullopt;
    return std::string(line);
}

bool positiveGammas(const double* gammas) {
    if (!gammas) return false;
    for (int k = 0; k < 3; ++k)
        if (!(gammas[k] > 0.0 && std::isfinite(gammas[k]))) return false;
    return true;
}

bool rampWanted(const ComputeRequest& request) {
    return request.flags & (COMPUTE_GAMMA_RAMP | COMPUTE_INVERSE_RAMP);
}

}  // namespace builder
