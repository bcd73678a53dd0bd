#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "grid_geometry.h"

namespace huevista {
namespace {

uint32_t packed(COLORREF c) { return static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// One layer of a landscape: its level and a ridge line whose height varies by at most
// `amplitude` around `base`. Bases are 40 pixels apart and amplitudes at most 16, so each
// nearer range starts below the farther one at every x.
struct Range {
    int level;
    int base;
    double amplitude;
    double wavelength;  // of the main wave; a second one at 0.37 of it adds detail
    double phase;
};

int ridge(const Range& r, int x) {
    const double t = 2.0 * M_PI * x / r.wavelength + r.phase;
    return r.base + static_cast<int>(std::lround(r.amplitude * (0.7 * std::sin(t) + 0.3 * std::sin(t / 0.37 + 1.3))));
}

Picture landscape(int sky, const Range* ranges, size_t count) {
    Picture p(kLandscapeWidth, kLandscapeHeight, grey(sky));
    for (size_t i = 0; i < count; ++i)
        for (int x = 0; x < kLandscapeWidth; ++x) p.fill(x, ridge(ranges[i], x), x + 1, kLandscapeHeight, grey(ranges[i].level));
    return p;
}

constexpr Range kNight[] = {{8, 150, 16, 300, 0.4}, {16, 190, 14, 220, 2.1}, {24, 230, 12, 260, 4.0},
                            {32, 270, 12, 180, 1.0}, {80, 320, 10, 330, 3.2}, {128, 375, 3, 400, 0.0}};
constexpr Range kDay[] = {{248, 140, 16, 280, 1.7}, {240, 180, 14, 240, 0.3}, {232, 220, 13, 200, 2.6},
                          {224, 260, 12, 300, 5.0}, {216, 300, 10, 230, 1.1}, {128, 360, 3, 400, 0.0}};
constexpr int kMoonLevel = 128;

// Horizontal lines: row y (from the picture's top) is lit when y mod `period` is below `lit`.
bool lineLit(int y, int period, int lit) { return y % period < lit; }

}  // namespace

Picture::Picture(int width, int height, COLORREF fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), packed(fill)) {}

void Picture::fill(int left, int top, int right, int bottom, COLORREF colour) {
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, width_), bottom = std::min(bottom, height_);
    const uint32_t value = packed(colour);
    for (int y = top; y < bottom; ++y)
        std::fill_n(pixels_.begin() + static_cast<ptrdiff_t>(y) * width_ + left, std::max(right - left, 0), value);
}

void Picture::set(int x, int y, COLORREF colour) { fill(x, y, x + 1, y + 1, colour); }

COLORREF Picture::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const uint32_t v = pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void Picture::draw(HDC dc, int x, int y) const {
    if (!bitmap_) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_.reset(CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, pixels_.data(), &info, DIB_RGB_COLORS));
        if (!bitmap_) return;
    }
    HDC source = CreateCompatibleDC(dc);
    {
        Selected picture(source, bitmap_.get());
        BitBlt(dc, x, y, width_, height_, source, 0, 0, SRCCOPY);
    }
    DeleteDC(source);
}

COLORREF channelColour(int channel, int level) {
    return RGB(channel == 0 ? level : 0, channel == 1 ? level : 0, channel == 2 ? level : 0);
}

const std::vector<int>& nightLevels() {
    static const std::vector<int> levels = {0, 8, 16, 24, 32, 80, 128};
    return levels;
}

const std::vector<int>& dayLevels() {
    static const std::vector<int> levels = {255, 248, 240, 232, 224, 216, 128};
    return levels;
}

Picture nightLandscape() {
    Picture p = landscape(0, kNight, std::size(kNight));
    // A crescent: a disc with a second, shifted disc of sky taken out of it.
    const double cx = 300, cy = 62, r = 24, sx = 311, sy = 54, sr = 21;
    for (int y = 30; y < 95; ++y)
        for (int x = 270; x < 330; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, ex = x + 0.5 - sx, ey = y + 0.5 - sy;
            if (dx * dx + dy * dy <= r * r && ex * ex + ey * ey > sr * sr) p.set(x, y, grey(kMoonLevel));
        }
    return p;
}

Picture dayLandscape() { return landscape(255, kDay, std::size(kDay)); }

Picture blackPointPicture() {
    Picture p(kGridPictureWidth, kGridPictureHeight, grey(0));
    const GridShape shape = gridShape(GridKind::Spaced);
    for (int c = 0; c < kColumns; ++c) {
        const int left = kColumnX[c];
        p.fill(left, 0, left + kColumnEdge, kGridPictureHeight, grey(32));
        p.fill(left + kColumnWidth - kColumnEdge, 0, left + kColumnWidth, kGridPictureHeight, grey(32));
        for (int k = 0; k < kSpacedPatches; ++k) {
            const int top = kGridTop + shape.pitch * k;
            p.fill(left + shape.patchLeft, top, left + shape.patchLeft + shape.patchWidth, top + shape.size,
                   channelColour(kColumnChannel[c], 8 * k));
        }
    }
    return p;
}

Picture ditherGridPicture(bool highlights) {
    Picture p(kGridPictureWidth, kGridPictureHeight, grey(0));
    const GridShape shape = gridShape(GridKind::Dense);
    const int lit = highlights ? 2 : 1;
    for (int c = 0; c < kColumns; ++c) {
        const int left = kColumnX[c], channel = kColumnChannel[c];
        for (int y = 0; y < kGridPictureHeight; ++y)
            if (lineLit(y, 3, lit))
                p.fill(left + kColumnEdge, y, left + kColumnWidth - kColumnEdge, y + 1, channelColour(channel, 255));
        p.fill(left, 0, left + kColumnEdge, kGridPictureHeight, grey(136));
        p.fill(left + kColumnWidth - kColumnEdge, 0, left + kColumnWidth, kGridPictureHeight, grey(136));
        for (int j = 0; j < kDensePatches; ++j) {
            const int top = kGridTop + kDensePatchPitch * j;
            const int level = highlights ? (j == 0 ? 255 : 256 - 8 * j) : 192 - 8 * j;
            const int x0 = left + shape.patchLeft, x1 = x0 + shape.patchWidth;
            p.fill(x0, top - 1, x1, top, grey(0));
            p.fill(x0, top, x1, top + shape.size, channelColour(channel, level));
            p.fill(x0, top + shape.size, x1, top + shape.size + 1, grey(0));
        }
    }
    return p;
}

Picture tiltPicture() {
    Picture p(kGridPictureWidth, kGridPictureHeight, grey(0));
    // The image: rings of 0 and 16 on 8 around the centre, which merge into one black when
    // the panel is seen at the angle it is matched at.
    const int left = 42, top = 52, right = 353, bottom = 378;
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const int ring = static_cast<int>(std::hypot(x + 0.5 - cx, y + 0.5 - cy) / 14.0);
            p.set(x, y, grey(ring % 3 == 0 ? 8 : (ring % 3 == 1 ? 16 : 0)));
        }
    // The picture frame around it.
    p.fill(left - 12, top - 12, right + 12, top, grey(kTiltFrameLevel));
    p.fill(left - 12, bottom, right + 12, bottom + 12, grey(kTiltFrameLevel));
    p.fill(left - 12, top, left, bottom, grey(kTiltFrameLevel));
    p.fill(right, top, right + 12, bottom, grey(kTiltFrameLevel));
    return p;
}

Picture toneFieldsPicture(int channel) {
    Picture p(kFieldsWidth, kFieldsHeight, kFieldsBackground);
    const struct {
        int period, lit;
    } fields[3] = {{3, 2}, {2, 1}, {3, 1}};
    for (int f = 0; f < 3; ++f) {
        const int x = kFieldX[f];
        p.fill(x - 1, kFieldTop - 1, x + kFieldWidth + 1, kFieldBottom + 1, grey(0));
        for (int y = kFieldTop; y < kFieldBottom; ++y)
            p.fill(x, y, x + kFieldWidth, y + 1,
                   lineLit(y, fields[f].period, fields[f].lit) ? channelColour(channel, 255) : grey(0));
    }
    return p;
}

Picture whiteFieldsPicture() {
    Picture p(kFieldsWidth, kFieldsHeight, kFieldsBackground);
    const int channels[3] = {2, 0, 1};
    for (int f = 0; f < 3; ++f) {
        const int x = kFieldX[f];
        p.fill(x - 1, kFieldTop - 1, x + kFieldWidth + 1, kFieldBottom + 1, grey(0));
        p.fill(x, kFieldTop, x + kFieldWidth, kFieldBottom, channelColour(channels[f], 255));
    }
    return p;
}

}  // namespace huevista
