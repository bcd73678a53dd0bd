// vltutil: registering profiles with the system's image colour management, the suite's default
// profile, the plug-in extensions told about it, and the status check that tells whether the
// registration still holds. Included from vltutil.h.
//
// A monitor's profiles are listed in its class key's "ICMProfile": on Windows 95 one name
// (REG_SZ, the full path); elsewhere a list (REG_BINARY: terminated file names, then an empty
// one; the last name is the default), or the legacy single byte that selects a stock profile.
// What was registered as each monitor's default last is kept in the suite's "ICM Registry Info"
// subkey: monitor 0's under the base names, monitor n's under the base names followed by n.
#pragma once

#include "win32.h"

#include "vltutil_api.h"

// Size of the block handed to plug-in extensions ("Calibration" "PlugInData"); bytes 140 to
// 399 hold the full path of the default profile, zero-padded.
#define SPECTRINE_PLUGIN_BLOCK_SIZE 920
#define SPECTRINE_PLUGIN_PATH_OFFSET 140
#define SPECTRINE_PLUGIN_PATH_SIZE 260

// Status codes of CheckSpectrineStatus.
#define SPECTRINE_STATUS_OK 0
#define SPECTRINE_STATUS_NOT_INSTALLED 1
#define SPECTRINE_STATUS_NOT_CALIBRATED 2
#define SPECTRINE_STATUS_CHANGED 3
#define SPECTRINE_STATUS_DEPTH_CHANGED 4

// ---- Registration (1 unless said otherwise) --------------------------------------------------
// Registers the profile at `path` (full path) again and, when makeDefault is non-zero, makes it
// the default of monitor n (published to the desktop as well), puts its file name last in the
// monitor's list and writes monitor n's registration record ("MonitorRegKey", "MonitorDesc",
// "MonitorICMProfile", each followed by n for n >= 1) with the machine's "Adapter", "BitsPixel"
// and "GamRamp". With makeDefault 0 the file's name leaves the list and no record is written.
VLTUTIL_API int RegisterICCProfile0(LPCSTR path, int makeDefault, int monitor);
VLTUTIL_API int RegisterICCProfile(LPCSTR path, int makeDefault);
// 1 when colour management is missing or the profile was registered and is now removed; 0 when
// it was not registered.
VLTUTIL_API int UnregisterICCProfile(LPCSTR path);
// 1 on Windows 95 and 98 and on NT 5 or later; 0 on NT 4 and earlier.
VLTUTIL_API int IsICMSupported(void);

// ---- Default profile -----------------------------------------------------------------------
// "Settings" "DefaultProfile" (0 when absent) into *selector; on Windows 98 and NT 5 or later
// 1 and 2 read as 3 and the result is 1, elsewhere the result is 0.
VLTUTIL_API int GetSpectrineDefaultProfile(DWORD* selector);
// Installs the default profile the selector chooses for monitor n from monitor n's own family
// (0: "Spectrine95.icm", 4: "sRGB_Spectrine.icc", 5: the OEM profile, others: "Pantone.icc",
// "Netvivid.icc" or the monitor's calibrated profile; a chosen file that does not exist gives
// "Netvivid.icc"; for n >= 1 the names are numbered as vlt::familyFileName numbers them, and a
// monitor whose own family was never written keeps monitor 0's files), registers the
// calibrated profile beside it, tells the plug-in extensions and stores the selector (2 when
// the suite is the Pantone edition). Returns the Win32 code of that store.
VLTUTIL_API LONG WriteSpectrineDefaultProfile0(DWORD selector, int monitor);
VLTUTIL_API LONG WriteSpectrineDefaultProfile(DWORD selector);

// ---- Recorded names (readers: the length read, 0 when absent; writers: 1 on success) -------
// The calibrated profile's file name: "Calibration" "Win98Profile", or "Win98Profile" + n.
VLTUTIL_API int GetWin98ProfileName(LPSTR out, DWORD size);
VLTUTIL_API int WriteWin98ProfileName(LPCSTR name);
VLTUTIL_API int GetWin98ProfileName0(LPSTR out, DWORD size, int monitor);
VLTUTIL_API int WriteWin98ProfileName0(LPCSTR name, int monitor);
// "ICM Registry Info" "MonitorICMProfile": the profile last registered as monitor 0's default.
VLTUTIL_API int GetSpectrineMonitorICMName(LPSTR out, DWORD size);
// The same for monitor n: "MonitorICMProfile" + n for n >= 1.
VLTUTIL_API int GetSpectrineMonitorICMName0(LPSTR out, DWORD size, int monitor);

// ---- sRGB and several monitors ---------------------------------------------------------------
// 1 when the sRGB profile should stand in for the target: the test applies for kind 0 with
// "sRGBSwitch" bit 0, for kind 1, and for kind 3 with bit 1 (every bit set when the switch is
// absent); then 6400 < temperature < 6600, every gamma within 0.005 of 2.2 and the colour directory's
// "sRGB Color Space Profile.icm" present.
VLTUTIL_API int ChecksRGB(int kind, DWORD temperature, double gammaRed, double gammaGreen,
                          double gammaBlue);
// Gives each of the last monitors one name of the first monitor's list: the first name to
// monitor count - 1, the next to count - 2, ..., until the list ends. A profile of the first
// monitor's own family (a fixed member or its recorded calibrated profile) is given as the
// receiving monitor's own member when that file exists; other names as they are. 1 when the
// first monitor's list (REG_BINARY, at most 1024 bytes) could be read, else 0.
VLTUTIL_API int DispatchICMForMultiMonitor(int count);

// ---- Plug-in extensions ----------------------------------------------------------------------
// Offers the 920-byte block to every "*.PIE" library in the folder of "Settings" "AppFile"
// (entry "SpectrinePlugInExtension", called with the block), then stores it as "Calibration"
// "PlugInData". 1 when it was stored.
VLTUTIL_API int SendToPlugInExtension(const BYTE* block);
// The stored block (all zero when none is stored) with `profilePath` in bytes 140 to 399,
// offered and stored as above.
VLTUTIL_API int UpdatePlugInExtension(LPCSTR profilePath);

// ---- Status ----------------------------------------------------------------------------------
// One of the SPECTRINE_STATUS_* codes: not installed ("AppFile" and "InfFile" not both set),
// never calibrated (no "MonitorICMProfile"), monitor, profile, description, adapter or
// gamma-ramp capability changed, colour depth changed; else 0. Monitor 0's registration is
// compared with its record, and so is that of every further monitor present that has a record
// of its own.
VLTUTIL_API int CheckSpectrineStatus(void);
// Empties "MonitorICMProfile" so that the next status check asks for a calibration. 1 on
// success.
VLTUTIL_API int ForceRecalibrationWarning(void);
// Whether the user may change machine-wide settings: on NT 4 1 for root or a member of the
// "sudo" or "wheel" group (the Administrators of this system), else 0; on every other system 1.
VLTUTIL_API int RunningAsAdministrator(void);
