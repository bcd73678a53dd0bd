// The measuring pictures, drawn at run time pixel by pixel from their geometry, with exact
// levels (no palette, no system colours), and copied 1:1 onto the steps.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi_handle.h"
#include "win32.h"

namespace huevista {

// A picture of exact RGB pixels. Its first draw turns it into a device bitmap, which later
// draws copy as they are.
class Picture {
public:
    Picture(int width, int height, COLORREF fill);

    int width() const { return width_; }
    int height() const { return height_; }
    // Fills left <= x < right, top <= y < bottom (clipped to the picture).
    void fill(int left, int top, int right, int bottom, COLORREF colour);
    void set(int x, int y, COLORREF colour);
    COLORREF at(int x, int y) const;
    // Copies the picture onto `dc` with its top-left corner at (x, y).
    void draw(HDC dc, int x, int y) const;

private:
    int width_, height_;
    std::vector<uint32_t> pixels_;  // top-down rows of 0x00RRGGBB
    mutable GdiHandle<HBITMAP> bitmap_;  // made on the first draw
};

// The level `level` on channel `channel` (0 red, 1 green, 2 blue) alone.
COLORREF channelColour(int channel, int level);
inline COLORREF grey(int level) { return RGB(level, level, level); }

// ---- Brightness and contrast (385 x 430) ----
inline constexpr int kLandscapeWidth = 385, kLandscapeHeight = 430;
// Night: black sky, a grey crescent moon, ranges of 8, 16, 24, 32 from far to near, a nearer
// range of 80 and ground of 128.
Picture nightLandscape();
// Day: sky 255, ranges 248, 240, 232, 224, 216 from far to near, ground 128.
Picture dayLandscape();
// The levels of each landscape from the sky down, in the order of their layers.
const std::vector<int>& nightLevels();
const std::vector<int>& dayLevels();

// ---- The patch grids (395 x 430) ----
inline constexpr int kGridPictureWidth = 395, kGridPictureHeight = 430;
// Black point: three columns (blue, red, green) with edges of grey 32 and twelve patches of
// level 8k on the column's channel.
Picture blackPointPicture();
// Shadows (one line on, two off) or highlights (two on, one off) on each column's channel,
// with twelve solid patches between black lines.
Picture ditherGridPicture(bool highlights);

// ---- Viewing angle (395 x 430): a grey frame around an image of the levels 0, 8 and 16 ----
inline constexpr int kTiltFrameLevel = 128;
Picture tiltPicture();

// ---- Slider steps (395 x 150) ----
inline constexpr int kFieldsWidth = 395, kFieldsHeight = 150;
inline constexpr COLORREF kFieldsBackground = RGB(160, 160, 164);
inline constexpr int kFieldX[3] = {18, 150, 282};
inline constexpr int kFieldWidth = 87, kFieldTop = 14, kFieldBottom = 136;
// Three fields of lines on `channel`: two on one off (left), one on one off (middle), one on
// two off (right).
Picture toneFieldsPicture(int channel);
// Three fields of full blue (left), red (middle) and green (right).
Picture whiteFieldsPicture();

}  // namespace huevista
