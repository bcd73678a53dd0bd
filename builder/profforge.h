// profforge: turns a stored monitor calibration and a target (three channel gammas and a colour
// temperature) into the profile family in the system colour directory, the USB monitor values
// and the video card's gamma ramp. panelforge is built from the same sources with the panel
// model of flat panels.
//
// Plain C exports: 8-bit strings, caller records and buffers filled in place, integer results.
// Failures are shown to the user only as message boxes (empty caption, warning icon).
#pragma once

#include <stddef.h>

#include "vltutil.h"
#include "win32.h"

#ifdef __cplusplus
#define BUILDER_API extern "C" __attribute__((visibility("default")))
#else
#define BUILDER_API __attribute__((visibility("default")))
#endif

// What one profile describes: built by ComputeProfiles, passed to ComputeICM and ComputePT.
typedef struct _ICCMONITORPARMS {
    LONG modelNumber;    // fifth field of the monitor description line; carried along only
    LPSTR manufacturer;  // the builder's buffer holds ICC_MANUFACTURER_SIZE characters
    LPSTR model;         // and ICC_MODEL_SIZE characters
    double redX, redY, greenX, greenY, blueX, blueY;
    double whiteX, whiteY;  // the white point the profile describes
    double gammaRed, gammaGreen, gammaBlue;
    double offsetRed, offsetGreen, offsetBlue;
    double gainRed, gainGreen, gainBlue;
} ICCMONITORPARMS, *LPICCMONITORPARMS;

#define ICC_MANUFACTURER_SIZE 200
#define ICC_MODEL_SIZE 128

// The block handed to plug-in extensions (SendToPlugInExtension) for the profile made the
// monitor's default; zero-filled, then these fields.
typedef struct _PLUGINRECORD {
    double gammaRed, gammaGreen, gammaBlue;     //   0
    double offsetRed, offsetGreen, offsetBlue;  //  24
    double gainRed, gainGreen, gainBlue;        //  48
    double redX, redY, greenX, greenY, blueX, blueY;  //  72
    double whiteX, whiteY;                            // 120
    DWORD temperature;                                // 136: kelvin of that white point
    char profilePath[SPECTRINE_PLUGIN_PATH_SIZE];     // 140: the monitor's default profile
    char reserved1[260];                              // 400: empty
    char reserved2[260];                              // 660: empty
} PLUGINRECORD;

SPECTRINE_STATIC_ASSERT(sizeof(PLUGINRECORD) == SPECTRINE_PLUGIN_BLOCK_SIZE, "plug-in record is 920 bytes");
SPECTRINE_STATIC_ASSERT(offsetof(PLUGINRECORD, redX) == 72, "primaries at 72");
SPECTRINE_STATIC_ASSERT(offsetof(PLUGINRECORD, temperature) == 136, "temperature at 136");
SPECTRINE_STATIC_ASSERT(offsetof(PLUGINRECORD, profilePath) == SPECTRINE_PLUGIN_PATH_OFFSET,
                      "profile path where the store writes it");
SPECTRINE_STATIC_ASSERT(offsetof(PLUGINRECORD, reserved1) == 400, "first empty text at 400");
SPECTRINE_STATIC_ASSERT(offsetof(PLUGINRECORD, reserved2) == 660, "second empty text at 660");
// Pointers are 8 bytes here: the record is 160 bytes with the doubles from offset 24.
SPECTRINE_STATIC_ASSERT(offsetof(ICCMONITORPARMS, redX) == 24, "doubles after the two texts");
SPECTRINE_STATIC_ASSERT(sizeof(ICCMONITORPARMS) == 160, "ICC parameters record is 160 bytes");

// ComputeProfiles flags (other bits are ignored).
#define COMPUTE_PROFILES 0x01      // write and register the profile family
#define COMPUTE_GAMMA_RAMP 0x02    // forward gamma ramp into the caller's buffer
#define COMPUTE_INVERSE_RAMP 0x04  // inverse ramp into the caller's buffer
#define COMPUTE_UNADJUSTED 0x10    // keep the native white point, gammas and offsets

// Progress while profiles are written: WM_USER with wParam = percent (0, 0, 25, 50, 100 for a
// whole family) and lParam = 0. A window that answers non-zero asks to stop: the profile being
// written is finished and the rest of the family skipped.
#define BUILDER_PROGRESS_MESSAGE WM_USER

// 1 on success, 0 on failure. `gammas` points to the three target gammas, `temperature` is the
// target white in kelvin, `ramp` receives 768 entries (red, green, blue; level x 256) with
// COMPUTE_GAMMA_RAMP or COMPUTE_INVERSE_RAMP and may be null otherwise; `monitor` is 0 for the
// single or primary monitor, n for monitor n. A monitor whose screen type
// (GetSpectrineScreenType) is non-zero was calibrated as a panel and is served as
// ComputeProfiles2 serves it (panelforge.h); so are SetGammaRamp's ramps. Fails, with nothing
// written, without a monitor name, a description line or a usable calibration, when the target
// temperature has no white point (without COMPUTE_UNADJUSTED), or when a requested ramp cannot
// be computed; a requested ramp then holds the identity ramp. Profile errors are shown, never
// returned.
BUILDER_API int ComputeProfiles(HWND window, LPCSTR presetName, const double* gammas,
                                DWORD temperature, WORD* ramp, DWORD flags, int monitor);
// Writes `name` + ".icm" (at most 251 characters of `name`, so that the file name fits the 255
// bytes of a file system) into the colour directory and
// registers it, as the monitor's default when isDefault is non-zero. Always 1.
BUILDER_API int ComputeICM(HWND window, const ICCMONITORPARMS* parms, LPCSTR name, int isDefault,
                           int monitor);
// Nothing to do; -1.
BUILDER_API int ComputePT(HWND window, const ICCMONITORPARMS* parms);
// The native white point (x, y) of a monitor just measured, against the reference white of the
// room lighting `lighting`: `monitorName` names the monitor's description line, `gammas`,
// `offsets` and `gains` point to three doubles each. `out` is left as it was when the
// description line or the reference white is missing or the result is not a number.
BUILDER_API void ComputeWhitePoint(double* out, LPCSTR monitorName, const double* gammas,
                                   const double* offsets, const double* gains, int lighting,
                                   int monitor);

// ---- Presets and the ramp in force -----------------------------------------------------------
// The presets after a calibration: the standard family deleted but "Current", the unadjusted
// preset written from the calibration "Monitor" (its gammas, the temperature of its white
// point, flags 1 with PRESET_STANDARD; without a readable calibration the one stored before
// stays), then the family of WriteStandardSpectrinePreset, all in one registry group. That
// function's result; on a failure nothing has changed.
BUILDER_API int WriteAllSpectrinePreset(void);
// "Current", the name of the preset in force.
BUILDER_API LPCSTR GetSpectrineCurrent(void);
// The description of "Current" (the name of the preset in force) into `out`, at most size - 1
// characters: 1; 0 with an empty `out` when "Current" cannot be read.
BUILDER_API int GetSpectrineCurrentPresetName(LPSTR out, DWORD size);
// Loads the ramp of the preset in force on monitor n: "Current" unless it names the
// unadjusted preset or cannot be computed (a gamma or the temperature not above 0), else the
// unadjusted preset (flags 1), else gammas 2.0 at 8500 K (flags 0) with the recalibration
// warning forced. Then writes that target back as "Current" (with PRESET_STANDARD), also when
// the ramp could not be computed or loaded. 1 when the ramp was loaded; 0 without ramp
// support or a screen, with nothing written.
BUILDER_API int SetGammaRamp(int monitor);
// Loads the identity ramp (entry i = i x 256) on monitor n; 1 when it was loaded.
BUILDER_API int ResetGammaRamp(int monitor);
