// vltutil: presets, the named targets for the display, and preset groups. Included from
// vltutil.h.
//
// A preset is one REG_MULTI_SZ value under "Preset" (or "Preset\<group>" for a member of a
// group), named after the preset: description "%s", gamma red, green and blue "%3.2f",
// temperature "%d", flags "%d", then the list's terminator. The preset named "Current"
// (SPECTRINE_CURRENT_PRESET) is the target in force; its description names the preset it came
// from.
#pragma once

#include <stddef.h>

#include "win32.h"

#include "vltutil_api.h"

#define PRESETRECORD_SIZE 552
#define PRESET_DESCRIPTION_SIZE 512
// Characters of a description that are stored (longer ones are cut when written).
#define PRESET_DESCRIPTION_LIMIT 255
// Bytes of a stored preset that are read back; every preset written fits.
#define PRESET_VALUE_LIMIT 512

// Flags: bit 0, the monitor's native state (its own white point, gammas and offsets); bit 15,
// a member of the standard family written after every calibration.
#define PRESET_UNADJUSTED 0x0001
#define PRESET_STANDARD 0x8000

#define SPECTRINE_CURRENT_PRESET "Current"

// A named target, filled in place. The caller sets `size` to PRESETRECORD_SIZE (the store does
// not check it).
typedef struct PresetRecord {
    DWORD size;
    double gammaRed, gammaGreen, gammaBlue;  // target gamma of each channel
    LONG temperature;                        // target white in kelvin
    LONG flags;                              // PRESET_UNADJUSTED, PRESET_STANDARD
    char description[PRESET_DESCRIPTION_SIZE];
} PresetRecord, *LPPRESETRECORD;

SPECTRINE_STATIC_ASSERT(sizeof(PresetRecord) == PRESETRECORD_SIZE, "preset record is 552 bytes");
SPECTRINE_STATIC_ASSERT(offsetof(PresetRecord, gammaRed) == 8, "gammas from offset 8");
SPECTRINE_STATIC_ASSERT(offsetof(PresetRecord, temperature) == 32, "temperature at 32");
SPECTRINE_STATIC_ASSERT(offsetof(PresetRecord, flags) == 36, "flags at 36");
SPECTRINE_STATIC_ASSERT(offsetof(PresetRecord, description) == 40, "description at 40");

// ---- One preset (1 on success, 0 otherwise) ------------------------------------------------
// Writes `record` under `name` (not empty) in "Preset". The description is cut to
// PRESET_DESCRIPTION_LIMIT characters; a gamma that is not finite, or numbers whose text
// would make the value longer than PRESET_VALUE_LIMIT bytes, refuse the write (nothing is
// written), so that every preset written reads back.
VLTUTIL_API int WriteSpectrinePreset(LPCSTR name, const PresetRecord* record);
// Fills every field of `record` but its size from the preset `name`; 0, with the record left
// as it was, when the preset is absent, not REG_MULTI_SZ or longer than PRESET_VALUE_LIMIT.
VLTUTIL_API int ReadSpectrinePreset(LPCSTR name, PresetRecord* record);
// Deletes the preset `name` of "Preset".
VLTUTIL_API int DeleteSpectrinePreset(LPCSTR name);

// ---- Enumeration -------------------------------------------------------------------------------
// The preset at position `index` of "Preset" in the registry's order. *nameSize is in and out
// as for RegEnumValueA (characters of `name` with its terminator on entry, the name's length
// on return; the caller sets it before every call). Fills `record` (may be null) as
// ReadSpectrinePreset. 0 at the end of the list, when the name does not fit, and for a value
// at that position that is no preset (not REG_MULTI_SZ, or too long): the next index goes on.
VLTUTIL_API int EnumSpectrinePreset(DWORD index, LPSTR name, LPDWORD nameSize, PresetRecord* record);
// The group (subkey of "Preset") at position `index`; *nameSize as above. 0 at the end.
VLTUTIL_API int EnumSpectrinePresetGroup(DWORD index, LPSTR name, LPDWORD nameSize);

// ---- Members of a group: as above within "Preset\<group>"; an empty group is "Preset" ---------
VLTUTIL_API int EnumSpectrinePreset0(LPCSTR group, DWORD index, LPSTR name, LPDWORD nameSize,
                                     PresetRecord* record);
VLTUTIL_API int ReadSpectrinePreset0(LPCSTR group, LPCSTR name, PresetRecord* record);
VLTUTIL_API int WriteSpectrinePreset0(LPCSTR group, LPCSTR name, const PresetRecord* record);

// ---- The standard family -----------------------------------------------------------------------
// Deletes every preset of "Preset" whose flags have PRESET_STANDARD, except the one named
// `keepName` (may be null), which stays as it is; values that are no preset are left alone and
// groups are not touched. Lands whole: 1, or 0 with nothing changed on a registry error.
VLTUTIL_API int DeleteAllSpectrinePreset(LPCSTR keepName);
// Writes the standard presets described by "Preset.inf" beside the monitor INF file
// ("Settings" "InfFile"), each with PRESET_STANDARD: the section "_" into "Preset", every
// section whose name holds "..." into the group of that name, whose earlier standard members
// it replaces. The file's format is described at its top. A preset the user made (flags
// without PRESET_STANDARD) and "Current" are never overwritten. Lands whole: 1, or 0 with
// nothing changed when the suite is not installed, the file has no sections or a write fails.
VLTUTIL_API int WriteStandardSpectrinePreset(void);
