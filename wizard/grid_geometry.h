// Where the patch grids' columns and patches lie, relative to the picture's top-left corner.
#pragma once

namespace huevista {

inline constexpr int kColumns = 3;
inline constexpr int kColumnX[kColumns] = {22, 161, 300};
inline constexpr int kColumnChannel[kColumns] = {2, 0, 1};  // blue, red, green
inline constexpr int kColumnWidth = 73;
inline constexpr int kColumnHeight = 435;
inline constexpr int kColumnEdge = 2;     // edge strips on both sides of a column
inline constexpr int kColumnMargin = 14;  // a click this far beside a column still hits it
inline constexpr int kGridTop = 9;        // first patch position

enum class GridKind { Spaced, Dense };

struct GridShape {
    int size;        // patch height
    int pitch;       // distance between positions
    int positions;   // choices per column
    int patchLeft;   // patch's left edge from the column's
    int patchWidth;  // as the picture draws it
    int frameWidth;  // the selection frame's width
    int hitBottom;   // a click must lie above this y of the picture
};

// Spaced (black point): 18-pixel patches 36 apart, 12 positions. Dense (shadows, highlights):
// 15-pixel positions 18 apart, 23 of them (patches at the even ones); below the last position
// (y 423 and on) nothing is chosen.
constexpr GridShape gridShape(GridKind kind) {
    return kind == GridKind::Spaced ? GridShape{18, 36, 12, 7, 59, 59, 430} : GridShape{15, 18, 23, 28, 17, 18, 423};
}

// Black lines above and below each dense patch j: y 8 + 36j and 24 + 36j; the patch 9 to 23.
inline constexpr int kDensePatchPitch = 36;
inline constexpr int kDensePatches = 12;
inline constexpr int kSpacedPatches = 12;

}  // namespace huevista
