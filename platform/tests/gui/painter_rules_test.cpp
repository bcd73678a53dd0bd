// The rules the painter keeps, each pinned by exact pixels of a saved surface.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "canvas_test.h"
#include "winplat.h"

namespace {

using spx::test::CanvasTest;
using spx::test::Surface;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr RECT kCanvas{100, 100, 300, 260};  // 200 x 160 on the first monitor

class PainterRules : public CanvasTest {
protected:
    // The pixels of `s` inside `area` that are not white.
    static std::set<std::pair<int, int>> painted(const Surface& s, RECT area) {
        std::set<std::pair<int, int>> out;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (s[static_cast<size_t>(y)][static_cast<size_t>(x)] != kWhite) out.insert({x, y});
        return out;
    }
    static uint32_t at(const Surface& s, int x, int y) { return s[static_cast<size_t>(y)][static_cast<size_t>(x)]; }
};

// Rules 1 and 8: one device pixel per unit, exact colours, SRCCOPY keeps them.
TEST_F(PainterRules, ColoursArriveExactlyOnePixelPerUnit) {
    COLORREF levels[] = {RGB(0, 0, 0), RGB(1, 2, 3), RGB(8, 8, 8), RGB(254, 127, 1), RGB(255, 255, 255)};
    Surface s = paint(kCanvas, [&](HDC dc) {
        for (int i = 0; i < 5; ++i) {
            HBRUSH b = CreateSolidBrush(levels[i]);
            RECT r{i, 0, i + 1, 1};
            FillRect(dc, &r, b);
            DeleteObject(b);
        }
        HBRUSH b = CreateSolidBrush(PALETTERGB(8, 8, 8));
        RECT r{0, 1, 5, 2};
        FillRect(dc, &r, b);
        DeleteObject(b);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    }, "colours");
    ASSERT_FALSE(s.empty());
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(at(s, i, 0), rgb(levels[i]));
        EXPECT_EQ(at(s, i, 1), 0x080808u);
    }
    EXPECT_EQ(at(s, 5, 0), kWhite);
}

// Rule 3: fills, blits and clips cover left <= x < right, top <= y < bottom.
TEST_F(PainterRules, RectanglesAreHalfOpen) {
    RECT clip{};
    int kind = 0;
    Surface s = paint(kCanvas, [&](HDC dc) {
        RECT r{10, 10, 20, 15};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        PatBlt(dc, 30, 10, 10, 5, PATCOPY);
        BitBlt(dc, 50, 10, 10, 5, dc, 10, 10, SRCCOPY);
        kind = GetClipBox(dc, &clip);
    }, "half-open");
    ASSERT_FALSE(s.empty());
    for (int left : {10, 30, 50}) {
        SCOPED_TRACE(left);
        auto got = painted(s, RECT{left - 2, 8, left + 12, 17});
        std::set<std::pair<int, int>> want;
        for (int y = 10; y < 15; ++y)
            for (int x = left; x < left + 10; ++x) want.insert({x, y});
        EXPECT_EQ(got, want);
    }
    EXPECT_EQ(kind, SIMPLEREGION);
    EXPECT_EQ(clip.left, 0);
    EXPECT_EQ(clip.top, 0);
    EXPECT_EQ(clip.right, 200);
    EXPECT_EQ(clip.bottom, 160);
}

// Rules 2 and 4: a 1-px pen outlines the outermost pixels of [l, r) x [t, b) and the brush
// fills inside; without a pen the fill is [l, r - 1) x [t, b - 1); nothing is blended.
TEST_F(PainterRules, FiguresWithAOnePixelPen) {
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    Surface s = paint(kCanvas, [&](HDC dc) {
        SelectObject(dc, red);
        Rectangle(dc, 10, 10, 20, 18);
        Ellipse(dc, 30, 10, 61, 31);
        SelectObject(dc, GetStockObject(NULL_PEN));
        Rectangle(dc, 70, 10, 80, 18);
    }, "figures");
    DeleteObject(red);
    ASSERT_FALSE(s.empty());
    // The rectangle: a black border, red inside.
    for (int y = 10; y < 18; ++y)
        for (int x = 10; x < 20; ++x) {
            bool border = x == 10 || x == 19 || y == 10 || y == 17;
            EXPECT_EQ(at(s, x, y), border ? 0u : 0xFF0000u) << x << "," << y;
        }
    EXPECT_EQ(at(s, 20, 12), kWhite);
    EXPECT_EQ(at(s, 12, 18), kWhite);
    // The ellipse touches every side of its box at the middle, and only black and red appear.
    EXPECT_EQ(at(s, 30, 20), 0u);
    EXPECT_EQ(at(s, 60, 20), 0u);
    EXPECT_EQ(at(s, 45, 10), 0u);
    EXPECT_EQ(at(s, 45, 30), 0u);
    EXPECT_EQ(at(s, 29, 20), kWhite);
    EXPECT_EQ(at(s, 61, 20), kWhite);
    EXPECT_EQ(at(s, 30, 10), kWhite);  // the box's corner is outside the ellipse
    EXPECT_EQ(at(s, 45, 20), 0xFF0000u);
    for (int y = 10; y < 31; ++y)
        for (int x = 30; x < 61; ++x) {
            uint32_t p = at(s, x, y);
            EXPECT_TRUE(p == 0u || p == 0xFF0000u || p == kWhite) << x << "," << y;
        }
    // Without a pen: one pixel less on the right and at the bottom.
    auto filled = painted(s, RECT{68, 8, 82, 20});
    std::set<std::pair<int, int>> want;
    for (int y = 10; y < 17; ++y)
        for (int x = 70; x < 79; ++x) want.insert({x, y});
    EXPECT_EQ(filled, want);
}

// Rule 5: 1-px lines without their last point; PS_DOT is 3 on, 3 off across a call's segments,
// the gaps in the background colour under OPAQUE and untouched under TRANSPARENT.
TEST_F(PainterRules, ThinLinesAndDots) {
    Surface s = paint(kCanvas, [&](HDC dc) {
        MoveToEx(dc, 10, 10, nullptr);
        LineTo(dc, 20, 10);
        MoveToEx(dc, 10, 20, nullptr);
        LineTo(dc, 15, 25);
        HPEN dots = CreatePen(PS_DOT, 1, RGB(0, 0, 255));
        HGDIOBJ old = SelectObject(dc, dots);
        SetBkColor(dc, RGB(0, 255, 0));
        POINT path[3] = {{10, 40}, {14, 40}, {24, 40}};
        Polyline(dc, path, 3);
        SetBkMode(dc, TRANSPARENT);
        MoveToEx(dc, 10, 50, nullptr);
        LineTo(dc, 22, 50);
        SelectObject(dc, old);
        DeleteObject(dots);
    }, "lines");
    ASSERT_FALSE(s.empty());
    for (int x = 10; x < 20; ++x) EXPECT_EQ(at(s, x, 10), 0u) << x;
    EXPECT_EQ(at(s, 20, 10), kWhite);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(at(s, 10 + i, 20 + i), 0u) << i;
    EXPECT_EQ(at(s, 15, 25), kWhite);
    // The dots run on from the first segment into the second.
    for (int x = 10; x < 24; ++x) {
        bool on = (x - 10) % 6 < 3;
        EXPECT_EQ(at(s, x, 40), on ? 0x0000FFu : 0x00FF00u) << x;
    }
    EXPECT_EQ(at(s, 24, 40), kWhite);
    for (int x = 10; x < 22; ++x) EXPECT_EQ(at(s, x, 50), (x - 10) % 6 < 3 ? 0x0000FFu : kWhite) << x;
}

// The distance from a point to a segment.
double toSegment(double px, double py, double ax, double ay, double bx, double by) {
    double dx = bx - ax, dy = by - ay, l2 = dx * dx + dy * dy;
    double t = l2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / l2, 0.0, 1.0) : 0.0;
    return std::hypot(ax + t * dx - px, ay + t * dy - py);
}

// Rule 6: a wider pen covers the pixels whose centres lie within half its width of the outline,
// which runs through the centres of the figure's outermost pixels: for RoundRect with 15 x 15
// corners, four sides and four quarter circles of radius 7 (half the corner, less half a pixel).
TEST_F(PainterRules, TheStepFrameRoundRectWithAFourPixelPen) {
    const RECT box{20, 20, 120, 90};
    Surface s = paint(kCanvas, [&](HDC dc) {
        HPEN pen = CreatePen(PS_SOLID, 4, RGB(0, 0, 0));
        HBRUSH fill = CreateSolidBrush(RGB(200, 100, 50));
        SelectObject(dc, pen);
        SelectObject(dc, fill);
        RoundRect(dc, box.left, box.top, box.right, box.bottom, 15, 15);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(pen);
        DeleteObject(fill);
    }, "step-frame");
    ASSERT_FALSE(s.empty());
    double l = box.left + 0.5, t = box.top + 0.5, r = box.right - 0.5, b = box.bottom - 0.5, k = 7;
    auto distance = [&](double x, double y) {
        double d = std::min({toSegment(x, y, l + k, t, r - k, t), toSegment(x, y, l + k, b, r - k, b),
                             toSegment(x, y, l, t + k, l, b - k), toSegment(x, y, r, t + k, r, b - k)});
        for (auto [cx, cy] : {std::pair{l + k, t + k}, {r - k, t + k}, {l + k, b - k}, {r - k, b - k}}) {
            bool corner = (x - cx) * (cx - (l + r) / 2) >= 0 && (y - cy) * (cy - (t + b) / 2) >= 0;
            if (corner) d = std::min(d, std::abs(std::hypot(x - cx, y - cy) - k));
        }
        return d;
    };
    int compared = 0;
    for (int y = box.top - 4; y < box.bottom + 4; ++y)
        for (int x = box.left - 4; x < box.right + 4; ++x) {
            double d = distance(x + 0.5 + 1.0 / 4096, y + 0.5 + 1.0 / 4096);
            if (std::abs(d - 2) < 0.02) continue;  // where the curve's chords may differ
            ++compared;
            bool pen = d < 2;
            if (pen) EXPECT_EQ(at(s, x, y), 0u) << x << "," << y;
            else EXPECT_NE(at(s, x, y), 0u) << x << "," << y;
        }
    EXPECT_GT(compared, 1000);
    // Straight sides: 4 pixels wide, two outside the box's outermost pixels and two inside.
    for (int x : {18, 19, 20, 21}) EXPECT_EQ(at(s, x, 55), 0u) << x;
    EXPECT_EQ(at(s, 17, 55), kWhite);
    EXPECT_EQ(at(s, 22, 55), 0xC86432u);
    EXPECT_EQ(at(s, 70, 55), 0xC86432u);
}

// Rule 7: polygons fill the pixels whose centres lie inside (ALTERNATE), a centre on an edge
// counting for the left and top edges only.
TEST_F(PainterRules, FilledTrianglesTakeThePixelsWhoseCentresLieInside) {
    struct Triangle {
        POINT p[3];
    } triangles[] = {
        {{{10, 10}, {60, 15}, {25, 50}}},
        {{{70, 10}, {70, 40}, {100, 40}}},
        {{{110, 50}, {190, 12}, {150, 80}}},
    };
    Surface s = paint(kCanvas, [&](HDC dc) {
        SelectObject(dc, GetStockObject(NULL_PEN));
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        for (const Triangle& t : triangles) Polygon(dc, t.p, 3);
    }, "triangles");
    ASSERT_FALSE(s.empty());
    for (const Triangle& t : triangles) {
        SCOPED_TRACE(t.p[0].x);
        RECT area{200, 200, 0, 0};
        for (POINT p : t.p) {
            area.left = std::min(area.left, p.x - 2), area.top = std::min(area.top, p.y - 2);
            area.right = std::max(area.right, p.x + 2), area.bottom = std::max(area.bottom, p.y + 2);
        }
        std::set<std::pair<int, int>> want;
        for (int y = area.top; y < area.bottom; ++y) {
            double ys = y + 0.5 + 1.0 / 4096;
            std::vector<double> xs;
            for (int i = 0; i < 3; ++i) {
                POINT a = t.p[i], c = t.p[(i + 1) % 3];
                if (a.y == c.y) continue;
                double y0 = std::min(a.y, c.y), y1 = std::max(a.y, c.y);
                if (ys < y0 || ys >= y1) continue;
                xs.push_back(a.x + (ys - a.y) * (c.x - a.x) / static_cast<double>(c.y - a.y));
            }
            if (xs.size() != 2) continue;
            double from = std::min(xs[0], xs[1]), to = std::max(xs[0], xs[1]);
            for (int x = area.left; x < area.right; ++x) {
                double xc = x + 0.5 + 1.0 / 4096;
                if (xc >= from && xc < to) want.insert({x, y});
            }
        }
        EXPECT_EQ(painted(s, area), want);
    }
}

// Rule 9: text in Liberation Sans for "Arial"; TRANSPARENT touches only glyph pixels, in the
// text colour, inside the extent GetTextExtentPoint32A measures.
TEST_F(PainterRules, TextTouchesOnlyGlyphPixelsInsideItsExtent) {
    SIZE extent{};
    TEXTMETRICA tm{};
    char face[LF_FACESIZE] = {};
    Surface s = paint(kCanvas, [&](HDC dc) {
        HFONT font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 128));
        const char text[] = "Hamburgefonstiv";
        GetTextExtentPoint32A(dc, text, 15, &extent);
        GetTextMetricsA(dc, &tm);
        GetTextFaceA(dc, sizeof face, face);
        TextOutA(dc, 20, 30, text, 15);
        SelectObject(dc, old);
        DeleteObject(font);
    }, "text");
    ASSERT_FALSE(s.empty());
    EXPECT_STREQ(face, "Arial");
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(extent.cy, tm.tmHeight);
    // Liberation Sans's 1854 units above and 434 below the baseline (Arial's), of 2048 to the
    // em, scaled to 16 pixels and rounded.
    EXPECT_EQ(tm.tmAscent, 14);
    EXPECT_EQ(tm.tmDescent, 3);
    EXPECT_GT(extent.cx, 100);
    EXPECT_LT(extent.cx, 140);
    auto glyphs = painted(s, RECT{0, 0, 200, 160});
    ASSERT_FALSE(glyphs.empty());
    int left = 200, right = 0, top = 160, bottom = 0;
    for (auto [x, y] : glyphs) {
        EXPECT_EQ(at(s, x, y), 0x000080u) << x << "," << y;
        left = std::min(left, x), right = std::max(right, x + 1);
        top = std::min(top, y), bottom = std::max(bottom, y + 1);
    }
    EXPECT_GE(left, 20);
    EXPECT_LE(left, 22);
    EXPECT_LE(right, 20 + extent.cx);
    EXPECT_GE(right, 20 + extent.cx - 3);
    EXPECT_GE(top, 30);
    EXPECT_LE(bottom, 30 + extent.cy);
}

// BI_RLE8 DIBs decode runs, absolute runs and line ends exactly; the system colours are the
// style's palette (Fusion in the tests).
TEST_F(PainterRules, RunLengthDibsAndStyleColours) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[4];
    } info{{sizeof(BITMAPINFOHEADER), 4, 2, 1, 8, BI_RLE8, 16, 0, 0, 4, 0},
           {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}}};
    // Bottom row: two of 1, two of 2, end of line; top row: 3, 1, 2 as an absolute run (padded
    // to a word), one of 3, end of bitmap.
    const BYTE rle[16] = {2, 1, 2, 2, 0, 0, 0, 3, 3, 1, 2, 0, 1, 3, 0, 1};
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    Surface s = paint(kCanvas, [&](HDC dc) {
        EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 4, 2, 0, 0, 0, 2, rle, reinterpret_cast<const BITMAPINFO*>(&info),
                                    DIB_RGB_COLORS), 2);
        RECT r{0, 5, 4, 6};
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    }, "rle8");
    ASSERT_FALSE(s.empty());
    const uint32_t red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
    EXPECT_EQ((std::vector<uint32_t>(s[0].begin(), s[0].begin() + 5)), (std::vector<uint32_t>{blue, red, green, blue, kWhite}));
    EXPECT_EQ((std::vector<uint32_t>(s[1].begin(), s[1].begin() + 5)), (std::vector<uint32_t>{red, red, green, green, kWhite}));
    // Fusion's button colour, not the classic grey.
    EXPECT_EQ(face, RGB(239, 239, 239));
    EXPECT_EQ(s[5][0], rgb(face));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
}

// Mapping modes: MM_ANISOTROPIC scales and rounds to nearest.
TEST_F(PainterRules, AnisotropicMappingRoundsToNearest) {
    Surface s = paint(kCanvas, [&](HDC dc) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 3, 3, nullptr);
        SetViewportExtEx(dc, 10, 10, nullptr);
        SetViewportOrgEx(dc, 5, 5, nullptr);
        RECT r{1, 1, 4, 2};  // device 3.33 -> 3, 13.33 -> 13, 6.67 -> 7 (plus the origin)
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        POINT p{4, 2};
        LPtoDP(dc, &p, 1);
        EXPECT_EQ(p.x, 18);
        EXPECT_EQ(p.y, 12);
    }, "mapping");
    ASSERT_FALSE(s.empty());
    std::set<std::pair<int, int>> want;
    for (int y = 8; y < 12; ++y)
        for (int x = 8; x < 18; ++x) want.insert({x, y});
    EXPECT_EQ(painted(s, RECT{0, 0, 40, 40}), want);
}

}  // namespace
