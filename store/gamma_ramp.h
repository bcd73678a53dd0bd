// vltutil: the device gamma ramp of each monitor, the OEM driver's panning mode and the gains a
// USB monitor is driven with. Included from vltutil.h.
//
// A ramp is three arrays of 256 unsigned 16-bit entries (red, green, blue: 1536 bytes), entry =
// output level x 256; full scale is 65280. How it reaches the display depends on the system:
// on NT 4 only through the OEM extension; on Windows 98 and NT 5 through a device context made
// for the display device numbered `display`; on Windows 95 on the caller's device context.
#pragma once

#include "win32.h"

#include "vltutil_api.h"

// Loads `ramp` (1536 bytes); non-zero on success, 0 when the display or the extension it needs
// is missing. While USB gains can be sent, the gains in entry 255's high bytes (or, when those
// are all 0, the cached gains) go to the monitor first and the ramp is stretched in place to
// full scale: the caller's copy changes.
VLTUTIL_API int VLTSetDeviceGammaRamp(HDC dc, LPVOID ramp, int display);
// Reads the ramp in force into `ramp` (1536 bytes); non-zero on success.
VLTUTIL_API int VLTGetDeviceGammaRamp(HDC dc, LPVOID ramp, int display);
// Bit 0: ramps can be loaded ("Debug" "GammaRamp" decides when present). Bit 1: USB gains can be
// sent ("Debug" "USB" decides when present).
VLTUTIL_API int IsGammaRampSupported(void);

// The OEM driver's panning mode; 0 without the OEM extension. SetPanningOff then moves the
// pointer to (0, 0) and back to where it was.
VLTUTIL_API int IsPanningEnabled(int a, int b);
VLTUTIL_API int SetPanningOn(void);
VLTUTIL_API int SetPanningOff(void);

// Keeps the gains and biases last sent to a USB monitor as REG_DWORD "USB" "GainRed",
// "GainGreen", "GainBlue", "BiasRed", "BiasGreen", "BiasBlue", the biases negated. Returns the
// Win32 code of the first write that failed (0 when all succeeded).
VLTUTIL_API LONG WriteUSBValues(int gainRed, int gainGreen, int gainBlue, int biasRed,
                                int biasGreen, int biasBlue);
// Fills each non-null pointer from its value, the biases as stored (negated); a pointer whose
// value is absent keeps what it held. Returns how many values were read (0 to 6).
VLTUTIL_API int ReadUSBValues(int* gainRed, int* gainGreen, int* gainBlue, int* biasRed,
                              int* biasGreen, int* biasBlue);
