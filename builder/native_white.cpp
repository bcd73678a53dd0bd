#include "native_white.h"

#include "description_line.h"
#include "vltutil.h"
#include "whitepoint_file.h"

namespace builder {

namespace {

std::optional<DisplayWhite> againstReference(const Primaries& primaries, const ToneModel& model,
                                             const Vec3& gains, const Vec3& reference) {
    Vec3 luminances{};
    for (int k = 0; k < 3; ++k) luminances[k] = model.luminance(k, gains[k]);
    return nativeWhiteFromReference(primaries, luminances, reference);
}

}  // namespace

std::optional<Vec3> referenceWhite(int lighting) {
    double xyz[3] = {0, 0, 0};
    if (!whitepoint::readTriple(whitepoint::referenceFile(), whitepoint::key("D50Ref_", lighting), xyz))
        return std::nullopt;
    return Vec3{xyz[0], xyz[1], xyz[2]};
}

std::optional<DisplayWhite> measuredNativeWhite(const Primaries& primaries, const ToneModel& model,
                                                const Vec3& gains, int lighting) {
    const auto reference = referenceWhite(lighting);
    if (!reference) return std::nullopt;
    return againstReference(primaries, model, gains, *reference);
}

std::optional<DisplayWhite> calibratedNativeWhite(const Primaries& primaries,
                                                  const ToneModel& model, const Vec3& gains,
                                                  int lighting, double storedX, double storedY) {
    const auto reference = referenceWhite(lighting);
    if (!reference) return nativeWhiteFromChromaticity(primaries, storedX, storedY);
    return againstReference(primaries, model, gains, *reference);
}

bool storeMeasuredWhite(double* out, const char* monitorName, const ToneModel& model,
                        const Vec3& gains, int lighting, int monitor) {
    if (!out || !monitorName) return false;
    char line[256] = "";
    GetMonitorInfString0(monitorName, line, sizeof line, monitor);
    if (!line[0]) return false;
    const auto white = measuredNativeWhite(parseDescriptionLine(line).primaries, model, gains, lighting);
    if (!white) return false;
    out[0] = white->x;
    out[1] = white->y;
    return true;
}

}  // namespace builder
