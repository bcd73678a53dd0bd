// DIB headers, masks and colour tables, checked against their own sizes before anyone reads
// a pixel.
#include "dib_layout.h"

#include <cstdint>

#include "resource_format.h"

namespace winplat::detail {
namespace {

constexpr size_t kCoreHeaderBytes = 12;    // BITMAPCOREHEADER
constexpr size_t kInfoHeaderBytes = 40;    // BITMAPINFOHEADER
constexpr size_t kMaskBytes = 12;          // three DWORD masks after a BITMAPINFOHEADER
constexpr size_t kMaxHeaderBytes = 1024;   // longer than any header Win32 knows
constexpr size_t kMaxColours = 256;
constexpr int64_t kMaxSide = 1 << 16;      // beyond this a size is taken for damage

}  // namespace

size_t dibRowBytes(int64_t width, int bits) { return static_cast<size_t>((width * bits + 31) / 32 * 4); }

std::optional<PackedDib> parseDibHeader(std::span<const BYTE> bytes, bool iconImage,
                                        size_t colourEntryBytes) {
    if (bytes.size() < 4) return std::nullopt;
    const size_t headerBytes = readDword(bytes, 0);
    PackedDib dib;
    dib.bytes = bytes;
    WORD planes = 0;
    size_t coloursUsed = 0;
    if (headerBytes == kCoreHeaderBytes) {
        if (bytes.size() < kCoreHeaderBytes) return std::nullopt;
        dib.width = readWord(bytes, 4);
        dib.height = readWord(bytes, 6);
        planes = readWord(bytes, 8);
        dib.bitCount = readWord(bytes, 10);
        dib.colourEntryBytes = 3;
    } else {
        if (headerBytes < kInfoHeaderBytes || headerBytes > kMaxHeaderBytes || headerBytes > bytes.size())
            return std::nullopt;
        dib.width = static_cast<LONG>(readDword(bytes, 4));
        dib.height = static_cast<LONG>(readDword(bytes, 8));
        planes = readWord(bytes, 12);
        dib.bitCount = readWord(bytes, 14);
        dib.compression = readDword(bytes, 16);
        dib.imageBytes = readDword(bytes, 20);
        coloursUsed = readDword(bytes, 32);
    }
    if (colourEntryBytes) dib.colourEntryBytes = colourEntryBytes;
    const int bits = dib.bitCount;
    if (planes != 1 ||
        !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
        return std::nullopt;
    if (!(dib.compression == kDibRgb || (dib.compression == kDibRle8 && bits == 8) ||
          (dib.compression == kDibRle4 && bits == 4) ||
          (dib.compression == kDibBitfields && (bits == 16 || bits == 32))))
        return std::nullopt;
    int64_t rows = dib.height < 0 ? -int64_t{dib.height} : dib.height;
    if (dib.width <= 0 || rows == 0 || dib.width > kMaxSide || rows > kMaxSide ||
        (dib.compressed() && dib.height < 0))
        return std::nullopt;
    if (iconImage) {
        if (dib.compressed() || rows % 2 != 0) return std::nullopt;
        rows /= 2;
        dib.height = static_cast<LONG>(dib.height < 0 ? -rows : rows);
    }
    if (coloursUsed > kMaxColours) coloursUsed = kMaxColours;
    dib.colourCount = coloursUsed ? coloursUsed : bits <= 8 ? size_t{1} << bits : 0;
    dib.colourOffset = headerBytes;
    if (dib.compression == kDibBitfields) {
        // The masks follow a BITMAPINFOHEADER; later headers hold them at the same place.
        if (headerBytes == kInfoHeaderBytes) dib.colourOffset += kMaskBytes;
        if (bytes.size() < kInfoHeaderBytes + kMaskBytes) return std::nullopt;
        for (size_t i = 0; i < 3; ++i) dib.masks[i] = readDword(bytes, kInfoHeaderBytes + 4 * i);
    } else if (bits == 16) {
        dib.masks[0] = 0x7C00, dib.masks[1] = 0x03E0, dib.masks[2] = 0x001F;
    } else if (bits > 16) {
        dib.masks[0] = 0xFF0000, dib.masks[1] = 0x00FF00, dib.masks[2] = 0x0000FF;
    }
    dib.bitsOffset = dib.colourOffset + dib.colourCount * dib.colourEntryBytes;
    if (dib.bitsOffset > bytes.size()) return std::nullopt;
    dib.stride = dib.compressed() ? 0 : dibRowBytes(dib.width, bits);
    return dib;
}

std::optional<PackedDib> parsePackedDib(std::span<const BYTE> bytes, bool iconImage) {
    auto dib = parseDibHeader(bytes, iconImage);
    if (!dib || dib->compressed()) return dib;
    const size_t rows = static_cast<size_t>(dib->rows());
    const size_t pixelBytes = dib->stride * rows;
    const size_t maskBytes = iconImage ? dibRowBytes(dib->width, 1) * rows : 0;
    if (bytes.size() - dib->bitsOffset < pixelBytes + maskBytes) return std::nullopt;
    return dib;
}

}  // namespace winplat::detail
