// Pictures among the resources, from bytes made here: packed DIBs of every header and
// compression with their damage, and the choice of one image from an icon or cursor group.
#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "resources.h"

namespace {

using namespace winplat::detail;
using Bytes = std::vector<BYTE>;

struct Header {
    DWORD size = 40;
    LONG width = 5;
    LONG height = 3;
    WORD planes = 1;
    WORD bitCount = 8;
    DWORD compression = kDibRgb;
    DWORD coloursUsed = 0;
};

void put(Bytes& out, size_t at, DWORD value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<BYTE>(value >> (8 * i));
}

// A header as described, followed by `tail` zero bytes (colour table, masks and pixels); a
// negative tail cuts the header short.
Bytes dib(const Header& h, ptrdiff_t tail) {
    Bytes out(static_cast<size_t>(static_cast<ptrdiff_t>(h.size) + tail), 0);
    put(out, 0, h.size, 4);
    if (h.size == 12) {
        put(out, 4, static_cast<DWORD>(h.width), 2);
        put(out, 6, static_cast<DWORD>(h.height), 2);
        put(out, 8, h.planes, 2);
        put(out, 10, h.bitCount, 2);
        return out;
    }
    put(out, 4, static_cast<DWORD>(h.width), 4);
    put(out, 8, static_cast<DWORD>(h.height), 4);
    put(out, 12, h.planes, 2);
    put(out, 14, h.bitCount, 2);
    put(out, 16, h.compression, 4);
    put(out, 32, h.coloursUsed, 4);
    return out;
}

TEST(PackedDibs, LayoutsAreMeasuredAndDamageIsRefused) {
    struct Layout {
        size_t colours, colourOffset, bitsOffset, stride;
        LONG height;
    };
    struct Case {
        const char* name;
        Header header;
        ptrdiff_t tail;
        bool iconImage;
        std::optional<Layout> layout;  // none: refused
    };
    const Case cases[] = {
        {"8 bits, 5 x 3", {}, 1024 + 24, false, Layout{256, 40, 1064, 8, 3}},
        {"one pixel row short", {}, 1024 + 23, false, {}},
        {"colour table short", {}, 1000, false, {}},
        {"colours used", {.coloursUsed = 4}, 16 + 24, false, Layout{4, 40, 56, 8, 3}},
        {"colours used beyond 256", {.coloursUsed = 300}, 1024 + 24, false,
         Layout{256, 40, 1064, 8, 3}},
        {"top-down", {.height = -3}, 1024 + 24, false, Layout{256, 40, 1064, 8, -3}},
        {"1 bit", {.width = 33, .bitCount = 1}, 8 + 3 * 8, false, Layout{2, 40, 48, 8, 3}},
        {"4 bits", {.bitCount = 4}, 64 + 3 * 4, false, Layout{16, 40, 104, 4, 3}},
        {"24 bits", {.bitCount = 24}, 3 * 16, false, Layout{0, 40, 40, 16, 3}},
        {"32-bit fields", {.bitCount = 32, .compression = kDibBitfields}, 12 + 3 * 20, false,
         Layout{0, 52, 52, 20, 3}},
        {"16-bit fields in a V5 header",
         {.size = 124, .bitCount = 16, .compression = kDibBitfields}, 3 * 12, false,
         Layout{0, 124, 124, 12, 3}},
        {"RLE8", {.compression = kDibRle8}, 1024 + 2, false, Layout{256, 40, 1064, 0, 3}},
        {"RLE8 of 4 bits", {.bitCount = 4, .compression = kDibRle8}, 64 + 2, false, {}},
        {"RLE4", {.bitCount = 4, .compression = kDibRle4}, 64 + 2, false,
         Layout{16, 40, 104, 0, 3}},
        {"RLE top-down", {.height = -3, .compression = kDibRle8}, 1024 + 2, false, {}},
        {"fields of 8 bits", {.compression = kDibBitfields}, 1024 + 12 + 24, false, {}},
        {"unknown compression", {.compression = 9}, 1024 + 24, false, {}},
        {"core header", {.size = 12, .bitCount = 8}, 768 + 24, false, Layout{256, 12, 780, 8, 3}},
        {"2 planes", {.planes = 2}, 1024 + 24, false, {}},
        {"7 bits", {.bitCount = 7}, 1024 + 24, false, {}},
        {"zero width", {.width = 0}, 1024, false, {}},
        {"zero height", {.height = 0}, 1024, false, {}},
        {"vast width", {.width = 0x7fffffff}, 1024 + 24, false, {}},
        {"header size 20", {.size = 20}, 1024 + 24, false, {}},
        {"header longer than the bytes", {.size = 124, .bitCount = 24}, -24, false, {}},
        {"icon 32 x 32, 4 bits", {.width = 32, .height = 64, .bitCount = 4},
         64 + 32 * 16 + 32 * 4, true, Layout{16, 40, 104, 16, 32}},
        {"icon mask short", {.width = 32, .height = 64, .bitCount = 4}, 64 + 32 * 16 + 32 * 4 - 1,
         true, {}},
        {"icon of odd height", {.width = 32, .height = 63, .bitCount = 4}, 4096, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = dib(c.header, c.tail);
        auto parsed = parsePackedDib(bytes, c.iconImage);
        ASSERT_EQ(parsed.has_value(), c.layout.has_value());
        if (!parsed) continue;
        EXPECT_EQ(parsed->bytes.size(), bytes.size());
        EXPECT_EQ(parsed->width, c.header.width);
        EXPECT_EQ(parsed->height, c.layout->height);
        EXPECT_EQ(parsed->bitCount, c.header.bitCount);
        EXPECT_EQ(parsed->colourCount, c.layout->colours);
        EXPECT_EQ(parsed->colourEntryBytes, c.header.size == 12 ? 3u : 4u);
        EXPECT_EQ(parsed->colourOffset, c.layout->colourOffset);
        EXPECT_EQ(parsed->bitsOffset, c.layout->bitsOffset);
        EXPECT_EQ(parsed->stride, c.layout->stride);
    }
}

TEST(IconChoice, SizesAndDepthsAreChosenAsWin32Chooses) {
    struct Case {
        const char* name;
        std::vector<IconCandidate> candidates;
        bool cursor;
        int cx, cy, bitsPerPixel;
        size_t chosen;
    };
    const std::vector<IconCandidate> depths = {{32, 32, 1}, {32, 32, 8}, {32, 32, 4}};
    const std::vector<IconCandidate> sizes = {{48, 48, 8}, {16, 16, 8}, {32, 32, 8}};
    const Case cases[] = {
        {"icon: most bits up to a true-colour screen", depths, false, 32, 32, 32, 1},
        {"icon: nearest depth on a 16-colour screen", depths, false, 32, 32, 4, 2},
        {"icon: monochrome", depths, false, 32, 32, 1, 0},
        {"icon: nearest size", sizes, false, 30, 30, 8, 2},
        {"icon: nearer larger", sizes, false, 44, 44, 8, 0},
        {"icon: sum of both differences", {{16, 48, 8}, {32, 32, 8}}, false, 24, 36, 8, 1},
        {"icon: no size takes the first's", sizes, false, 0, 0, 8, 0},
        {"icon: no width takes the first's", {{32, 32, 8}, {16, 16, 8}, {32, 16, 8}}, false, 0, 16,
         8, 2},
        {"icon: a tie goes to the earlier", {{16, 16, 8}, {48, 48, 8}}, false, 32, 32, 8, 0},
        {"cursor: most bits on colour", depths, true, 32, 32, 32, 1},
        {"cursor: fewest bits when monochrome", depths, true, 32, 32, 1, 0},
        {"cursor: largest no larger", sizes, true, 40, 40, 8, 2},
        {"cursor: all larger, the smallest", {{48, 48, 1}, {32, 32, 1}, {64, 64, 1}}, true, 16,
         16, 1, 1},
        {"cursor: both sides must fit", {{16, 40, 1}, {24, 24, 1}}, true, 32, 32, 1, 1},
        {"cursor: no size takes the first", sizes, true, 0, 0, 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(chooseIconCandidate(c.candidates, c.cursor, c.cx, c.cy, c.bitsPerPixel),
                  c.chosen);
    }
}

TEST(IconGroups, DirectoriesAreReadOrRefused) {
    // Head: reserved, type, count; icon entry: width, height, colours, reserved, planes, bit
    // count, bytes, id; cursor entry: width, doubled height, planes, bit count, bytes, id.
    const Bytes icon = {0, 0, 1, 0, 1, 0,  16, 16, 16, 0, 1, 0, 4, 0, 0x28, 1, 0, 0, 7, 0};
    const Bytes huge = {0, 0, 1, 0, 1, 0,  0, 0, 0, 0, 1, 0, 32, 0, 0, 0, 1, 0, 9, 0};
    const Bytes cursor = {0, 0, 2, 0, 1, 0,  32, 0, 64, 0, 1, 0, 1, 0, 0x34, 1, 0, 0, 1, 0};
    auto changed = [](Bytes bytes, size_t at, BYTE value) {
        bytes[at] = value;
        return bytes;
    };
    Bytes longer = icon;
    longer.insert(longer.end(), {0xAA, 0xBB, 0xCC});
    struct Case {
        const char* name;
        Bytes bytes;
        bool cursor;
        std::optional<IconGroupEntry> first;  // none: refused
        size_t count;
    };
    const Case cases[] = {
        {"icon", icon, false, IconGroupEntry{{16, 16, 4}, 7}, 1},
        {"icon of 256", huge, false, IconGroupEntry{{256, 256, 32}, 9}, 1},
        {"cursor", cursor, true, IconGroupEntry{{32, 32, 1}, 1}, 1},
        {"bytes after the entries", longer, false, IconGroupEntry{{16, 16, 4}, 7}, 1},
        {"icon group read as cursors", icon, true, {}, 0},
        {"reserved word set", changed(icon, 0, 1), false, {}, 0},
        {"no entries", changed(icon, 4, 0), false, {}, 0},
        {"more entries than bytes", changed(icon, 4, 2), false, {}, 0},
        {"head only", Bytes(icon.begin(), icon.begin() + 6), false, {}, 0},
        {"nothing", Bytes{}, false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto entries = parseIconGroup(c.bytes, c.cursor);
        ASSERT_EQ(entries.has_value(), c.first.has_value());
        if (!entries) continue;
        ASSERT_EQ(entries->size(), c.count);
        const IconGroupEntry& e = entries->front();
        EXPECT_EQ(e.candidate.width, c.first->candidate.width);
        EXPECT_EQ(e.candidate.height, c.first->candidate.height);
        EXPECT_EQ(e.candidate.bitCount, c.first->candidate.bitCount);
        EXPECT_EQ(e.id, c.first->id);
    }
}

}  // namespace
