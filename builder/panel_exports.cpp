// The panel build's exports of profiles, white point, presets and ramps, and its calibration
// records.
#include <optional>

#include "compute_request.h"
#include "export_guard.h"
#include "lcd_calibration.h"
#include "native_white.h"
#include "panel_tables.h"
#include "preset_ramp.h"
#include "presets.h"

BUILDER_API int ComputeProfiles2(HWND window, LPCSTR, const double* gammas, DWORD temperature,
                                 WORD* ramp, DWORD flags, int monitor) {
    return builder::computeExport({window, gammas, temperature, ramp, flags, monitor},
                                  builder::computePanelProfiles);
}

BUILDER_API void ComputeWhitePoint2(double* out, LPCSTR monitorName, const PANELMODELRECORD* model,
                                    int lighting, int monitor) {
    builder::guarded(0, [&] {
        if (!model) return 0;
        const builder::PanelModel panel(builder::loadPanelModel(*model));
        const builder::Vec3 gains{model->groups[3][1], model->groups[3][2], model->groups[3][3]};
        return builder::storeMeasuredWhite(out, monitorName, panel, gains, lighting, monitor) ? 1 : 0;
    });
}

BUILDER_API int WriteAllSpectrinePreset2(void) {
    return builder::guarded(0, [] {
        // The calibration is read before anything is deleted.
        LCDCALIBRATION calibration{};
        calibration.size = LCDCALIBRATION_SIZE;
        std::optional<builder::NativeTarget> native;
        if (builder::readLcdCalibration("LCDPanel", &calibration)) {
            DWORD temperature = 0;
            GetTemperatureFromWhitePoint(&temperature, calibration.whiteX, calibration.whiteY);
            native = builder::NativeTarget{{1.0, 1.0, 1.0}, static_cast<LONG>(temperature)};
        }
        return builder::writeAllPresets(native);
    });
}

BUILDER_API int SetGammaRamp2(int monitor) {
    return builder::guarded(0, [&] { return builder::loadPresetRamp(monitor, ComputeProfiles2); });
}

BUILDER_API int WriteOrbelModelCalibrationName(LPCSTR name, LPCSTR description, double whiteX,
                                               double whiteY, const PANELMODELRECORD* model) {
    return builder::guarded(0, [&] { return builder::writeLcdCalibration(name, description, whiteX, whiteY, model); });
}

BUILDER_API int GetOrbelModelCalibrationName(LPCSTR name, LPLCDCALIBRATION record) {
    return builder::guarded(0, [&] { return builder::readLcdCalibration(name, record); });
}
