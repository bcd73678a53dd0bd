// What the wizard has measured for one monitor: the working record of the monitor being
// calibrated and one per monitor, copied whole between them (no pointers inside).
#pragma once

namespace huevista {

// Display types as Setup chooses them.
enum DisplayType : int { kNotChosen = -1, kCrt = 0, kFlatPanel = 1, kNotebook = 2 };

// Channel order of the per-channel fields.
enum Channel : int { kRed = 0, kGreen = 1, kBlue = 2 };

struct CalibrationRecord {
    int cardKind = 0;        // 1 "Tintoken", 0 "Tintplate"
    int displayType = kNotChosen;
    double blackInput = -1.0;
    int black[3] = {-1, -1, -1};  // level just below the first visible patch, -8 to 80
    double shadowInput = -1.0;
    int shadow[3] = {-1, -1, -1};  // level matching a one-third dither
    double highlightInput = -1.0;
    int highlight[3] = {-1, -1, -1};  // two-thirds dither
    double midtoneInput = -1.0;
    int midtone[3] = {-1, -1, -1};  // half dither (panels)
    double whiteInput = -1.0;
    int white[3] = {255, 255, 255};  // notebook white-point slider levels
    int lighting = -1;               // 0 fluorescent, 1 incandescent, 2 halogen, 3 daylight
    int luminance = 100;             // luminance slider, 0 to 100
    int color = -1;                  // colour slider position
    double mottaK[3] = {0, 0, 0};
    double mottaGamma[3] = {0, 0, 0};
    double tableColor[3] = {0, 0, 0};
    int temperature = 0;
    double whitePoint[3] = {0, 0, 0};
    int blackValid = 0;
    int shadowValid = 0;
    int highlightValid = 0;
    int midtoneValid = 0;
    int setUp = 0;  // 1 once a display type was chosen for this monitor
    int spare = 0;

    // A record as the wizard starts each monitor with: every field at its reset value for
    // `type`, the tone model and white point at zero.
    static CalibrationRecord fresh(int type);
    // Resets to display type `type`: nothing when the record already has that type; otherwise
    // every field with a reset value takes it (the tone model, table colour, temperature, white
    // point and spare field keep what they hold).
    void resetTo(int type);
};

}  // namespace huevista
