// The patch grid: three columns (blue, red, green) of patches over a picture, in each of which
// the user clicks the patch (or, in the dense kind, the place between two patches) that
// answers the step's question. A marker pair shows each column's choice; a hover marker
// follows the pointer over a column, and a frame shows the patch a pressed button would take.
// Black Pt., Shadows and Highlights are patch grids.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "grid_geometry.h"
#include "pictures.h"
#include "wizard_step.h"

namespace huevista {

class PatchGrid : public WizardStep {
public:
    struct Definition {
        StepInfo info;
        GridKind kind;
        std::vector<int> levels;  // per position, index 0 first
        int marker;               // intensity of the markers and the frame
        int edge;                 // grey of the column edges
    };

    // The index a click at `point` (relative to the picture's top-left corner) chooses in
    // `column`: nothing unless the point lies in the picture (dense kind: above y 423) and
    // within 14 pixels of the column; the index is that of the patch at or above the point.
    std::optional<int> clickIndex(int column, POINT point) const;
    // The chosen index of each column (blue, red, green), -1 where none is chosen.
    std::array<int, kColumns> chosen() const;
    bool complete() const { return complete_ != 0; }

    static constexpr UINT_PTR kHoverTimer = 1;
    static constexpr UINT kHoverPeriod = 250;

protected:
    PatchGrid(WizardHost& host, Definition definition);
    virtual Picture makePicture() const = 0;

    const std::vector<int>& levels() const { return definition_.levels; }
    // Chosen levels per channel (red, green, blue), for store; false while a column is open.
    bool chosenLevels(int (&levels)[3]) const;
    // Places the markers where `levels` (per channel) put them; with `valid` 0 none is chosen.
    void loadLevels(const int (&levels)[3], int valid);
    // Index of each channel's choice (red, green, blue).
    int indexOfChannel(int channel) const;

private:
    struct Column {
        int markerY = kNoMarker;  // picture-relative; kNoMarker while none
        bool chosen = false;
        int hoverY = kNoMarker;
    };
    static constexpr int kNoMarker = -1000;

    void created() override;
    void destroying() override;
    void paint(HDC dc) override;
    bool handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    std::optional<int> hitColumn(POINT point) const;  // raw picture-relative point
    int snappedY(int y) const;
    int indexAt(int markerY) const;
    int markerYOf(int index) const;
    RECT markerArea(int column, int y) const;  // step coordinates
    RECT frameArea(int column, int snapped) const;
    void invalidate(const RECT& r) const;
    void drawMarker(HDC dc, int column, int y) const;
    void onMouse(POINT stepPoint, bool buttonDown, bool released);
    void onTimer();
    void followNext() const;
    POINT origin() const;

    Definition definition_;
    GridShape shape_;
    std::optional<Picture> picture_;
    std::array<Column, kColumns> columns_{};
    int complete_ = 0;
    std::optional<std::pair<int, int>> frame_;  // column and snapped y of the selection frame
    bool buttonDown_ = false;
    HCURSOR gridCursor_ = nullptr, downCursor_ = nullptr;
    bool overColumn_ = false;
};

// The levels the grids store, per position from the top: Black Pt. (the level just below each
// patch) and Shadows or Highlights.
std::vector<int> blackPointLevels();
std::vector<int> toneGridLevels(bool highlights);

// Black Pt.: the first visible patch per channel; the black point is the level just below it.
class BlackPointStep final : public PatchGrid {
public:
    explicit BlackPointStep(WizardHost& host);
    void store(CalibrationRecord& record) override;
    void load(const CalibrationRecord& record) override;
    bool mayAdvance() override;

private:
    Picture makePicture() const override;
};

// Shadows and Highlights: the patch that blends into a one-third or two-thirds dither.
class ToneGridStep final : public PatchGrid {
public:
    ToneGridStep(WizardHost& host, bool highlights);
    void store(CalibrationRecord& record) override;
    void load(const CalibrationRecord& record) override;
    bool mayAdvance() override;

private:
    Picture makePicture() const override;
    bool highlights_;
};

}  // namespace huevista
