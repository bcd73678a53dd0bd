// Measuring patterns on a window spanning both monitors (the second one above the first's top):
// a dither, patches, a checkerboard, triangles, a 4-px round rectangle, a line of Arial, an
// 8-bit DIB 1:1 and stretched through a 256-entry palette, and palette animation.
#include <gtest/gtest.h>

#include <vector>

#include "canvas_test.h"
#include "winplat.h"

namespace {

using spx::test::CanvasTest;
using spx::test::Surface;

constexpr uint32_t kWhite = 0xFFFFFF;

// The whole desktop: surface pixel (x, y) is desktop point (x, y - 100).
constexpr RECT kDesktop{0, -100, 1824, 768};
constexpr int kTop = 100;  // the surface row of desktop row 0

class Patterns : public CanvasTest {
protected:
    static uint32_t at(const Surface& s, int desktopX, int desktopY) {
        return s[static_cast<size_t>(desktopY + kTop)][static_cast<size_t>(desktopX)];
    }
};

// An 8-bit DIB of 16 x 16, pixel (x, y) from the top being colour index y * 16 + x, with a
// 256-entry table: entry i is RGB(i, 255 - i, i / 2).
struct Dib8 {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[256]{};
    BYTE bits[16 * 16]{};
    Dib8() {
        header = {sizeof(BITMAPINFOHEADER), 16, 16, 1, 8, BI_RGB, 0, 0, 0, 256, 0};
        for (int i = 0; i < 256; ++i)
            colours[i] = {static_cast<BYTE>(i / 2), static_cast<BYTE>(255 - i), static_cast<BYTE>(i), 0};
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) bits[(15 - y) * 16 + x] = static_cast<BYTE>(y * 16 + x);  // bottom-up
    }
    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
};

// The same bits with a DIB_PAL_COLORS table: entry i names palette entry 255 - i.
struct Dib8Indexed {
    BITMAPINFOHEADER header{};
    WORD indices[256]{};
    BYTE bits[16 * 16]{};
    explicit Dib8Indexed(const Dib8& from) {
        header = from.header;
        for (int i = 0; i < 256; ++i) indices[i] = static_cast<WORD>(255 - i);
        std::copy(std::begin(from.bits), std::end(from.bits), bits);
    }
    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
};

HPALETTE makePalette(BYTE flags, COLORREF (*colour)(int)) {
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 256;
    for (int i = 0; i < 256; ++i) {
        COLORREF c = colour(i);
        lp->palPalEntry[i] = {GetRValue(c), GetGValue(c), GetBValue(c), flags};
    }
    return CreatePalette(lp);
}

void fill(HDC dc, int l, int t, int r, int b, COLORREF c) {
    HBRUSH brush = CreateSolidBrush(c);
    RECT rect{l, t, r, b};
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

TEST_F(Patterns, EveryPatternArrivesExactlyAcrossBothMonitors) {
    Dib8 dib;
    Dib8Indexed indexed(dib);
    HPALETTE palette = makePalette(0, [](int j) { return RGB(j / 2, j, 255 - j); });
    SIZE textExtent{};
    Surface s = paint(kDesktop, [&](HDC dc) {
        // Client coordinates: desktop row 0 is client row 100.
        SetViewportOrgEx(dc, 0, kTop, nullptr);
        // A 1-on-2-off dither of the red channel over the whole width, one line per column.
        fill(dc, 0, 0, 1824, 40, RGB(0, 0, 0));
        HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
        HGDIOBJ oldPen = SelectObject(dc, red);
        for (int x = 0; x < 1824; x += 3) {
            MoveToEx(dc, x, 0, nullptr);
            LineTo(dc, x, 40);
        }
        SelectObject(dc, oldPen);
        DeleteObject(red);
        // 59 x 18 patches every 36 pixels down, every 72 across, in grey levels.
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 25; ++i) {
                int level = (i * 10 + j * 3) & 0xFF;
                fill(dc, i * 72, 60 + j * 36, i * 72 + 59, 60 + j * 36 + 18, RGB(level, level, level));
            }
        // A 24-pixel checkerboard, across the monitors' boundary.
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 12; ++i)
                if ((i + j) % 2 == 0) fill(dc, 880 + i * 24, 220 + j * 24, 880 + i * 24 + 24, 220 + j * 24 + 24, RGB(0, 0, 0));
        // A filled triangle over the boundary, and a round rectangle above the first monitor.
        SelectObject(dc, GetStockObject(NULL_PEN));
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        POINT triangle[3] = {{1000, 340}, {1100, 340}, {1000, 400}};
        Polygon(dc, triangle, 3);
        HPEN wide = CreatePen(PS_SOLID, 4, RGB(0, 0, 255));
        SelectObject(dc, wide);
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        RoundRect(dc, 1100, -90, 1300, -10, 15, 15);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        DeleteObject(wide);
        // A line of Arial.
        HFONT arial = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
        HGDIOBJ oldFont = SelectObject(dc, arial);
        SetBkColor(dc, RGB(255, 255, 0));
        TextOutA(dc, 1200, 195, "Spectrine test line", 19);
        GetTextExtentPoint32A(dc, "Spectrine test line", 19, &textExtent);
        SelectObject(dc, oldFont);
        DeleteObject(arial);
        // The DIB 1:1, then stretched three times through the palette.
        SetDIBitsToDevice(dc, 1300, 200, 16, 16, 0, 0, 0, 16, dib.bits, dib.info(), DIB_RGB_COLORS);
        HPALETTE old = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
        StretchDIBits(dc, 1400, 200, 48, 48, 0, 0, 16, 16, indexed.bits, indexed.info(), DIB_PAL_COLORS, SRCCOPY);
        SelectPalette(dc, old, FALSE);
    }, "patterns");
    DeleteObject(palette);
    ASSERT_FALSE(s.empty());
    ASSERT_EQ(s.size(), 868u);
    for (int x = 0; x < 1824; ++x) {
        uint32_t want = x % 3 == 0 ? 0xFF0000u : 0u;
        ASSERT_EQ(at(s, x, 0), want) << x;
        ASSERT_EQ(at(s, x, 39), want) << x;
    }
    EXPECT_EQ(at(s, 0, 40), kWhite);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 25; ++i) {
            SCOPED_TRACE(std::to_string(i) + "," + std::to_string(j));
            uint32_t level = static_cast<uint32_t>((i * 10 + j * 3) & 0xFF);
            uint32_t grey = level << 16 | level << 8 | level;
            int x = i * 72, y = 60 + j * 36;
            EXPECT_EQ(at(s, x, y), grey);
            EXPECT_EQ(at(s, x + 58, y + 17), grey);
            EXPECT_EQ(at(s, x + 59, y), kWhite);
            EXPECT_EQ(at(s, x, y + 18), kWhite);
        }
    for (int y = 220; y < 316; ++y)
        for (int x = 880; x < 1168; ++x) {
            bool black = ((x - 880) / 24 + (y - 220) / 24) % 2 == 0;
            ASSERT_EQ(at(s, x, y), black ? 0u : kWhite) << x << "," << y;
        }
    // The triangle's edges: the vertical one inclusive, the long one by pixel centres.
    EXPECT_EQ(at(s, 1000, 340), 0u);
    EXPECT_EQ(at(s, 1098, 340), 0u);
    EXPECT_EQ(at(s, 1099, 340), kWhite);  // its centre lies right of the slanted edge
    EXPECT_EQ(at(s, 1000, 399), 0u);
    EXPECT_EQ(at(s, 999, 370), kWhite);
    // The round rectangle's straight sides, above the first monitor: 4 pixels centred on the
    // centres of the box's outermost pixels, a centre 2 pixels away counting on the left and
    // top side of the stroke only.
    for (int y : {-92, -91, -90, -89}) EXPECT_EQ(at(s, 1200, y), 0x0000FFu) << y;
    for (int y : {-13, -12, -11, -10}) EXPECT_EQ(at(s, 1200, y), 0x0000FFu) << y;
    for (int x : {1098, 1099, 1100, 1101}) EXPECT_EQ(at(s, x, -50), 0x0000FFu) << x;
    for (int y : {-93, -88, -14, -9}) EXPECT_EQ(at(s, 1200, y), kWhite) << y;
    EXPECT_EQ(at(s, 1200, -50), kWhite);
    // The text's cells are the background colour, with glyphs inside them.
    int glyphs = 0;
    for (int y = 195; y < 195 + textExtent.cy; ++y)
        for (int x = 1200; x < 1200 + textExtent.cx; ++x) {
            uint32_t p = at(s, x, y);
            ASSERT_TRUE(p == 0xFFFF00u || p == 0u) << x << "," << y;
            glyphs += p == 0u;
        }
    EXPECT_GT(glyphs, 100);
    EXPECT_EQ(at(s, 1200 + textExtent.cx, 195), kWhite);
    EXPECT_EQ(at(s, 1200, 195 + textExtent.cy), kWhite);
    // The DIB keeps its colour table exactly; stretched, each pixel is a 3 x 3 block of the
    // palette entry its table names.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            int i = y * 16 + x, j = 255 - i;
            ASSERT_EQ(at(s, 1300 + x, 200 + y), static_cast<uint32_t>(i << 16 | (255 - i) << 8 | i / 2)) << i;
            uint32_t stretched = static_cast<uint32_t>((j / 2) << 16 | j << 8 | (255 - j));
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 3; ++dx) ASSERT_EQ(at(s, 1400 + 3 * x + dx, 200 + 3 * y + dy), stretched) << i;
        }
    EXPECT_EQ(at(s, 1316, 200), kWhite);
    EXPECT_EQ(at(s, 1448, 200), kWhite);
}

// PALETTEINDEX paints the palette's entry at drawing time; AnimatePalette changes the reserved
// entries and repaints every window that realised the palette before it returns.
TEST_F(Patterns, AnimatePaletteRepaintsAPaletteIndexFillAtOnce) {
    HPALETTE palette = makePalette(PC_RESERVED, [](int i) { return RGB(i, i, i); });
    Surface s = paint(RECT{100, 100, 200, 150}, [&](HDC dc) {
        HPALETTE old = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
        fill(dc, 0, 0, 50, 50, PALETTEINDEX(245));
        fill(dc, 50, 0, 100, 50, PALETTERGB(8, 8, 8));
        SelectPalette(dc, old, FALSE);
    }, "palette-before");
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s[10][10], 0xF5F5F5u);
    EXPECT_EQ(s[10][60], 0x080808u);
    PALETTEENTRY entry{12, 34, 56, PC_RESERVED};
    int before = paints();
    ASSERT_TRUE(AnimatePalette(palette, 245, 1, &entry));
    EXPECT_EQ(paints(), before + 1);  // repainted inside the call
    s = surfaceOf(window(), "palette-after");
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s[10][10], 0x0C2238u);
    EXPECT_EQ(s[10][60], 0x080808u);
    PALETTEENTRY read{};
    EXPECT_EQ(GetPaletteEntries(palette, 245, 1, &read), 1u);
    EXPECT_EQ(read.peRed, 12);
    EXPECT_EQ(read.peFlags, PC_RESERVED);
    DestroyWindow(window());
    DeleteObject(palette);
}

}  // namespace
