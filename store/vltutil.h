// vltutil: the suite's persistent state under HKEY_LOCAL_MACHINE
// "Software\Kalvenmor\Spectrine\95.4\" and the conversions every module shares.
// Plain C exports: 8-bit strings, caller buffers with their sizes, integer results.
// Every value name the store keeps, with its type and the exports that use it, is listed in
// KEYS.md beside this header.
#pragma once

#include "win32.h"

#include "vltutil_api.h"

// Root of the suite's key tree below HKEY_LOCAL_MACHINE; subkey paths are appended to it.
#define SPECTRINE_SUITE_KEY "Software\\Kalvenmor\\Spectrine\\95.4\\"

// ---- Generic accessors (Win32 result codes, 0 = success) -----------------------------------
VLTUTIL_API LONG GetSpectrineRegValue(LPCSTR subkey, LPCSTR valueName, LPDWORD type, LPBYTE data,
                                      LPDWORD size);
// Creates the subkey when missing; null `data` deletes the value.
VLTUTIL_API LONG WriteSpectrineRegValue(LPCSTR subkey, LPCSTR valueName, DWORD type,
                                        const BYTE* data, DWORD size);
// Length of the REG_SZ text read: the value up to its first NUL (a value stored with trailing
// NULs counts only its text), cut at size - 1 when it was stored without a terminator; 0 and
// an empty `out` on any failure, for another type, or for a value larger than `size` bytes.
VLTUTIL_API int GetSpectrineRegString(LPCSTR subkey, LPCSTR valueName, LPSTR out, DWORD size);
// 1 on success, 0 on failure.
VLTUTIL_API int WriteSpectrineRegString(LPCSTR subkey, LPCSTR valueName, LPCSTR text);
VLTUTIL_API LONG EnumSpectrineRegValue(LPCSTR subkey, DWORD index, LPSTR valueName,
                                       LPDWORD valueNameSize, LPDWORD type, LPBYTE data,
                                       LPDWORD dataSize);
VLTUTIL_API LONG EnumSpectrineRegKey(LPCSTR subkey, DWORD index, LPSTR name, DWORD nameSize);

// ---- Installation paths --------------------------------------------------------------------
// "Settings" "AppFile" / "InfFile", cached together; 1, or 0 when the two are not both set.
VLTUTIL_API int GetSpectrineExeFile(LPSTR out, DWORD size);
VLTUTIL_API int GetSpectrineInfFile(LPSTR out, DWORD size);
// Pointer into `path` just after its last '\', '/' or ':' (the whole `path` when none).
VLTUTIL_API LPSTR GetFileInPath(LPCSTR path);

// ---- Names and counts (1 on success, 0 when absent or on failure) ---------------------------
VLTUTIL_API int GetSpectrineMonitorName(LPSTR out, DWORD size);
VLTUTIL_API int WriteSpectrineMonitorName(LPCSTR name);
VLTUTIL_API int GetSpectrineMonitorName0(LPSTR out, DWORD size, int monitor);
VLTUTIL_API int WriteSpectrineMonitorName0(LPCSTR name, int monitor);
VLTUTIL_API int WriteSpectrineUnadjustedString(LPCSTR text);
VLTUTIL_API int GetSpectrineUnadjustedString(LPSTR out, DWORD size);
VLTUTIL_API int WriteSpectrineUnadjustedDescriptionString(LPCSTR text);
VLTUTIL_API int GetSpectrineUnadjustedDescriptionString(LPSTR out, DWORD size);
VLTUTIL_API int WriteSpectrineNbMonitors(int count);

// ---- Switches ------------------------------------------------------------------------------
// Win32 codes; the reader stores 0 when the value cannot be read.
VLTUTIL_API LONG GetSpectrineScaleToD50(LPDWORD value);
VLTUTIL_API LONG WriteSpectrineScaleToD50(DWORD value);
// Months between calibrations: "TimeToRecalibrate" when REG_DWORD (at most 12), else 6.
VLTUTIL_API int GetSpectrineCalibrationLimit(void);
// OEM replacement file for a named picture ("Splash", "Progress", ...); 0: use the built-in one.
VLTUTIL_API int GetSpectrineOEMString(LPCSTR keyText, LPSTR out, DWORD size);
// The wizard's "Disable logo during start up" choice; the reader returns 0 when none is stored.
VLTUTIL_API int ReadControlPanelInitscreen(int* flag);
VLTUTIL_API int WriteControlPanelInitscreen(int* flag);
// Wizard display-type mode bits; 0 when no mode is stored.
VLTUTIL_API int ReadSpectrineLCDMode(DWORD* mode);
// Display type of monitor n's last calibration (0 = CRT, non-zero = LCD family).
VLTUTIL_API int WriteSpectrineScreenType(int screenType, int monitor);
// The stored type of monitor n, 0 when none is stored.
VLTUTIL_API int GetSpectrineScreenType(int monitor);
// Keeps the luminance-weighted overall gamma and its "%3.2f" text "Calibration" "OverallGamma".
VLTUTIL_API int WriteSpectrineOverallGamma(double weightRed, double weightGreen, double weightBlue,
                                           double gammaRed, double gammaGreen, double gammaBlue);
VLTUTIL_API int GetSpectrineOverallGamma(double* gamma);

// ---- White point and colour temperature ----------------------------------------------------
// Daylight-locus white point of 4000 < temperature <= 25000 K: 1; else 0 and x = y = 0.
VLTUTIL_API int GetWhitePointFromTemperature(double* x, double* y, DWORD temperature);
// Correlated colour temperature of (x, y), always stored; 1 when within 5000..11000 K.
VLTUTIL_API int GetTemperatureFromWhitePoint(DWORD* temperature, double x, double y);

// ---- Calibration records, look-up tables, monitor model records, ramps, presets ------------
#include "calibration.h"
#include "monitor_inf.h"
#include "monitor_identity.h"
#include "gamma_ramp.h"
#include "registration.h"
#include "presets.h"
