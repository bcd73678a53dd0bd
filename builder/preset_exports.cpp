// GetSpectrineCurrent and GetSpectrineCurrentPresetName: the same in every build.
#include "export_guard.h"
#include "profforge.h"
#include "winplat.h"

BUILDER_API LPCSTR GetSpectrineCurrent(void) { return SPECTRINE_CURRENT_PRESET; }

BUILDER_API int GetSpectrineCurrentPresetName(LPSTR out, DWORD size) {
    return builder::guarded(0, [&] {
        if (!out || size == 0) return 0;
        out[0] = '\0';
        PresetRecord current{};
        current.size = PRESETRECORD_SIZE;
        if (!ReadSpectrinePreset(SPECTRINE_CURRENT_PRESET, &current)) return 0;
        WinplatFormatC(out, size, "%s", current.description);
        return 1;
    });
}
