// DIB decoding through the one layout reader: the same picture in every header, table and
// compression decodes to the same pixels, and what the reader refuses no decoder takes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dib_decode.h"

namespace {

using namespace winplat::detail;
using Bytes = std::vector<BYTE>;

// The picture: 4 x 2, top row red green blue white, bottom row black white blue red.
const Pixel kTop[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
const Pixel kBottom[4] = {0x000000, 0xFFFFFF, 0x0000FF, 0xFF0000};
// Colour table order for the palettised layouts: black, red, green, blue, white.
const Pixel kTable[5] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
const BYTE kTopIndex[4] = {1, 2, 3, 4};
const BYTE kBottomIndex[4] = {0, 4, 3, 1};

void put(Bytes& out, DWORD value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

Bytes infoHeader(WORD bits, DWORD compression, DWORD coloursUsed, DWORD imageBytes, LONG height = 2) {
    Bytes h;
    put(h, 40, 4);
    put(h, 4, 4);
    put(h, static_cast<DWORD>(height), 4);
    put(h, 1, 2);
    put(h, bits, 2);
    put(h, compression, 4);
    put(h, imageBytes, 4);
    put(h, 0, 8);
    put(h, coloursUsed, 4);
    put(h, 0, 4);
    return h;
}

void table(Bytes& out, size_t entryBytes) {
    for (Pixel p : kTable) {
        out.push_back(static_cast<BYTE>(p)), out.push_back(static_cast<BYTE>(p >> 8)), out.push_back(static_cast<BYTE>(p >> 16));
        if (entryBytes == 4) out.push_back(0);
    }
}

// Stored rows, bottom first, each padded to 32 bits.
void rows(Bytes& out, auto pixelBytes) {
    for (const auto* row : {kBottom, kTop}) {
        size_t start = out.size();
        for (int x = 0; x < 4; ++x) pixelBytes(out, row, x);
        while ((out.size() - start) % 4) out.push_back(0);
    }
}

int indexOf(const Pixel* row, int x) { return row == kTop ? kTopIndex[x] : kBottomIndex[x]; }

void nibbleRows(Bytes& out) {
    for (const BYTE* row : {kBottomIndex, kTopIndex}) {
        out.push_back(static_cast<BYTE>(row[0] << 4 | row[1]));
        out.push_back(static_cast<BYTE>(row[2] << 4 | row[3]));
        out.push_back(0), out.push_back(0);
    }
}

Bytes uncompressed4() {
    Bytes b = infoHeader(4, kDibRgb, 5, 0);
    table(b, 4);
    nibbleRows(b);
    return b;
}

Bytes core4() {
    Bytes b;
    put(b, 12, 4), put(b, 4, 2), put(b, 2, 2), put(b, 1, 2), put(b, 4, 2);
    table(b, 3);
    for (int i = 5; i < 16; ++i) put(b, 0, 3);  // a core table always has 2^bits entries
    nibbleRows(b);
    return b;
}

// RLE4: the bottom row as two runs of alternating nibbles, the top row in absolute mode.
Bytes rle4() {
    const BYTE runs[] = {2, 0x04, 2, 0x31, 0, 0,  0, 4, 0x12, 0x34, 0, 1};
    Bytes b = infoHeader(4, kDibRle4, 5, sizeof runs);
    table(b, 4);
    b.insert(b.end(), std::begin(runs), std::end(runs));
    return b;
}

Bytes rle8() {
    const BYTE runs[] = {1, 0, 1, 4, 1, 3, 1, 1, 0, 0,  0, 4, 1, 2, 3, 4, 0, 1};
    Bytes b = infoHeader(8, kDibRle8, 5, sizeof runs);
    table(b, 4);
    b.insert(b.end(), std::begin(runs), std::end(runs));
    return b;
}

Bytes masked16(bool fields) {
    Bytes b = infoHeader(16, fields ? kDibBitfields : kDibRgb, 0, 0);
    if (fields) put(b, 0xF800, 4), put(b, 0x07E0, 4), put(b, 0x001F, 4);
    rows(b, [&](Bytes& out, const Pixel* row, int x) {
        Pixel p = row[x];
        DWORD v = fields ? ((p >> 19) & 31) << 11 | ((p >> 10) & 63) << 5 | ((p >> 3) & 31)
                         : ((p >> 19) & 31) << 10 | ((p >> 11) & 31) << 5 | ((p >> 3) & 31);
        put(out, v, 2);
    });
    return b;
}

// 32-bit fields with blue in the high byte and red in the low one.
Bytes swapped32() {
    Bytes b = infoHeader(32, kDibBitfields, 0, 0);
    put(b, 0x000000FF, 4), put(b, 0x0000FF00, 4), put(b, 0x00FF0000, 4);
    rows(b, [](Bytes& out, const Pixel* row, int x) {
        Pixel p = row[x];
        put(out, (p >> 16 & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16, 4);
    });
    return b;
}

Bytes rgb24() {
    Bytes b = infoHeader(24, kDibRgb, 0, 0);
    rows(b, [](Bytes& out, const Pixel* row, int x) { put(out, row[x], 3); });
    return b;
}

Bytes indexed8() {
    Bytes b = infoHeader(8, kDibRgb, 5, 0);
    table(b, 4);
    rows(b, [](Bytes& out, const Pixel* row, int x) { out.push_back(static_cast<BYTE>(indexOf(row, x))); });
    return b;
}

TEST(DibDecoding, EveryLayoutGivesTheSamePixels) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"8 bits", indexed8()},       {"4 bits", uncompressed4()},  {"4 bits, core header", core4()},
        {"RLE4", rle4()},             {"RLE8", rle8()},             {"16 bits 5-5-5", masked16(false)},
        {"16-bit fields 5-6-5", masked16(true)}, {"32-bit fields, swapped", swapped32()}, {"24 bits", rgb24()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto layout = parsePackedDib(c.bytes);
        ASSERT_TRUE(layout.has_value());
        DecodedDib fromLayout, fromInfo;
        ASSERT_TRUE(decodeDib(*layout, c.bytes.data() + layout->bitsOffset, {}, 0, 2, fromLayout));
        ASSERT_TRUE(decodeDib(reinterpret_cast<const BITMAPINFO*>(c.bytes.data()), c.bytes.data() + layout->bitsOffset,
                              DIB_RGB_COLORS, {}, 0, 2, fromInfo));
        std::vector<Pixel> expected(kTop, kTop + 4);
        expected.insert(expected.end(), kBottom, kBottom + 4);
        EXPECT_EQ(fromLayout.pixels, expected);
        EXPECT_EQ(fromInfo.pixels, expected);
    }
}

TEST(DibDecoding, TheDecoderRefusesWhatTheReaderRefuses) {
    struct Case {
        const char* name;
        Bytes bytes;
        bool taken;
    };
    Bytes rle4TopDown = rle4();
    rle4TopDown[8] = 0xFE, rle4TopDown[9] = rle4TopDown[10] = rle4TopDown[11] = 0xFF;  // height -2
    Bytes rle8Of4 = rle4();
    rle8Of4[16] = kDibRle8;
    Bytes fields8 = indexed8();
    fields8[16] = kDibBitfields;
    Bytes twoPlanes = rgb24();
    twoPlanes[12] = 2;
    const Case cases[] = {
        {"RLE4", rle4(), true},           {"RLE4 top-down", rle4TopDown, false}, {"RLE8 of 4 bits", rle8Of4, false},
        {"fields of 8 bits", fields8, false}, {"two planes", twoPlanes, false},  {"core header", core4(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parsePackedDib(c.bytes).has_value(), c.taken);
        DecodedDib out;
        EXPECT_EQ(decodeDib(reinterpret_cast<const BITMAPINFO*>(c.bytes.data()), c.bytes.data() + 40, DIB_RGB_COLORS, {},
                            0, 2, out),
                  c.taken);
    }
}

}  // namespace
