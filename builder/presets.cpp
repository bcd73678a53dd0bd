#include "presets.h"

#include "winplat.h"
#include "winplat_registry.h"

namespace builder {

namespace {

std::string readCalibrationText(int (*read)(LPSTR, DWORD)) {
    char text[kUnadjustedTextSize] = "";
    read(text, sizeof text);
    return text;
}

}  // namespace

std::string unadjustedPresetName() { return readCalibrationText(GetSpectrineUnadjustedString); }

std::string unadjustedPresetDescription() {
    return readCalibrationText(GetSpectrineUnadjustedDescriptionString);
}

int writeBuilderPreset(const char* name, const char* description, const double (&gammas)[3],
                       LONG temperature, LONG flags) {
    PresetRecord record{};
    record.size = PRESETRECORD_SIZE;
    record.gammaRed = gammas[0], record.gammaGreen = gammas[1], record.gammaBlue = gammas[2];
    record.temperature = temperature;
    record.flags = flags | PRESET_STANDARD;
    WinplatFormatC(record.description, PRESET_DESCRIPTION_LIMIT + 1, "%s", description ? description : "");
    return WriteSpectrinePreset(name, &record);
}

int writeAllPresets(const std::optional<NativeTarget>& native) {
    winplat::RegistryTransaction group;
    if (group.status() != ERROR_SUCCESS) return 0;
    const std::string name = unadjustedPresetName();
    // Without a calibration to write it from, the unadjusted preset stored before stays.
    PresetRecord previous{};
    previous.size = PRESETRECORD_SIZE;
    const bool keepPrevious = !native && !name.empty() && ReadSpectrinePreset(name.c_str(), &previous);

    if (!DeleteAllSpectrinePreset(SPECTRINE_CURRENT_PRESET)) return 0;
    if (native) {
        if (!name.empty() && !writeBuilderPreset(name.c_str(), unadjustedPresetDescription().c_str(),
                                                 native->gammas, native->temperature, PRESET_UNADJUSTED))
            return 0;
    } else if (keepPrevious && !WriteSpectrinePreset(name.c_str(), &previous)) {
        return 0;
    }
    if (!WriteStandardSpectrinePreset()) return 0;
    return group.commit() == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace builder
