// The painter's pixel rules over 32-bit surfaces (internal), independent of Qt:
//   - rectangles, clips and blit targets are half-open;
//   - 1-px lines are Bresenham's without the last point;
//   - polygons and figures fill the pixels whose centres lie inside; a centre exactly on an
//     edge counts for the left and top edges only (centres are nudged right and down by a
//     hair), so figures that share an edge never share a pixel;
//   - wider pens cover the pixels whose centres lie within half the width of the outline,
//     which runs through pixel centres;
//   - colours are exact: nothing blends, dithers or converts.
#pragma once

#include <cstdint>
#include <vector>

#include "rectset.h"
#include "win32.h"

namespace winplat::detail {

// 0x00RRGGBB, as QImage::Format_RGB32 stores it.
using Pixel = uint32_t;

inline Pixel pixelOf(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF colourOf(Pixel p) {
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

struct Raster {
    Pixel* bits = nullptr;
    int stride = 0;  // pixels from one row to the next
    int width = 0;
    int height = 0;
    bool mono = false;  // a monochrome bitmap: only black and white are stored
    RectSet clip;       // where painting may touch, inside the surface
    RECT changed{};     // grows to cover every pixel written

    Pixel* row(int y) const { return bits + static_cast<ptrdiff_t>(y) * stride; }
};

struct PointF {
    double x;
    double y;
};

// What a binary raster operation (R2_*) makes of a destination pixel and the pen's.
Pixel applyRop2(int rop2, Pixel destination, Pixel pen);
// What a ternary raster operation (SRCCOPY, PATINVERT, ...) makes of pattern, source and
// destination.
Pixel applyRop3(DWORD rop, Pixel pattern, Pixel source, Pixel destination);
// The colour a monochrome surface stores for a colour: the nearer of black and white.
Pixel monoPixel(Pixel p);

void fillRect(Raster& r, const RECT& area, Pixel colour, int rop2);
void setPixel(Raster& r, int x, int y, Pixel colour, int rop2);
bool inClip(const Raster& r, int x, int y);

// A 1-px pen: solid, or PS_DOT (3 on, 3 off); `phase` carries the dots from one segment of a
// call to the next. Under OPAQUE the gaps take the background colour.
struct ThinPen {
    Pixel colour = 0;
    int rop2 = R2_COPYPEN;
    bool dotted = false;
    bool opaqueGaps = false;
    Pixel gapColour = 0;
};
void drawLine(Raster& r, POINT from, POINT to, const ThinPen& pen, int& phase);

// Fills the pixels whose centres lie inside the polygons (ALTERNATE or WINDING).
void fillPolygons(Raster& r, const std::vector<std::vector<PointF>>& polygons, bool winding,
                  Pixel colour, int rop2);
// The pixels whose centres lie within width / 2 of the path (round joins and ends).
void strokeWide(Raster& r, const std::vector<PointF>& path, bool closed, double width, Pixel colour,
                int rop2);

// Rows of a figure inside [left, right) x [top, bottom): for each row, the half-open span of
// pixels whose centres lie inside. An ellipse fills its box; a round rectangle has elliptic
// corners of the given size.
struct Span {
    int from;
    int to;
};
std::vector<Span> ellipseSpans(const RECT& box);
std::vector<Span> roundRectSpans(const RECT& box, int cornerWidth, int cornerHeight);
// Paints a figure: `outline` (when set) on the pixels of the figure that touch its outside,
// `fill` (when set) on the others.
void paintFigure(Raster& r, const RECT& box, const std::vector<Span>& spans, const Pixel* outline,
                 const Pixel* fill, int rop2);
// The outline of a figure through the centres of its outermost pixels, as a closed path.
std::vector<PointF> ellipsePath(const RECT& box);
std::vector<PointF> roundRectPath(const RECT& box, int cornerWidth, int cornerHeight);

// Copies (with a raster operation) `source` pixels starting at `from` onto `area` of `r`.
// `mapSource` converts source pixels first (monochrome to colour and back).
struct SourceMap {
    bool monoToColour = false;  // black -> foreground, white -> background
    bool colourToMono = false;  // background -> white, anything else -> black
    Pixel foreground = 0;
    Pixel background = 0xFFFFFF;
};
void blit(Raster& r, const RECT& area, const Raster& source, POINT from, DWORD rop, Pixel pattern,
          const SourceMap& map);
// A raster operation with the pattern alone (PATCOPY, PATINVERT, DSTINVERT, ...) on `area`.
void patternBlit(Raster& r, const RECT& area, DWORD rop, Pixel pattern);
// Inverts every other pixel of a rectangle's 1-px border, as focus rectangles do.
void invertDottedFrame(Raster& r, const RECT& area);
// Nearest-neighbour stretch of `from` (source pixels) onto `area`; negative sizes mirror.
void stretchBlit(Raster& r, RECT area, const Raster& source, RECT from, DWORD rop, Pixel pattern,
                 const SourceMap& map);

}  // namespace winplat::detail
