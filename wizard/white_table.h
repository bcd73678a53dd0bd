// The colour slider's series of whites: section "Whitepoint" of the program's ".ini" file, one
// series per display class (CRT; flat panels and notebooks) and room lighting, spread over the
// slider's positions. A position between two entries is interpolated: as bytes for the screen
// (each entry 255 x value truncated first, integer arithmetic), as doubles for the table colour.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace huevista {

class WhiteTable {
public:
    // Reads the table of `iniPath`. A missing entry stays black; values are held to 0..1;
    // "Nb Of Entries" absent, 0 or negative gives a table of one black position.
    static WhiteTable load(const std::string& iniPath);

    int entries() const { return entries_; }
    int perEntry() const { return perEntry_; }
    int positions() const { return positions_; }
    // "Default" of the class (0 CRT, 1 panel) times the spread, held to the positions.
    int defaultPosition(int panelClass) const;
    // `position` held to 0..positions - 1.
    int clampPosition(int position) const;

    std::array<int, 3> bytesAt(int panelClass, int lighting, int position) const;
    std::array<double, 3> valuesAt(int panelClass, int lighting, int position) const;

private:
    const std::array<double, 3>& entry(int panelClass, int lighting, int index) const;

    int entries_ = 0;
    int perEntry_ = 1;
    int positions_ = 1;
    int defaults_[2] = {0, 0};
    // [class][lighting][entry]
    std::vector<std::array<double, 3>> values_;
};

// 0 for a CRT, 1 for a flat panel or a notebook.
int panelClassOf(int displayType);

}  // namespace huevista
