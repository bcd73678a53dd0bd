#include "finish_calibration.h"

#include <cmath>
#include <string>

#include "panelforge.h"
#include "profforge.h"
#include "vltutil.h"

namespace huevista {
namespace {

constexpr DWORD kNameSize = 256;
constexpr DWORD kPresetSize = 552;

bool isCrt(const CalibrationRecord& record) { return record.displayType == kCrt; }

// The current preset replaces the profile target only when it can serve as one.
bool usablePreset(const PresetRecord& p) {
    if (p.flags & PRESET_UNADJUSTED) return true;
    return p.gammaRed != 0.0 && p.gammaGreen != 0.0 && p.gammaBlue != 0.0 && p.temperature > 4000 &&
           p.temperature <= 25000;
}

void finishMonitor(HWND window, CalibrationRecord& record, int n) {
    char unadjusted[kNameSize] = "";
    GetSpectrineUnadjustedString(unadjusted, kNameSize);
    char name[kNameSize] = "";
    const int known = n == 0 ? GetWindowsMonitorName(name, kNameSize) : GetWindowsMonitorName0(name, kNameSize, n);
    // Unknown monitors take the average entries of the monitor list.
    const std::string monitorName = known ? name : (isCrt(record) ? "CRT Average" : "LCD Average");
    if (n == 0) WriteSpectrineMonitorName(monitorName.c_str());
    else WriteSpectrineMonitorName0(monitorName.c_str(), n);
    const int lighting = GetSpectrineCalibrationLighting();

    double white[2] = {0.0, 0.0};
    const PANELMODELRECORD model = panelModelOf(record);
    if (isCrt(record)) ComputeWhitePoint(white, monitorName.c_str(), record.mottaGamma, record.mottaK, record.tableColor, lighting, n);
    else ComputeWhitePoint2(white, monitorName.c_str(), &model, lighting, n);
    const double x = white[0], y = white[1];
    if (std::isfinite(x) && std::isfinite(y) && y > 0.0) {
        DWORD kelvin = 0;
        GetTemperatureFromWhitePoint(&kelvin, x, y);
        record.temperature = static_cast<int>(kelvin);
        record.whitePoint[0] = 100.0 * x / y;
        record.whitePoint[1] = 100.0;
        record.whitePoint[2] = 100.0 * (1.0 - x - y) / y;
    }
    WriteSpectrineScreenType(record.displayType, n);
    const std::string stored = calibrationNameOf(record.displayType, n);
    if (isCrt(record))
        WriteSpectrineCalibrationName(stored.c_str(), "", x, y, record.mottaGamma[0], record.mottaGamma[1],
                                      record.mottaGamma[2], record.mottaK[0], record.mottaK[1], record.mottaK[2],
                                      record.tableColor[0], record.tableColor[1], record.tableColor[2]);
    else
        WriteOrbelModelCalibrationName(stored.c_str(), "", x, y, &model);

    // The profile target: the measured state unless the preset in force says otherwise.
    double gammas[3] = {record.mottaGamma[0], record.mottaGamma[1], record.mottaGamma[2]};
    DWORD temperature = static_cast<DWORD>(record.temperature);
    bool unadjustedTarget = true;
    if (IsGammaRampSupported()) {
        PresetRecord preset{};
        preset.size = kPresetSize;
        if (ReadSpectrinePreset(GetSpectrineCurrent(), &preset) && usablePreset(preset)) {
            gammas[0] = preset.gammaRed;
            gammas[1] = preset.gammaGreen;
            gammas[2] = preset.gammaBlue;
            temperature = static_cast<DWORD>(preset.temperature);
            unadjustedTarget = (preset.flags & PRESET_UNADJUSTED) != 0;
        }
    }
    const DWORD flags = COMPUTE_PROFILES | (unadjustedTarget ? COMPUTE_UNADJUSTED : 0);
    if (isCrt(record)) ComputeProfiles(window, unadjusted, gammas, temperature, nullptr, flags, n);
    else ComputeProfiles2(window, unadjusted, gammas, temperature, nullptr, flags, n);
}

}  // namespace

PANELMODELRECORD panelModelOf(const CalibrationRecord& record) {
    PANELMODELRECORD model{};
    model.count = PANEL_MODEL_GROUPS;
    const struct {
        double level;
        const int* matches;
    } tones[3] = {{1.0 / 3.0, record.shadow}, {0.5, record.midtone}, {2.0 / 3.0, record.highlight}};
    for (int g = 0; g < 3; ++g) {
        model.groups[g][0] = tones[g].level;
        for (int ch = 0; ch < 3; ++ch) model.groups[g][1 + ch] = tones[g].matches[ch] / 255.0;
    }
    // The white as the colour step found it, not normalised.
    model.groups[3][0] = 1.0;
    for (int ch = 0; ch < 3; ++ch) model.groups[3][1 + ch] = record.tableColor[ch];
    return model;
}

std::string calibrationNameOf(int displayType, int monitor) {
    std::string name = displayType == kCrt ? "Monitor" : "LCDPanel";
    if (monitor > 0) name += std::to_string(monitor);
    return name;
}

void finishCalibration(HWND window, std::vector<CalibrationRecord>& records) {
    if (records.empty()) return;
    const int m = static_cast<int>(records.size());
    DeleteAllSpectrineCalibration();
    WriteSpectrineNbMonitors(m);
    // The lighting of the monitor calibrated last serves all.
    WriteSpectrineCalibrationLighting(records.back().lighting);
    WriteSpectrineUnadjustedString("Unadjusted");
    for (int n = m - 1; n >= 0; --n) finishMonitor(window, records[static_cast<size_t>(n)], n);
    if (records[0].displayType == kCrt) WriteAllSpectrinePreset();
    else WriteAllSpectrinePreset2();
    for (int i = m - 1; i >= 0; --i) {
        if (records[static_cast<size_t>(i)].displayType == kCrt) SetGammaRamp(i);
        else SetGammaRamp2(i);
    }
    WriteSpectrineCalibrationDate();
}

}  // namespace huevista
