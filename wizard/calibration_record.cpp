#include "calibration_record.h"

namespace huevista {

CalibrationRecord CalibrationRecord::fresh(int type) {
    CalibrationRecord record;
    record.displayType = type == kNotChosen ? kCrt : kNotChosen;  // so that the reset runs
    record.resetTo(type);
    return record;
}

void CalibrationRecord::resetTo(int type) {
    if (displayType == type) return;
    // Everything but the fields that keep their values starts again from its default.
    CalibrationRecord reset;
    for (int ch = 0; ch < 3; ++ch) {
        reset.mottaK[ch] = mottaK[ch];
        reset.mottaGamma[ch] = mottaGamma[ch];
        reset.tableColor[ch] = tableColor[ch];
        reset.whitePoint[ch] = whitePoint[ch];
        // The black point of a panel or notebook is the level 0 it is never measured at.
        reset.black[ch] = type == kNotChosen || type == kCrt ? -1 : 0;
    }
    reset.temperature = temperature;
    reset.spare = spare;
    reset.displayType = type;
    *this = reset;
}

}  // namespace huevista
