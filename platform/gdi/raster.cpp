// Pixel operations of the painter; see raster.h for the rules they keep.
#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace winplat::detail {
namespace {

constexpr Pixel kMask = 0xFFFFFF;
// Pixel centres are sampled a hair right of and below the true centre, so a centre exactly on
// an edge belongs to the figure on its right or below it.
constexpr double kNudge = 1.0 / 4096;

void noteChanged(Raster& r, const RECT& area) {
    if (emptyRect(area)) return;
    if (emptyRect(r.changed)) {
        r.changed = area;
        return;
    }
    r.changed.left = std::min(r.changed.left, area.left);
    r.changed.top = std::min(r.changed.top, area.top);
    r.changed.right = std::max(r.changed.right, area.right);
    r.changed.bottom = std::max(r.changed.bottom, area.bottom);
}

Pixel store(const Raster& r, Pixel p) { return r.mono ? monoPixel(p) : (p & kMask); }

// Writes a horizontal run [x0, x1) of row y through the clip.
void paintRun(Raster& r, int y, int x0, int x1, Pixel colour, int rop2) {
    if (x0 >= x1) return;
    for (const RECT& c : r.clip) {
        if (y < c.top || y >= c.bottom) continue;
        int a = std::max(x0, static_cast<int>(c.left)), b = std::min(x1, static_cast<int>(c.right));
        if (a >= b) continue;
        Pixel* p = r.row(y);
        if (rop2 == R2_COPYPEN) {
            std::fill(p + a, p + b, store(r, colour));
        } else {
            for (int x = a; x < b; ++x) p[x] = store(r, applyRop2(rop2, p[x], colour));
        }
        noteChanged(r, RECT{a, y, b, y + 1});
    }
}

// The pixel columns whose nudged centres lie in [from, to).
void centresWithin(double from, double to, int& first, int& end) {
    first = static_cast<int>(std::ceil(from - 0.5 - kNudge));
    end = static_cast<int>(std::ceil(to - 0.5 - kNudge));
}

double distanceToSegment(double px, double py, const PointF& a, const PointF& b) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? std::clamp(((px - a.x) * dx + (py - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
    double ex = a.x + t * dx - px, ey = a.y + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

// Points along a quarter of an ellipse from angle a0 to a1, fine enough that the chords stay
// within 1/64 pixel of the curve.
void arc(std::vector<PointF>& out, double cx, double cy, double rx, double ry, double a0, double a1) {
    double radius = std::max({rx, ry, 0.5});
    double step = 2 * std::acos(std::max(0.0, 1 - (1.0 / 64) / radius));
    int count = std::max(2, static_cast<int>(std::ceil(std::abs(a1 - a0) / std::max(step, 1e-3))));
    for (int i = 0; i <= count; ++i) {
        double a = a0 + (a1 - a0) * i / count;
        out.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
}

Pixel mapSource(Pixel s, const SourceMap& map) {
    if (map.monoToColour) return (s & kMask) == 0 ? map.foreground : map.background;
    if (map.colourToMono) return (s & kMask) == (map.background & kMask) ? kMask : 0;
    return s;
}

}  // namespace

Pixel applyRop2(int rop2, Pixel d, Pixel p) {
    unsigned table = static_cast<unsigned>(rop2 - 1) & 0xF;
    Pixel result = 0;
    if (table & 1) result |= ~p & ~d;
    if (table & 2) result |= ~p & d;
    if (table & 4) result |= p & ~d;
    if (table & 8) result |= p & d;
    return result & kMask;
}

Pixel applyRop3(DWORD rop, Pixel p, Pixel s, Pixel d) {
    switch (rop) {
        case SRCCOPY: return s & kMask;
        case PATCOPY: return p & kMask;
        case BLACKNESS: return 0;
        case WHITENESS: return kMask;
        default: break;
    }
    unsigned table = (rop >> 16) & 0xFF;
    Pixel result = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
        if (!(table & (1u << bit))) continue;
        Pixel term = ((bit & 4) ? p : ~p) & ((bit & 2) ? s : ~s) & ((bit & 1) ? d : ~d);
        result |= term;
    }
    return result & kMask;
}

Pixel monoPixel(Pixel p) {
    int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    int toBlack = r * r + g * g + b * b;
    int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite <= toBlack ? kMask : 0;
}

bool inClip(const Raster& r, int x, int y) {
    for (const RECT& c : r.clip)
        if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) return true;
    return false;
}

void fillRect(Raster& r, const RECT& area, Pixel colour, int rop2) {
    for (const RECT& c : r.clip) {
        RECT part = intersection(area, c);
        if (emptyRect(part)) continue;
        for (int y = part.top; y < part.bottom; ++y) {
            Pixel* p = r.row(y);
            if (rop2 == R2_COPYPEN) {
                std::fill(p + part.left, p + part.right, store(r, colour));
            } else {
                for (int x = part.left; x < part.right; ++x) p[x] = store(r, applyRop2(rop2, p[x], colour));
            }
        }
        noteChanged(r, part);
    }
}

void setPixel(Raster& r, int x, int y, Pixel colour, int rop2) {
    if (!inClip(r, x, y)) return;
    Pixel& p = r.row(y)[x];
    p = store(r, rop2 == R2_COPYPEN ? colour : applyRop2(rop2, p, colour));
    noteChanged(r, RECT{x, y, x + 1, y + 1});
}

void drawLine(Raster& r, POINT from, POINT to, const ThinPen& pen, int& phase) {
    if (!pen.dotted && (from.x == to.x || from.y == to.y)) {
        // A solid straight line is the half-open rectangle it covers, its last point left out.
        RECT area = from.x == to.x
                        ? (to.y >= from.y ? RECT{from.x, from.y, from.x + 1, to.y} : RECT{from.x, to.y + 1, from.x + 1, from.y + 1})
                        : (to.x >= from.x ? RECT{from.x, from.y, to.x, from.y + 1} : RECT{to.x + 1, from.y, from.x + 1, from.y + 1});
        fillRect(r, area, pen.colour, pen.rop2);
        return;
    }
    long dx = std::labs(static_cast<long>(to.x) - from.x), dy = -std::labs(static_cast<long>(to.y) - from.y);
    int sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
    long error = dx + dy;
    long x = from.x, y = from.y;
    while (x != to.x || y != to.y) {
        bool on = !pen.dotted || (phase % 6) < 3;
        if (on) setPixel(r, static_cast<int>(x), static_cast<int>(y), pen.colour, pen.rop2);
        else if (pen.opaqueGaps) setPixel(r, static_cast<int>(x), static_cast<int>(y), pen.gapColour, pen.rop2);
        phase = (phase + 1) % 6;
        long e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void fillPolygons(Raster& r, const std::vector<std::vector<PointF>>& polygons, bool winding,
                  Pixel colour, int rop2) {
    double top = HUGE_VAL, bottom = -HUGE_VAL;
    for (const auto& poly : polygons)
        for (const PointF& p : poly) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    if (top > bottom) return;
    int firstRow = 0, endRow = 0;
    centresWithin(top, bottom, firstRow, endRow);
    firstRow = std::max(firstRow, 0);
    endRow = std::min(endRow, r.height);
    struct Crossing {
        double x;
        int direction;
    };
    std::vector<Crossing> crossings;
    for (int y = firstRow; y < endRow; ++y) {
        double yc = y + 0.5 + kNudge;
        crossings.clear();
        for (const auto& poly : polygons) {
            size_t n = poly.size();
            for (size_t i = 0; i < n; ++i) {
                const PointF& a = poly[i];
                const PointF& b = poly[(i + 1) % n];
                if (a.y == b.y) continue;
                bool down = a.y < b.y;
                double y0 = down ? a.y : b.y, y1 = down ? b.y : a.y;
                if (yc < y0 || yc >= y1) continue;
                double x = a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y);
                crossings.push_back({x, down ? 1 : -1});
            }
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        int count = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            count += winding ? crossings[i].direction : 1;
            bool inside = winding ? count != 0 : (count % 2) == 1;
            if (!inside) continue;
            int x0 = 0, x1 = 0;
            centresWithin(crossings[i].x, crossings[i + 1].x, x0, x1);
            paintRun(r, y, std::max(x0, 0), std::min(x1, r.width), colour, rop2);
        }
    }
}

void strokeWide(Raster& r, const std::vector<PointF>& path, bool closed, double width, Pixel colour,
                int rop2) {
    if (path.empty()) return;
    double half = width / 2;
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (const PointF& p : path) {
        minX = std::min(minX, p.x), minY = std::min(minY, p.y);
        maxX = std::max(maxX, p.x), maxY = std::max(maxY, p.y);
    }
    int left = std::max(0, static_cast<int>(std::floor(minX - half)) - 1);
    int top = std::max(0, static_cast<int>(std::floor(minY - half)) - 1);
    int right = std::min(r.width, static_cast<int>(std::ceil(maxX + half)) + 1);
    int bottom = std::min(r.height, static_cast<int>(std::ceil(maxY + half)) + 1);
    if (left >= right || top >= bottom) return;
    int w = right - left;
    std::vector<unsigned char> mask(static_cast<size_t>(w) * static_cast<size_t>(bottom - top), 0);
    size_t segments = closed ? path.size() : path.size() - 1;
    if (path.size() == 1) segments = 1;
    for (size_t i = 0; i < segments; ++i) {
        const PointF& a = path[i];
        const PointF& b = path.size() == 1 ? path[0] : path[(i + 1) % path.size()];
        int x0 = std::max(left, static_cast<int>(std::floor(std::min(a.x, b.x) - half)) - 1);
        int x1 = std::min(right, static_cast<int>(std::ceil(std::max(a.x, b.x) + half)) + 1);
        int y0 = std::max(top, static_cast<int>(std::floor(std::min(a.y, b.y) - half)) - 1);
        int y1 = std::min(bottom, static_cast<int>(std::ceil(std::max(a.y, b.y) + half)) + 1);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                unsigned char& m = mask[static_cast<size_t>(y - top) * static_cast<size_t>(w) + static_cast<size_t>(x - left)];
                if (!m && distanceToSegment(x + 0.5 + kNudge, y + 0.5 + kNudge, a, b) < half) m = 1;
            }
    }
    for (int y = top; y < bottom; ++y) {
        const unsigned char* m = &mask[static_cast<size_t>(y - top) * static_cast<size_t>(w)];
        for (int x = left; x < right;) {
            if (!m[x - left]) {
                ++x;
                continue;
            }
            int start = x;
            while (x < right && m[x - left]) ++x;
            paintRun(r, y, start, x, colour, rop2);
        }
    }
}

std::vector<Span> roundRectSpans(const RECT& box, int cornerWidth, int cornerHeight) {
    std::vector<Span> spans;
    if (emptyRect(box)) return spans;
    double rx = std::clamp(cornerWidth, 0, static_cast<int>(box.right - box.left)) / 2.0;
    double ry = std::clamp(cornerHeight, 0, static_cast<int>(box.bottom - box.top)) / 2.0;
    for (int y = box.top; y < box.bottom; ++y) {
        double yc = y + 0.5 + kNudge;
        double inset = 0;
        if (rx > 0 && ry > 0) {
            double dy = 0;
            if (yc < box.top + ry) dy = (box.top + ry - yc) / ry;
            else if (yc > box.bottom - ry) dy = (yc - (box.bottom - ry)) / ry;
            inset = rx - rx * std::sqrt(std::max(0.0, 1 - dy * dy));
        }
        int from = 0, to = 0;
        centresWithin(box.left + inset, box.right - inset, from, to);
        spans.push_back({std::max(from, static_cast<int>(box.left)), std::min(to, static_cast<int>(box.right))});
    }
    return spans;
}

std::vector<Span> ellipseSpans(const RECT& box) {
    return roundRectSpans(box, box.right - box.left, box.bottom - box.top);
}

void paintFigure(Raster& r, const RECT& box, const std::vector<Span>& spans, const Pixel* outline,
                 const Pixel* fill, int rop2) {
    int rows = static_cast<int>(spans.size());
    for (int i = 0; i < rows; ++i) {
        int y = box.top + i;
        Span s = spans[static_cast<size_t>(i)];
        if (s.from >= s.to) continue;
        // Inside: pixels whose four neighbours all belong to the figure.
        Span above = i > 0 ? spans[static_cast<size_t>(i - 1)] : Span{0, 0};
        Span below = i + 1 < rows ? spans[static_cast<size_t>(i + 1)] : Span{0, 0};
        int innerFrom = std::max({s.from + 1, above.from, below.from});
        int innerTo = std::min({s.to - 1, above.to, below.to});
        if (innerFrom >= innerTo) innerFrom = innerTo = s.from;
        if (outline) {
            paintRun(r, y, s.from, innerFrom == innerTo ? s.to : innerFrom, *outline, rop2);
            if (innerFrom < innerTo) paintRun(r, y, innerTo, s.to, *outline, rop2);
        }
        if (fill) {
            if (!outline) paintRun(r, y, s.from, s.to, *fill, rop2);
            else paintRun(r, y, innerFrom, innerTo, *fill, rop2);
        }
    }
}

std::vector<PointF> roundRectPath(const RECT& box, int cornerWidth, int cornerHeight) {
    // Through the centres of the outermost pixels.
    double l = box.left + 0.5, t = box.top + 0.5, r = box.right - 0.5, b = box.bottom - 0.5;
    double rx = std::max(0.0, std::min(cornerWidth / 2.0, (r - l) / 2) - 0.5);
    double ry = std::max(0.0, std::min(cornerHeight / 2.0, (b - t) / 2) - 0.5);
    std::vector<PointF> path;
    const double pi = std::numbers::pi;
    if (rx <= 0 || ry <= 0) return {{l, t}, {r, t}, {r, b}, {l, b}};
    arc(path, r - rx, t + ry, rx, ry, -pi / 2, 0);
    arc(path, r - rx, b - ry, rx, ry, 0, pi / 2);
    arc(path, l + rx, b - ry, rx, ry, pi / 2, pi);
    arc(path, l + rx, t + ry, rx, ry, pi, 3 * pi / 2);
    return path;
}

std::vector<PointF> ellipsePath(const RECT& box) {
    return roundRectPath(box, box.right - box.left, box.bottom - box.top);
}

void blit(Raster& r, const RECT& area, const Raster& source, POINT from, DWORD rop, Pixel pattern,
          const SourceMap& map) {
    for (const RECT& c : r.clip) {
        RECT part = intersection(area, c);
        // Only source pixels that exist are copied.
        LONG dx = from.x - area.left, dy = from.y - area.top;
        part = intersection(part, RECT{-dx, -dy, source.width - dx, source.height - dy});
        if (emptyRect(part)) continue;
        for (int y = part.top; y < part.bottom; ++y) {
            Pixel* d = r.row(y);
            const Pixel* s = source.row(y + dy);
            if (rop == SRCCOPY && !map.monoToColour && !map.colourToMono && r.mono == source.mono) {
                std::copy(s + part.left + dx, s + part.right + dx, d + part.left);
                continue;
            }
            for (int x = part.left; x < part.right; ++x)
                d[x] = store(r, applyRop3(rop, pattern, mapSource(s[x + dx], map), d[x]));
        }
        noteChanged(r, part);
    }
}

void patternBlit(Raster& r, const RECT& area, DWORD rop, Pixel pattern) {
    for (const RECT& c : r.clip) {
        RECT part = intersection(area, c);
        if (emptyRect(part)) continue;
        for (int y = part.top; y < part.bottom; ++y) {
            Pixel* d = r.row(y);
            for (int x = part.left; x < part.right; ++x) d[x] = store(r, applyRop3(rop, pattern, 0, d[x]));
        }
        noteChanged(r, part);
    }
}

void invertDottedFrame(Raster& r, const RECT& area) {
    auto flip = [&](int x, int y) {
        if (((x + y) & 1) == 0 && inClip(r, x, y)) {
            Pixel& p = r.row(y)[x];
            p = store(r, ~p & kMask);
            noteChanged(r, RECT{x, y, x + 1, y + 1});
        }
    };
    if (emptyRect(area)) return;
    for (int x = area.left; x < area.right; ++x) {
        flip(x, area.top);
        if (area.bottom - 1 > area.top) flip(x, area.bottom - 1);
    }
    for (int y = area.top + 1; y < area.bottom - 1; ++y) {
        flip(area.left, y);
        if (area.right - 1 > area.left) flip(area.right - 1, y);
    }
}

void stretchBlit(Raster& r, RECT area, const Raster& source, RECT from, DWORD rop, Pixel pattern,
                 const SourceMap& map) {
    long dw = area.right - area.left, dh = area.bottom - area.top;
    long sw = from.right - from.left, sh = from.bottom - from.top;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
    // A mirrored destination or source becomes a mirrored sampling of the source.
    bool mirrorX = (dw < 0) != (sw < 0), mirrorY = (dh < 0) != (sh < 0);
    RECT target{std::min(area.left, area.right), std::min(area.top, area.bottom),
                std::max(area.left, area.right), std::max(area.top, area.bottom)};
    long sx0 = std::min(from.left, from.right), sy0 = std::min(from.top, from.bottom);
    dw = std::labs(dw), dh = std::labs(dh), sw = std::labs(sw), sh = std::labs(sh);
    for (const RECT& c : r.clip) {
        RECT part = intersection(target, c);
        if (emptyRect(part)) continue;
        for (int y = part.top; y < part.bottom; ++y) {
            long iy = (2 * (y - target.top) + 1) * sh / (2 * dh);
            if (mirrorY) iy = sh - 1 - iy;
            long syy = sy0 + iy;
            if (syy < 0 || syy >= source.height) continue;
            const Pixel* s = source.row(static_cast<int>(syy));
            Pixel* d = r.row(y);
            for (int x = part.left; x < part.right; ++x) {
                long ix = (2 * (x - target.left) + 1) * sw / (2 * dw);
                if (mirrorX) ix = sw - 1 - ix;
                long sxx = sx0 + ix;
                if (sxx < 0 || sxx >= source.width) continue;
                d[x] = store(r, applyRop3(rop, pattern, mapSource(s[sxx], map), d[x]));
            }
        }
        noteChanged(r, part);
    }
}

}  // namespace winplat::detail
