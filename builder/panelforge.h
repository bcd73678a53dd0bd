// panelforge: the profile builder of flat panels. It is profforge's builder with the panel
// transfer model in place of the CRT power law: the wizard's tone matches of each channel give
// a forward table (drive level to relative output) and an inverse table (wanted output to
// drive level) that serve the native white point, the gains, the curves of an unadjusted panel
// and its inverse ramp. ComputeICM, ComputePT, GetSpectrineCurrent and
// GetSpectrineCurrentPresetName are exported as in profforge (profforge.h).
#pragma once

#include <stddef.h>

#include "profforge.h"

// What the wizard measured on a panel: four groups of (level, red, green, blue). The levels
// are 1/3, 1/2, 2/3 and 1; red, green and blue of the first three groups are the drive levels
// (0 to 1) at which the channel matched the grey of that tone step, those of the fourth the
// gains (the white-point levels divided by the largest of them).
#define PANEL_MODEL_GROUPS 4
typedef struct _PANELMODELRECORD {
    DWORD count;  // groups to store (the wizard sets 4)
    double groups[PANEL_MODEL_GROUPS][4];
} PANELMODELRECORD, *LPPANELMODELRECORD;

SPECTRINE_STATIC_ASSERT(sizeof(PANELMODELRECORD) == 136, "panel model record is 136 bytes");
SPECTRINE_STATIC_ASSERT(offsetof(PANELMODELRECORD, groups) == 8, "groups after the count");

// The stored calibration of a panel, filled by GetOrbelModelCalibrationName. The caller clears
// it and sets `size` to LCDCALIBRATION_SIZE first.
#define LCDCALIBRATION_SIZE 736
typedef struct _LCDCALIBRATION {
    DWORD size;                                       // LCDCALIBRATION_SIZE
    double redX, redY, greenX, greenY, blueX, blueY;  // from the monitor's description line
    double whiteX, whiteY;                            // white point of the calibration
    double reserved[2];                               // 0
    char description[256];
    char modelKey[256];        // monitor model key ("Settings" "Monitor" + n)
    PANELMODELRECORD model;    // its count left 0
} LCDCALIBRATION, *LPLCDCALIBRATION;

SPECTRINE_STATIC_ASSERT(sizeof(LCDCALIBRATION) == LCDCALIBRATION_SIZE, "LCD calibration record is 736 bytes");
SPECTRINE_STATIC_ASSERT(offsetof(LCDCALIBRATION, description) == 88, "description after the doubles");
SPECTRINE_STATIC_ASSERT(offsetof(LCDCALIBRATION, model) == 600, "panel model at 600");

// ComputeProfiles for a panel: the same arguments, flags and result, with the calibration
// "LCDPanel" (monitor 0) or "LCDPanel" + n. Gains come from the panel model, no USB values are
// written, offsets are 0, and the gammas are 1.0 with COMPUTE_UNADJUSTED (which then needs no
// requested gammas), else the requested ones. The profiles of an unadjusted panel (screen type
// non-zero) have the panel's own curves: 32 entries of the forward model. COMPUTE_INVERSE_RAMP
// with COMPUTE_UNADJUSTED gives the forward model itself (entry i = forward level of i x 256);
// COMPUTE_GAMMA_RAMP with it the identity ramp. Fails as ComputeProfiles does, also when the
// calibration's gains are not above 0 or its numbers are not finite.
BUILDER_API int ComputeProfiles2(HWND window, LPCSTR presetName, const double* gammas,
                                 DWORD temperature, WORD* ramp, DWORD flags, int monitor);
// ComputeWhitePoint for a panel just measured: the model tables are built from `model` (and
// replace those of BeginIOModelTable); each channel's luminance is the forward model at the
// fourth group's gain. `out` is left as it was when no white point can be computed.
BUILDER_API void ComputeWhitePoint2(double* out, LPCSTR monitorName, const PANELMODELRECORD* model,
                                    int lighting, int monitor);
// WriteAllSpectrinePreset for a panel: the unadjusted preset comes from the calibration
// "LCDPanel" with gammas 1.0 and the temperature of its white point.
BUILDER_API int WriteAllSpectrinePreset2(void);
// SetGammaRamp with ComputeProfiles2 in place of ComputeProfiles.
BUILDER_API int SetGammaRamp2(int monitor);

// ---- LCD calibrations ("Calibration" value = calibration name, REG_MULTI_SZ) ---------------
// Description "%s" (at most 255 characters are kept), white x and y "%.5f", then red, green
// and blue "%1.3f" of each of the model's `count` groups; the levels are not stored. 1 when
// stored; 0, with nothing written, for a null name or model, a count above 4, a number that
// is not finite, or a record longer than the 512 bytes the reader reads.
BUILDER_API int WriteOrbelModelCalibrationName(LPCSTR name, LPCSTR description, double whiteX,
                                               double whiteY, const PANELMODELRECORD* model);
// Fills `record` (whose size must be LCDCALIBRATION_SIZE, else it is left untouched): the
// stored calibration `name`, the four groups with levels 1/3, 1/2, 2/3 and 1, the monitor model
// key of "Settings" "Monitor" + n and the primaries of its description line, where n is the
// number the name ends in (none: "Monitor", monitor 0). Non-zero when all of them were found.
BUILDER_API int GetOrbelModelCalibrationName(LPCSTR name, LPLCDCALIBRATION record);

// ---- The model tables for the wizard's patches ---------------------------------------------
// Builds the model tables from three groups of four doubles (level, red, green, blue; the
// first three groups of a panel model record): 1 when the tables are ready; with a null
// `groups` nothing is built and the ready flag is returned as it was.
BUILDER_API int BeginIOModelTable(const double* groups);
// The drive level (0 to 255) that makes the panel show output `level` on `channel` (0 red,
// 1 green, 2 blue): truncate(255 x inverse table[level]). Reads the tables as they stand:
// before any was built, the identity (the level itself). A level outside 0..255 is held to
// it; a channel outside 0..2 reads the grey table.
BUILDER_API int DoIOModel(int level, int channel);
// Marks the tables as no longer ready.
BUILDER_API void EndIOModelTable(void);
