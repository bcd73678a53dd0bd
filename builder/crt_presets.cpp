// The CRT build's preset exports: the presets after a calibration, and the ramps of the
// preset in force and of the identity, computed with the power-law model of ComputeProfiles.
#include <optional>

#include "export_guard.h"
#include "preset_ramp.h"
#include "presets.h"
#include "profforge.h"

BUILDER_API int WriteAllSpectrinePreset(void) {
    return builder::guarded(0, [] {
        // The calibration is read before anything is deleted.
        MONITORPARMS calibration{};
        calibration.size = MONITORPARMS_SIZE;
        std::optional<builder::NativeTarget> native;
        if (GetSpectrineCalibrationName("Monitor", &calibration)) {
            DWORD temperature = 0;
            GetTemperatureFromWhitePoint(&temperature, calibration.whiteX, calibration.whiteY);
            native = builder::NativeTarget{
                {calibration.gammaRed, calibration.gammaGreen, calibration.gammaBlue},
                static_cast<LONG>(temperature)};
        }
        return builder::writeAllPresets(native);
    });
}

BUILDER_API int SetGammaRamp(int monitor) {
    return builder::guarded(0, [&] { return builder::loadPresetRamp(monitor, ComputeProfiles); });
}

BUILDER_API int ResetGammaRamp(int monitor) {
    return builder::guarded(0, [&] { return builder::loadIdentityRamp(monitor); });
}
