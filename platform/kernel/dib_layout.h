// The layout of device-independent bitmaps (internal): the one checked reader of DIB headers,
// colour masks and colour tables, for packed DIBs among the resources and in .bmp, .ico and .cur
// files as much as for the BITMAPINFO a caller hands to the GDI.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "win32.h"

namespace winplat::detail {

// biCompression values (Win32's BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS).
enum : DWORD { kDibRgb = 0, kDibRle8 = 1, kDibRle4 = 2, kDibBitfields = 3 };

// A BITMAPINFOHEADER (or a BITMAPCOREHEADER, or a later and longer header), its colour masks
// and colour table, then the pixels.
struct PackedDib {
    std::span<const BYTE> bytes;  // all of it; bytes.data() is the BITMAPINFO
    LONG width = 0;
    LONG height = 0;  // negative: the rows run top-down
    WORD bitCount = 0;
    DWORD compression = kDibRgb;
    DWORD imageBytes = 0;  // biSizeImage: what compressed pixels take
    DWORD masks[3] = {};   // red, green, blue of 16- and 32-bit pixels
    size_t colourCount = 0;       // entries of the colour table
    size_t colourEntryBytes = 4;  // 4 (RGBQUAD), 3 (RGBTRIPLE) after a BITMAPCOREHEADER, 2 (palette indices)
    size_t colourOffset = 0;      // where the colour table starts
    size_t bitsOffset = 0;        // where the pixels start in a packed DIB
    size_t stride = 0;            // bytes a row of uncompressed pixels takes

    LONG rows() const { return height < 0 ? -height : height; }
    bool compressed() const { return compression == kDibRle8 || compression == kDibRle4; }
};

// Checks and measures the header, masks and colour table at the start of `bytes`: one plane
// of 1, 4, 8, 16, 24 or 32 bits, uncompressed, RLE8 (8 bits, bottom-up), RLE4 (4 bits,
// bottom-up) or bit fields (16 or 32 bits), sides up to 65536, a colour table of biClrUsed
// entries (at most 256; 0 means all 2^bits up to 8 bits) of `colourEntryBytes` each when
// given (2 for DIB_PAL_COLORS), else of the header's kind, all inside the bytes. An icon or
// cursor image (`iconImage`, never compressed) counts both masks in its height: the result's
// height is the picture's.
std::optional<PackedDib> parseDibHeader(std::span<const BYTE> bytes, bool iconImage = false,
                                        size_t colourEntryBytes = 0);

// parseDibHeader, and every row of uncompressed pixels (and an icon's 1-bit AND mask after
// them) inside the bytes; compressed runs reach as far as the data goes.
std::optional<PackedDib> parsePackedDib(std::span<const BYTE> bytes, bool iconImage = false);

// Bytes a row of `width` pixels of `bits` takes, padded to 32 bits.
size_t dibRowBytes(int64_t width, int bits);

}  // namespace winplat::detail
