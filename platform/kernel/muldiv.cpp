// MulDiv: scaling by a fraction with a 64-bit product, rounding as Win32 rounds.
#include "win32.h"

WINPLAT_API int MulDiv(int nNumber, int nNumerator, int nDenominator) {
    if (nDenominator == 0) return -1;
    long long product = static_cast<long long>(nNumber) * nNumerator;
    long long d = nDenominator;
    if (d < 0) product = -product, d = -d;
    long long q = (product >= 0 ? product + d / 2 : product - d / 2) / d;
    if (q > INT32_MAX || q < INT32_MIN) return -1;
    return static_cast<int>(q);
}
