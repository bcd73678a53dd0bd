// Conversions between correlated colour temperature and CIE 1931 xy chromaticity. The order of
// every sum is kept as the stored profiles and presets were computed with it.
#include "vltutil.h"

VLTUTIL_API int GetWhitePointFromTemperature(double* x, double* y, DWORD temperature) {
    if (!x || !y) return 0;
    const double t = temperature;
    if (t <= 4000.0 || t > 25000.0) {
        *x = 0.0;
        *y = 0.0;
        return 0;
    }
    const double t2 = t * t;
    const double t3 = t * t2;
    // CIE daylight locus, summed 1/T^2, 1/T^3, constant, 1/T.
    if (t <= 7000.0)
        *x = 2967800.0 / t2 + -4607000000.0 / t3 + 0.244063 + 99.11 / t;
    else
        *x = 1901800.0 / t2 + -2006400000.0 / t3 + 0.23704 + 247.48 / t;
    *y = (-3.0 * *x + 2.87) * *x - 0.275;
    return 1;
}

VLTUTIL_API int GetTemperatureFromWhitePoint(DWORD* temperature, double x, double y) {
    if (!temperature) return 0;
    // McCamy's cubic, summed n^3, n, n^2, constant.
    const double n = (0.332 - x) / (y - 0.1858);
    const double cct = 449.0 * (n * n * n) + 6823.3 * n + 3525.0 * (n * n) + 5520.33;
    // Truncated toward zero and kept as an unsigned 32-bit number; a negative or non-finite
    // temperature wraps or saturates as a 32-bit conversion would, and then fails the range test.
    DWORD t;
    if (cct != cct)
        t = 0x80000000u;
    else if (cct >= 4294967296.0 || cct <= -2147483649.0)
        t = 0x80000000u;
    else if (cct < 0)
        t = static_cast<DWORD>(static_cast<int32_t>(cct));
    else
        t = static_cast<DWORD>(cct);
    *temperature = t;
    return (t >= 5000u && t <= 11000u) ? 1 : 0;
}
