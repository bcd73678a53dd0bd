// Decoding DIBs (internal): the rows of a packed BITMAPINFO + bits into 32-bit pixels.
#pragma once

#include <vector>

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
// (its bottom for a bottom-up DIB). `bits` holds just those lines. DIB_PAL_COLORS tables index
// `palette`. False for a header or table it does not take: 1, 4, 8, 16 (5-5-5), 24 and 32 bits
// BI_RGB, 8-bit BI_RLE8 (whole pictures, biSizeImage bytes); sizes up to 65535 x 65535.
bool decodeDib(const BITMAPINFO* info, const void* bits, UINT usage, const std::vector<Pixel>& palette,
               UINT startScan, UINT lines, DecodedDib& out);

}  // namespace winplat::detail
