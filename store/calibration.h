// vltutil: calibration records, the recalibration date, room lighting, gamma sets and the
// per-channel look-up tables. Included from vltutil.h.
#pragma once

#include "win32.h"

#include "vltutil_api.h"

// The stored calibration of one monitor as the store hands it to the profile builders, the
// colour pages and the wizard. The caller clears it and sets `size` to MONITORPARMS_SIZE first.
#define MONITORPARMS_SIZE 672
typedef struct _MONITORPARMS {
    DWORD size;  // MONITORPARMS_SIZE
    double redX, redY, greenX, greenY, blueX, blueY;  // primaries, from the monitor's model record
    double whiteX, whiteY;                            // white point of the calibration
    double reserved[2];                               // set to 0 by the store
    double gammaRed, gammaGreen, gammaBlue;
    double gainRed, gainGreen, gainBlue;        // drive level (0 to 1) found for each channel
    double offsetRed, offsetGreen, offsetBlue;  // normalised black offset of each channel
    char description[256];
    char modelKey[256];  // monitor model key (see monitor_inf.h)
} MONITORPARMS, *LPMONITORPARMS;

SPECTRINE_STATIC_ASSERT(sizeof(MONITORPARMS) == MONITORPARMS_SIZE, "monitor parameters record is 672 bytes");

// ---- Calibration records ("Calibration" value = calibration name, REG_MULTI_SZ) --------------
// Twelve elements: description "%s" (at most 255 characters are kept), white x and y "%.5f",
// gammas "%3.2f", offsets "%.3f", gains "%.3f". 1 on success; 0, with nothing written, on a
// registry error, a number that is not finite, or numbers whose text would make the record
// longer than the 512 bytes the reader reads.
VLTUTIL_API int WriteSpectrineCalibrationName(LPCSTR name, LPCSTR description, double whiteX,
                                              double whiteY, double gammaRed, double gammaGreen,
                                              double gammaBlue, double offsetRed,
                                              double offsetGreen, double offsetBlue,
                                              double gainRed, double gainGreen, double gainBlue);
// The same under the value name "%d" of `number`.
VLTUTIL_API int WriteSpectrineCalibration(int number, LPCSTR description, double whiteX,
                                          double whiteY, double gammaRed, double gammaGreen,
                                          double gammaBlue, double offsetRed, double offsetGreen,
                                          double offsetBlue, double gainRed, double gainGreen,
                                          double gainBlue);
// A one-element record (the description alone) under "%d" of `number`.
VLTUTIL_API int WriteSpectrineCalibration0(int number, LPCSTR description);
// Fills `record` (whose size field must be MONITORPARMS_SIZE, else it is left untouched) from
// the calibration `name` and the primaries of the model record named by "Settings" `name`.
// 1 when both were found, else 0 (the calibration fields may then be filled already).
VLTUTIL_API int GetSpectrineCalibrationName(LPCSTR name, LPMONITORPARMS record);
VLTUTIL_API int GetSpectrineCalibration(int number, LPMONITORPARMS record);
// Deletes everything below "Calibration" (its subkeys and values) except the "Win98Profile" and
// "Win98Profile" + n values, which stay untouched; the subkey itself goes when none is left.
// All of it lands in one registry group: 1 when it did, 0 (nothing changed) when the subkey is
// absent or a deletion failed.
VLTUTIL_API int DeleteAllSpectrineCalibration(void);

// ---- Date, recalibration, lighting ---------------------------------------------------------
// "Calibration" "Date": month "%2.2d", day "%2.2d", year "%d" of today's local date.
VLTUTIL_API int WriteSpectrineCalibrationDate(void);
// 1 when today is on or after the stored date plus GetSpectrineCalibrationLimit() months (the
// day clamped to that month's length); 0 when not yet due, for a future date, or without a
// readable date.
VLTUTIL_API int IsSpectrineCalibrationOutdated(void);
// "Calibration" "Lighting" as "%d"; the reader returns 0 when it is absent.
VLTUTIL_API int WriteSpectrineCalibrationLighting(int index);
VLTUTIL_API int GetSpectrineCalibrationLighting(void);

// ---- Gamma sets ("Calibration\<set name>", value "%d" of the record number) ----------------
// Description "%s", gammas "%3.2f", trailing text "%s" (each text cut to 255 characters). 1 on
// success; 0, with nothing written, for a gamma that is not finite or a record that would be
// longer than the 1024 bytes the reader reads.
VLTUTIL_API int WriteSpectrineGamma(int number, LPCSTR setName, LPCSTR description,
                                    double gammaRed, double gammaGreen, double gammaBlue,
                                    LPCSTR trailing);
// A record of the description alone.
VLTUTIL_API int WriteSpectrineGamma0(int number, LPCSTR setName, LPCSTR description);
// Reads a gamma set record. Every output may be null; each text output takes
// SPECTRINE_GAMMA_TEXT_SIZE characters with its terminator. 1, or 0 when the record is absent
// or not REG_MULTI_SZ (the outputs are then left as they were).
#define SPECTRINE_GAMMA_TEXT_SIZE 256
VLTUTIL_API int GetSpectrineGamma(int number, LPCSTR setName, LPSTR description,
                                  double* gammaRed, double* gammaGreen, double* gammaBlue,
                                  LPSTR trailing);

// ---- Look-up tables --------------------------------------------------------------------------
// Each table is 256 entries; entry i holds an 8-bit level L as L x 256. Parameters per channel:
// target exponent a, display exponent d, offset o, gain g. Forward: the level to send for a
// requested level; inverse: the other way. A null table pointer is skipped. Both return 1.
VLTUTIL_API int GetSpectrineLUT(WORD* red, WORD* green, WORD* blue, double targetRed,
                                double targetGreen, double targetBlue, double displayRed,
                                double displayGreen, double displayBlue, double offsetRed,
                                double offsetGreen, double offsetBlue, double gainRed,
                                double gainGreen, double gainBlue);
VLTUTIL_API int GetSpectrineBackLUT(WORD* red, WORD* green, WORD* blue, double targetRed,
                                    double targetGreen, double targetBlue, double displayRed,
                                    double displayGreen, double displayBlue, double offsetRed,
                                    double offsetGreen, double offsetBlue, double gainRed,
                                    double gainGreen, double gainBlue);

// LUT files in the "LutDir" directory: 32 zero bytes, then forward red, green, blue and inverse
// red, green, blue, 512 bytes each, little-endian (SPECTRINE_LUT_FILE_SIZE bytes).
#define SPECTRINE_LUT_FILE_SIZE 3104
// 1, or 0 when "LutDir" is not set or the file cannot be created or fully written.
VLTUTIL_API int WriteSpectrineLUT(LPCSTR fileName, double targetRed, double targetGreen,
                                  double targetBlue, double displayRed, double displayGreen,
                                  double displayBlue, double offsetRed, double offsetGreen,
                                  double offsetBlue, double gainRed, double gainGreen,
                                  double gainBlue);
// Reads the header and the three forward tables; 1 only when all of them were read (the
// tables are left untouched otherwise). `reserved` is not used.
VLTUTIL_API int ReadSpectrineLUT(LPCSTR fileName, DWORD reserved, WORD* red, WORD* green,
                                 WORD* blue);
// The file system's result of deleting the file; 0 when "LutDir" is not set.
VLTUTIL_API BOOL DeleteSpectrineLUT(LPCSTR fileName);
