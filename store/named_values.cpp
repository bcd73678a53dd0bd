// Typed values of the key tree: monitor names, the unadjusted preset, counts and switches.
#include <cmath>
#include <cstdio>

#include "store_internal.h"
#include "vltutil.h"
#include "winplat.h"
#include "winplat_registry.h"

namespace {

// A string reader's answer: 1 when a non-empty text was read.
int readName(LPCSTR subkey, LPCSTR name, LPSTR out, DWORD size) {
    return GetSpectrineRegString(subkey, name, out, size) > 0 ? 1 : 0;
}

}  // namespace

VLTUTIL_API int GetSpectrineMonitorName(LPSTR out, DWORD size) {
    return readName("Settings", "Monitor", out, size);
}

VLTUTIL_API int WriteSpectrineMonitorName(LPCSTR name) {
    return WriteSpectrineRegString("Settings", "Monitor", name);
}

VLTUTIL_API int GetSpectrineMonitorName0(LPSTR out, DWORD size, int monitor) {
    return readName("Settings", vlt::monitorValueName("Monitor", monitor).c_str(), out, size);
}

VLTUTIL_API int WriteSpectrineMonitorName0(LPCSTR name, int monitor) {
    return WriteSpectrineRegString("Settings", vlt::monitorValueName("Monitor", monitor).c_str(), name);
}

VLTUTIL_API int WriteSpectrineUnadjustedString(LPCSTR text) {
    return WriteSpectrineRegString("Calibration", "Unadjusted", text);
}

VLTUTIL_API int GetSpectrineUnadjustedString(LPSTR out, DWORD size) {
    return readName("Calibration", "Unadjusted", out, size);
}

VLTUTIL_API int WriteSpectrineUnadjustedDescriptionString(LPCSTR text) {
    return WriteSpectrineRegString("Calibration", "UnadjustedDescription", text);
}

VLTUTIL_API int GetSpectrineUnadjustedDescriptionString(LPSTR out, DWORD size) {
    return readName("Calibration", "UnadjustedDescription", out, size);
}

VLTUTIL_API int WriteSpectrineNbMonitors(int count) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", count);
    return WriteSpectrineRegString("Calibration", "Number of Monitors", text);
}

VLTUTIL_API LONG GetSpectrineScaleToD50(LPDWORD value) {
    if (!value) return ERROR_INVALID_PARAMETER;
    // A value of another size is an error too (ERROR_INVALID_DATA), never a success with 0.
    return vlt::readFourBytes("Settings", "ScaleToD50", *value);
}

VLTUTIL_API LONG WriteSpectrineScaleToD50(DWORD value) { return vlt::writeDword("Settings", "ScaleToD50", value); }

VLTUTIL_API int GetSpectrineCalibrationLimit(void) {
    DWORD months = 0;
    if (!vlt::readDword("Settings", "TimeToRecalibrate", months)) return 6;
    return months > 12 ? 12 : static_cast<int>(months);
}

VLTUTIL_API int GetSpectrineOEMString(LPCSTR keyText, LPSTR out, DWORD size) {
    if (!keyText) {
        if (out && size) out[0] = '\0';
        return 0;
    }
    // Kept under "Settings" as "OEM" followed by the picture's name ("OEMSplash", ...).
    char name[128];
    int n = std::snprintf(name, sizeof name, "OEM%s", keyText);
    if (n < 0 || static_cast<size_t>(n) >= sizeof name) {
        if (out && size) out[0] = '\0';
        return 0;
    }
    return readName("Settings", name, out, size);
}

VLTUTIL_API int ReadControlPanelInitscreen(int* flag) {
    DWORD v = 0;
    if (!flag || !vlt::readDword("Control Panel", "Initscreen", v)) return 0;
    *flag = v ? 1 : 0;
    return 1;
}

VLTUTIL_API int WriteControlPanelInitscreen(int* flag) {
    if (!flag) return 0;
    return vlt::writeDword("Control Panel", "Initscreen", *flag ? 1 : 0) == ERROR_SUCCESS ? 1 : 0;
}

VLTUTIL_API int ReadSpectrineLCDMode(DWORD* mode) {
    DWORD v = 0;
    if (!mode || !vlt::readDword("Settings", "LCDMode", v)) return 0;
    *mode = v;
    return 1;
}

VLTUTIL_API int WriteSpectrineScreenType(int screenType, int monitor) {
    return vlt::writeDword("Settings", vlt::monitorValueName("ScreenType", monitor).c_str(),
                           static_cast<DWORD>(screenType)) == ERROR_SUCCESS ? 1 : 0;
}

VLTUTIL_API int GetSpectrineScreenType(int monitor) {
    DWORD v = 0;
    if (!vlt::readDword("Settings", vlt::monitorValueName("ScreenType", monitor).c_str(), v)) return 0;
    return static_cast<int>(v);
}

VLTUTIL_API int WriteSpectrineOverallGamma(double weightRed, double weightGreen, double weightBlue,
                                           double gammaRed, double gammaGreen, double gammaBlue) {
    const double overall = weightRed * gammaRed + weightGreen * gammaGreen + weightBlue * gammaBlue;
    // Only what reads back: a gamma that is not finite, or whose text would not fit the
    // reader's buffer, is refused with nothing written.
    char precise[64], shown[64];
    if (!std::isfinite(overall)) return 0;
    const int n = WinplatFormatC(precise, sizeof precise, "%.5f", overall);
    if (n < 0 || static_cast<size_t>(n) >= sizeof precise) return 0;
    WinplatFormatC(shown, sizeof shown, "%3.2f", overall);
    // The precise number for the builders, the rounded text for the display page: other
    // processes see both change together.
    winplat::RegistryTransaction group;
    if (!WriteSpectrineRegString("Calibration", "OverallGammaValue", precise)) return 0;
    const int written = WriteSpectrineRegString("Calibration", "OverallGamma", shown);
    // What was written stays, as it did when the two landed one by one.
    const LONG landed = group.status() == ERROR_SUCCESS ? group.commit() : ERROR_SUCCESS;
    return landed == ERROR_SUCCESS ? written : 0;
}

VLTUTIL_API int GetSpectrineOverallGamma(double* gamma) {
    if (!gamma) return 0;
    char text[64];
    int n = GetSpectrineRegString("Calibration", "OverallGammaValue", text, sizeof text);
    if (n <= 0) return 0;
    vlt::readDecimal(text, text + n, *gamma);
    return 1;
}
