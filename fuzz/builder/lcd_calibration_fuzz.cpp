// Feeds arbitrary bytes to the panel build as a stored LCD calibration (REG_MULTI_SZ, at most
// 512 bytes), then builds the panel model's tables from what was read, as ComputeProfiles2
// does. The record must hold a terminated description, the four levels and whatever numbers
// the decimal reader gives; every table, whatever the numbers (huge, negative, not a number),
// must stay within 0..1, never fall, end its inverse at 1, and keep grey the mean of the
// channels.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "lcd_calibration.h"
#include "panel_tables.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

void checkTable(const double (&table)[builder::kModelEntries]) {
    for (int i = 0; i < builder::kModelEntries; ++i) {
        check(table[i] >= 0.0 && table[i] <= 1.0);
        if (i > 0) check(table[i] >= table[i - 1]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > builder::kLcdValueLimit) return 0;
    // An exact-size copy, so any read past the end is caught.
    std::unique_ptr<char[]> bytes(new char[size ? size : 1]);
    if (size) std::memcpy(bytes.get(), data, size);

    LCDCALIBRATION record;
    std::memset(&record, 0xbd, sizeof record);
    builder::parseLcdCalibrationValue(bytes.get(), bytes.get() + size, record);
    check(std::memchr(record.description, '\0', sizeof record.description) != nullptr);
    for (int g = 0; g < PANEL_MODEL_GROUPS; ++g) check(record.model.groups[g][0] == builder::kGroupLevels[g]);

    for (bool grey : {false, true}) {
        const builder::PanelTables t = builder::buildPanelTables(record.model, grey);
        for (int k = 0; k < 4; ++k) {
            checkTable(t.forward[k]);
            checkTable(t.inverse[k]);
            check(t.inverse[k][builder::kModelEntries - 1] == 1.0);
        }
        const builder::PanelModel model(t);
        for (int channel = 0; channel < 3; ++channel)
            for (int level = 0; level < builder::kModelEntries; level += 51) {
                const int drive = model.inverseLevel(level, channel);
                check(drive >= 0 && drive <= 255);
            }
    }
    return 0;
}
