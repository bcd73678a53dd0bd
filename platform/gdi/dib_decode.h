// Decoding DIBs (internal): the rows of a DIB, laid out as the one DIB layout reader
// (kernel/dib_layout.h) measured it, into 32-bit pixels.
#pragma once

#include <vector>

#include "dib_layout.h"
#include "raster.h"
#include "win32.h"

namespace winplat::detail {

struct DecodedDib {
    int width = 0;
    int height = 0;      // rows decoded (the band asked for)
    int fullHeight = 0;  // rows of the whole picture
    bool bottomUp = true;
    std::vector<Pixel> pixels;  // the band's rows, top row first
};

// Decodes `lines` scan lines starting `startScan` lines from the picture's first stored line
// (its bottom for a bottom-up DIB). `bits` holds just those lines (compressed: whole pictures
// of layout.imageBytes bytes). Palette-index tables (2-byte entries) index `palette`. Every
// layout parseDibHeader takes is decoded: core headers, bit fields, RLE8 and RLE4.
bool decodeDib(const PackedDib& layout, const void* bits, const std::vector<Pixel>& palette, UINT startScan,
               UINT lines, DecodedDib& out);

// Draws run-length data (RLE8 or RLE4 of the layout) over `stored`, the picture's rows in stored
// order (bottom row first), as a frame of video draws over the one before.
bool decodeRunLengthsOnto(const PackedDib& layout, std::span<const BYTE> data, std::vector<Pixel>& stored);

// The layout of a caller's BITMAPINFO (or bare header) for DIB_RGB_COLORS or DIB_PAL_COLORS.
std::optional<PackedDib> infoLayout(const void* info, UINT usage);

// The same for a caller's BITMAPINFO (DIB_RGB_COLORS or DIB_PAL_COLORS): false for a header,
// table or usage that parseDibHeader or decodeDib refuses.
bool decodeDib(const BITMAPINFO* info, const void* bits, UINT usage, const std::vector<Pixel>& palette,
               UINT startScan, UINT lines, DecodedDib& out);

}  // namespace winplat::detail
