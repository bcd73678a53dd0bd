// Text layout: DrawTextA's own line breaking, alignment, measuring and mnemonics, opaque
// cells, and runs drawn as their characters alone, on the Liberation metrics.
#include <gtest/gtest.h>

#include <string>

#include "canvas_test.h"
#include "winplat.h"

namespace {

using spx::test::CanvasTest;
using spx::test::Surface;

class TextLayout : public CanvasTest {};

TEST_F(TextLayout, DrawTextBreaksMeasuresAndAligns) {
    struct Result {
        int height = 0;
        RECT rect{};
    };
    Result single, wrapped, centred, measured;
    LONG lineHeight = 0, wordWidth = 0, spaceWidth = 0;
    Surface s = paint(RECT{100, 100, 400, 300}, [&](HDC dc) {
        HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
        SelectObject(dc, font);
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
        lineHeight = tm.tmHeight;
        SIZE size{};
        GetTextExtentPoint32A(dc, "word", 4, &size);
        wordWidth = size.cx;
        GetTextExtentPoint32A(dc, " ", 1, &size);
        spaceWidth = size.cx;
        SetBkMode(dc, TRANSPARENT);
        single.rect = {0, 0, 300, 40};
        single.height = DrawTextA(dc, "one line", -1, &single.rect, DT_SINGLELINE | DT_VCENTER);
        // Three words where two fit per line: two lines.
        wrapped.rect = {0, 50, 2 * wordWidth + spaceWidth + 1, 120};
        RECT calc = wrapped.rect;
        measured.height = DrawTextA(dc, "word word word", -1, &calc, DT_WORDBREAK | DT_CALCRECT);
        measured.rect = calc;
        wrapped.height = DrawTextA(dc, "word word word", -1, &wrapped.rect, DT_WORDBREAK);
        centred.rect = {0, 130, 300, 150};
        centred.height = DrawTextA(dc, "&Help", -1, &centred.rect, DT_SINGLELINE | DT_CENTER);
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(font);
    }, "drawtext");
    ASSERT_FALSE(s.empty());
    ASSERT_GT(lineHeight, 0);
    // Single-line, centred vertically: the result is the offset to the text's bottom.
    EXPECT_EQ(single.height, (40 - lineHeight) / 2 + lineHeight);
    EXPECT_EQ(wrapped.height, 2 * lineHeight);
    EXPECT_EQ(measured.height, 2 * lineHeight);
    EXPECT_EQ(measured.rect.right, 2 * wordWidth + spaceWidth);
    EXPECT_EQ(measured.rect.bottom, 50 + 2 * lineHeight);
    // Nothing of the wrapped text below its two lines; something on each.
    auto inkIn = [&](RECT r) {
        int ink = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) ink += s[static_cast<size_t>(y)][static_cast<size_t>(x)] != 0xFFFFFFu;
        return ink;
    };
    EXPECT_GT(inkIn(RECT{0, 50, 300, 50 + lineHeight}), 0);
    EXPECT_GT(inkIn(RECT{0, 50 + lineHeight, 300, 50 + 2 * lineHeight}), 0);
    EXPECT_EQ(inkIn(RECT{0, 50 + 2 * lineHeight, 300, 125}), 0);
    // Centred: as much room on both sides within a pixel; the mnemonic is underlined under 'H'.
    int left = 300, right = 0;
    for (int y = 130; y < 150; ++y)
        for (int x = 0; x < 300; ++x)
            if (s[static_cast<size_t>(y)][static_cast<size_t>(x)] != 0xFFFFFFu) left = std::min(left, x), right = std::max(right, x + 1);
    EXPECT_LE(std::abs(left - (300 - right)), 3);
    EXPECT_EQ(centred.height, lineHeight);
}

TEST_F(TextLayout, OpaqueTextFillsItsCells) {
    SIZE extent{};
    Surface s = paint(RECT{100, 100, 300, 200}, [&](HDC dc) {
        SetBkColor(dc, RGB(0, 255, 0));
        SetTextColor(dc, RGB(255, 0, 0));
        TextOutA(dc, 10, 10, "Mg", 2);
        GetTextExtentPoint32A(dc, "Mg", 2, &extent);
        RECT box{10, 50, 60, 70};
        ExtTextOutA(dc, 10, 50, ETO_OPAQUE | ETO_CLIPPED, &box, "Wide text here", 14, nullptr);
    }, "opaque");
    ASSERT_FALSE(s.empty());
    for (int y = 10; y < 10 + extent.cy; ++y)
        for (int x = 10; x < 10 + extent.cx; ++x) {
            uint32_t p = s[static_cast<size_t>(y)][static_cast<size_t>(x)];
            ASSERT_TRUE(p == 0x00FF00u || p == 0xFF0000u) << x << "," << y;
        }
    EXPECT_EQ(s[static_cast<size_t>(10 + extent.cy)][10], 0xFFFFFFu);
    // The clipped string stops at its rectangle, which is filled.
    EXPECT_EQ(s[50][10], 0x00FF00u);
    for (int y = 45; y < 75; ++y) EXPECT_EQ(s[static_cast<size_t>(y)][60], 0xFFFFFFu) << y;
}

// A run of every character code is drawn as its characters drawn one by one at the advances the
// metrics give, in plain, bold, italic, stretched and underlined faces; a soft hyphen shows
// nothing where a hyphen shows ink.
TEST_F(TextLayout, ARunDrawsEachCharacterAsItDrawsAlone) {
    std::string text;
    for (int c = 1; c < 256; ++c) text += static_cast<char>(c);
    const struct {
        const char* name;
        int height, width, weight;
        BYTE italic, underline;
        const char* face;
    } fonts[] = {
        {"sans 11", -11, 0, FW_NORMAL, 0, 0, ""},
        {"serif bold 16", -16, 0, FW_BOLD, 0, 0, "Liberation Serif"},
        {"mono italic 13", -13, 0, FW_NORMAL, 1, 0, "Liberation Mono"},
        {"sans stretched", -14, 11, FW_NORMAL, 0, 0, ""},
        {"sans underlined", -12, 0, FW_NORMAL, 0, 1, ""},
    };
    constexpr int kPerLine = 64;
    const RECT area{0, 0, 1000, 120};
    for (const auto& f : fonts) {
        SCOPED_TRACE(f.name);
        LONG cellHeight = 0;
        auto draw = [&](bool alone) {
            return [&, alone](HDC dc) {
                HFONT font = CreateFontA(f.height, f.width, 0, 0, f.weight, f.italic, f.underline, 0, ANSI_CHARSET, 0, 0,
                                         0, 0, f.face);
                SelectObject(dc, font);
                SetBkMode(dc, TRANSPARENT);
                TEXTMETRICA tm{};
                GetTextMetricsA(dc, &tm);
                cellHeight = tm.tmHeight;
                for (int line = 0; line * kPerLine < static_cast<int>(text.size()); ++line) {
                    const std::string run = text.substr(static_cast<size_t>(line * kPerLine), kPerLine);
                    const int y = 4 + 28 * line;
                    if (!alone) {
                        TextOutA(dc, 4, y, run.data(), static_cast<int>(run.size()));
                        continue;
                    }
                    for (size_t i = 0; i < run.size(); ++i) {
                        SIZE before{};
                        GetTextExtentPoint32A(dc, run.data(), static_cast<int>(i), &before);
                        TextOutA(dc, 4 + before.cx, y, run.data() + i, 1);
                    }
                }
                SelectObject(dc, GetStockObject(SYSTEM_FONT));
                DeleteObject(font);
            };
        };
        const Surface together = paint(area, draw(false), "run");
        const Surface alone = paint(area, draw(true), "alone");
        ASSERT_FALSE(together.empty());
        ASSERT_EQ(together.size(), alone.size());
        // The ink stays in each line's cells, but for the accents of capitals and a few glyphs
        // that reach past the ascent or descent.
        int differing = 0, ink = 0, outside = 0;
        for (size_t y = 0; y < together.size(); ++y)
            for (size_t x = 0; x < together[y].size(); ++x) {
                differing += together[y][x] != alone[y][x];
                const bool inked = together[y][x] != 0xFFFFFFu;
                ink += inked;
                const int row = static_cast<int>(y) - 4;
                outside += inked && (row < 0 || row % 28 >= cellHeight);
            }
        EXPECT_EQ(differing, 0);
        EXPECT_GT(ink, 1000);
        EXPECT_LT(outside * 50, ink);
    }
    // A hyphen alone has ink; a soft hyphen alone has none.
    for (const char* c : {"-", "\xAD"}) {
        SCOPED_TRACE(c[0] == '-' ? "hyphen" : "soft hyphen");
        const Surface s = paint(RECT{0, 0, 40, 40}, [&](HDC dc) { TextOutA(dc, 10, 10, c, 1); }, "hyphen");
        ASSERT_FALSE(s.empty());
        int ink = 0;
        for (const auto& row : s)
            for (uint32_t p : row) ink += p != 0xFFFFFFu;
        if (c[0] == '-') EXPECT_GT(ink, 0);
        else EXPECT_EQ(ink, 0);
    }
}

}  // namespace
