// LCD calibrations are kept by the panel build itself, written and read back element by
// element as the store keeps its own records (its REG_MULTI_SZ writers and decimal reader).
#include "lcd_calibration.h"

#include <cstring>
#include <string>

#include "description_line.h"
#include "records_internal.h"
#include "vltutil.h"
#include "winplat.h"

namespace builder {

namespace {

// Monitor numbers beyond this are no monitor.
constexpr int kMonitorLimit = 99999;

}  // namespace

int monitorOfCalibrationName(const char* name, std::string& digits) {
    const size_t length = std::strlen(name);
    size_t start = length;
    while (start > 0 && name[start - 1] >= '0' && name[start - 1] <= '9') --start;
    digits.assign(name + start, length - start);
    int monitor = 0;
    for (char c : digits) {
        if (monitor > kMonitorLimit / 10) return -1;
        monitor = monitor * 10 + (c - '0');
    }
    return monitor > kMonitorLimit ? -1 : monitor;
}

void parseLcdCalibrationValue(const char* begin, const char* end, LCDCALIBRATION& record) {
    const char* p = vlt::copyElement(begin, end, record.description, sizeof record.description);
    p = vlt::readField(p, end, record.whiteX);
    p = vlt::readField(p, end, record.whiteY);
    for (int g = 0; g < PANEL_MODEL_GROUPS; ++g) {
        record.model.groups[g][0] = kGroupLevels[g];
        for (int c = 1; c <= 3; ++c) p = vlt::readField(p, end, record.model.groups[g][c]);
    }
}

int readLcdCalibration(const char* name, LCDCALIBRATION* record) {
    if (!record || record->size != LCDCALIBRATION_SIZE) return 0;
    std::memset(record, 0, sizeof *record);
    record->size = LCDCALIBRATION_SIZE;
    if (!name) return 0;

    vlt::MultiStringValue value;
    if (!value.read("Calibration", name, kLcdValueLimit)) return 0;
    parseLcdCalibrationValue(value.begin(), value.end(), *record);

    // The monitor model key of the monitor the name ends in.
    std::string digits;
    const int monitor = monitorOfCalibrationName(name, digits);
    if (monitor < 0) return 0;
    char modelKey[256];
    if (!GetSpectrineRegString("Settings", ("Monitor" + digits).c_str(), modelKey, sizeof modelKey)) return 0;
    MonitorInfRecord line = "";
    if (!GetMonitorInfString0(modelKey, line, sizeof line, monitor) || !line[0]) return 0;
    const Primaries primaries = parseDescriptionLine(line).primaries;
    record->redX = primaries.x[0], record->redY = primaries.y[0];
    record->greenX = primaries.x[1], record->greenY = primaries.y[1];
    record->blueX = primaries.x[2], record->blueY = primaries.y[2];

    record->reserved[0] = record->reserved[1] = 0.0;
    WinplatFormatC(record->modelKey, sizeof record->modelKey, "%s", modelKey);
    return 1;
}

int writeLcdCalibration(const char* name, const char* description, double whiteX, double whiteY,
                        const PANELMODELRECORD* model) {
    if (!name || !model || model->count > PANEL_MODEL_GROUPS) return 0;
    std::string image;
    vlt::appendRecordText(image, description);
    if (!vlt::appendNumber(image, "%.5f", whiteX) || !vlt::appendNumber(image, "%.5f", whiteY)) return 0;
    for (DWORD g = 0; g < model->count; ++g)
        for (int c = 1; c <= 3; ++c)
            if (!vlt::appendNumber(image, "%1.3f", model->groups[g][c])) return 0;
    return vlt::writeMultiString("Calibration", name, std::move(image), kLcdValueLimit);
}

}  // namespace builder
