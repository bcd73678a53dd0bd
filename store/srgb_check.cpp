// Whether the sRGB profile can stand in for a requested target.
#include <cmath>
#include <string>

#include "icm_internal.h"
#include "store_internal.h"
#include "vltutil.h"
#include "winplat_files.h"

VLTUTIL_API int ChecksRGB(int kind, DWORD temperature, double gammaRed, double gammaGreen,
                          double gammaBlue) {
    // Every bit set when the switch cannot be read; only its four bytes need to be read.
    DWORD switches = 0;
    if (vlt::readFourBytes("Settings", "sRGBSwitch", switches) != ERROR_SUCCESS) switches = 0xFFFFFFFFu;
    bool applies = (kind == 0 && (switches & 1)) || kind == 1 || (kind == 3 && (switches & 2));
    if (!applies) return 0;
    if (temperature <= 6400 || temperature >= 6600) return 0;
    // The sRGB gamma as a slider or a stored "%3.2f" text gives it (within 0.005 of 2.2, so
    // 2.2000001 counts); a target of 2.21 is not sRGB.
    for (double gamma : {gammaRed, gammaGreen, gammaBlue})
        if (!(std::fabs(gamma - 2.2) < 0.005)) return 0;
    std::string dir = vlt::icm::colourDirectory();
    if (dir.empty()) return 0;
    return winplat::fileExists((dir + "sRGB Color Space Profile.icm").c_str()) ? 1 : 0;
}
