// The colour model of a display: primaries, white points, channel gains and profile colorants.
// Every function that could meet a singular matrix or a number that is not finite answers
// std::nullopt instead, so nothing undefined ever reaches a profile, a ramp or the registry.
#pragma once

#include <array>
#include <optional>

#include "tone_model.h"

namespace builder {

using Vec3 = std::array<double, 3>;
using Mat3 = std::array<Vec3, 3>;  // rows

// CIE 1931 chromaticities of the three primaries (red, green, blue).
struct Primaries {
    double x[3] = {0, 0, 0};
    double y[3] = {0, 0, 0};
};

// The matrix whose columns are (x, y, 1 - x - y) of red, green and blue.
Mat3 primaryMatrix(const Primaries& p);
// Inverse through the adjugate divided by the determinant; nullopt when the determinant is 0
// or a result is not finite.
std::optional<Mat3> inverse(const Mat3& m);
Mat3 multiply(const Mat3& a, const Mat3& b);
Vec3 multiply(const Mat3& m, const Vec3& v);
bool allFinite(const Vec3& v);

// truncate(v x 100000 + 0.5) x 0.00001.
double roundToFiveDecimals(double v);

// XYZ of a chromaticity with Y = 1; nullopt for y = 0 or numbers that are not finite.
std::optional<Vec3> whiteXYZ(double x, double y);

// The display's full-drive white and what the gains and the overall gamma need from it.
struct DisplayWhite {
    Vec3 xyz;            // W, full-drive white (scale of the reference)
    double x = 0, y = 0; // its chromaticity, rounded to five decimals
    Vec3 weights;        // share of each primary in the white's luminance (sum 1)
};

// The native white from the reference white R seen under the room lighting and the channel
// luminances at the calibrated gains: W = P D^-1 P^-1 R with D = diag(Y), weights from
// (P D)^-1 R.
std::optional<DisplayWhite> nativeWhiteFromReference(const Primaries& p, const Vec3& luminances,
                                                     const Vec3& reference);
// The same quantities for a display whose white chromaticity is already known (a stored
// calibration's white point).
std::optional<DisplayWhite> nativeWhiteFromChromaticity(const Primaries& p, double x, double y);

// Gains that turn the native white into the target white (xt, yt): each channel's drive level
// for the luminance it needs, the brightest-needed channel at full luminance.
std::optional<Vec3> gainsForWhite(const Primaries& p, const Vec3& nativeWhite, double xt,
                                  double yt, const ToneModel& model);

// Colorants (red, green, blue XYZ) of a profile whose white has the chromaticity (xw, yw).
std::optional<std::array<Vec3, 3>> colorants(const Primaries& p, double xw, double yw);

}  // namespace builder
