#include "colour_math.h"

#include <algorithm>
#include <cmath>

namespace builder {

Mat3 primaryMatrix(const Primaries& p) {
    Mat3 m{};
    for (int k = 0; k < 3; ++k) {
        m[0][k] = p.x[k];
        m[1][k] = p.y[k];
        m[2][k] = 1.0 - p.x[k] - p.y[k];
    }
    return m;
}

std::optional<Mat3> inverse(const Mat3& m) {
    // Cofactor (i, j) from the rows and columns after i and j, cyclically.
    auto cofactor = [&m](int i, int j) {
        const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
        return m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1];
    };
    const double det = m[0][0] * cofactor(0, 0) + m[0][1] * cofactor(0, 1) + m[0][2] * cofactor(0, 2);
    if (det == 0.0 || !std::isfinite(det)) return std::nullopt;
    Mat3 inv{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            inv[i][j] = cofactor(j, i) / det;  // adjugate = transposed cofactors
            if (!std::isfinite(inv[i][j])) return std::nullopt;
        }
    return inv;
}

Mat3 multiply(const Mat3& a, const Mat3& b) {
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    return r;
}

Vec3 multiply(const Mat3& m, const Vec3& v) {
    Vec3 r{};
    for (int i = 0; i < 3; ++i) r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return r;
}

bool allFinite(const Vec3& v) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

double roundToFiveDecimals(double v) { return std::trunc(v * 100000.0 + 0.5) * 0.00001; }

std::optional<Vec3> whiteXYZ(double x, double y) {
    const Vec3 w{x / y, 1.0, (1.0 - x - y) / y};
    if (y == 0.0 || !allFinite(w)) return std::nullopt;
    return w;
}

namespace {

// Chromaticity (rounded) and the luminance shares of the primaries scaled by `scales`.
std::optional<DisplayWhite> describeWhite(const Primaries& p, const Vec3& w, const Vec3& scales) {
    const double sum = w[0] + w[1] + w[2];
    DisplayWhite white;
    white.xyz = w;
    white.x = roundToFiveDecimals(w[0] / sum);
    white.y = roundToFiveDecimals(w[1] / sum);
    double total = 0.0;
    for (int k = 0; k < 3; ++k) total += white.weights[k] = p.y[k] * scales[k];
    for (double& weight : white.weights) weight /= total;
    if (!allFinite(white.xyz) || !allFinite(white.weights) || !std::isfinite(white.x) ||
        !std::isfinite(white.y) || w[1] <= 0.0)
        return std::nullopt;
    return white;
}

}  // namespace

std::optional<DisplayWhite> nativeWhiteFromReference(const Primaries& p, const Vec3& luminances,
                                                     const Vec3& reference) {
    const Mat3 P = primaryMatrix(p);
    const auto Pinv = inverse(P);
    if (!Pinv || !allFinite(luminances) || !allFinite(reference)) return std::nullopt;
    Mat3 D{}, Dinv{};
    for (int k = 0; k < 3; ++k) {
        if (luminances[k] == 0.0) return std::nullopt;
        D[k][k] = luminances[k];
        Dinv[k][k] = 1.0 / luminances[k];
    }
    const Vec3 w = multiply(multiply(multiply(P, Dinv), *Pinv), reference);
    const auto PDinv = inverse(multiply(P, D));
    if (!PDinv) return std::nullopt;
    return describeWhite(p, w, multiply(*PDinv, reference));
}

std::optional<DisplayWhite> nativeWhiteFromChromaticity(const Primaries& p, double x, double y) {
    const auto w = whiteXYZ(x, y);
    const auto Pinv = inverse(primaryMatrix(p));
    if (!w || !Pinv) return std::nullopt;
    return describeWhite(p, *w, multiply(*Pinv, *w));
}

std::optional<Vec3> gainsForWhite(const Primaries& p, const Vec3& nativeWhite, double xt,
                                  double yt, const ToneModel& model) {
    const auto Pinv = inverse(primaryMatrix(p));
    if (!Pinv) return std::nullopt;
    const Vec3 native{nativeWhite[0] / nativeWhite[1] * 100.0, 100.0,
                      nativeWhite[2] / nativeWhite[1] * 100.0};
    const Vec3 target{xt / yt * 100.0, 100.0, (1.0 - xt - yt) / yt * 100.0};
    const Vec3 s = multiply(*Pinv, native);
    Vec3 r = multiply(*Pinv, target);
    for (int k = 0; k < 3; ++k) r[k] /= s[k];
    const double m = std::max(r[0], std::max(r[1], r[2]));
    Vec3 gains{};
    for (int k = 0; k < 3; ++k) gains[k] = model.drive(k, r[k] / m);
    if (!allFinite(gains)) return std::nullopt;
    return gains;
}

std::optional<std::array<Vec3, 3>> colorants(const Primaries& p, double xw, double yw) {
    const auto white = whiteXYZ(xw, yw);
    const Mat3 P = primaryMatrix(p);
    const auto Pinv = inverse(P);
    if (!white || !Pinv) return std::nullopt;
    const Vec3 s = multiply(*Pinv, *white);
    std::array<Vec3, 3> c{};
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 3; ++i) c[k][i] = s[k] * P[i][k];
        if (!allFinite(c[k])) return std::nullopt;
    }
    return c;
}

}  // namespace builder
