// DIB decoding: headers checked before anything is read, colour tables kept exactly.
#include "dib_decode.h"

#include <cstring>

namespace winplat::detail {
namespace {

constexpr long long kMaxPixels = 1LL << 28;

bool colourTable(const BITMAPINFO* info, UINT usage, const std::vector<Pixel>& palette,
                 std::vector<Pixel>& table) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount > 8) return true;
    DWORD size = 1u << h.biBitCount;
    DWORD count = h.biClrUsed ? std::min<DWORD>(h.biClrUsed, size) : size;
    const BYTE* start = reinterpret_cast<const BYTE*>(info) + h.biSize;
    table.assign(size, 0);
    for (DWORD i = 0; i < count; ++i) {
        if (usage == DIB_PAL_COLORS) {
            WORD index = 0;
            std::memcpy(&index, start + 2 * i, 2);
            table[i] = index < palette.size() ? palette[index] : 0;
        } else {
            RGBQUAD q;
            std::memcpy(&q, start + 4 * i, 4);
            table[i] = static_cast<Pixel>(q.rgbRed) << 16 | static_cast<Pixel>(q.rgbGreen) << 8 | q.rgbBlue;
        }
    }
    return true;
}

Pixel pixelAt(const BYTE* row, int x, int bits, const std::vector<Pixel>& table) {
    switch (bits) {
        case 1: return table[(row[x / 8] >> (7 - x % 8)) & 1];
        case 4: return table[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF];
        case 8: return table[row[x]];
        case 16: {
            unsigned v = row[2 * x] | row[2 * x + 1] << 8;
            auto five = [](unsigned c) { return (c << 3) | (c >> 2); };
            return five((v >> 10) & 31) << 16 | five((v >> 5) & 31) << 8 | five(v & 31);
        }
        case 24: return static_cast<Pixel>(row[3 * x + 2]) << 16 | row[3 * x + 1] << 8 | row[3 * x];
        default: return static_cast<Pixel>(row[4 * x + 2]) << 16 | row[4 * x + 1] << 8 | row[4 * x];
    }
}

// BI_RLE8 into the whole picture (rows in stored order, bottom first); stops at the end of the
// data or of the picture, whichever comes first.
bool decodeRle8(const BYTE* data, size_t size, int width, int height, const std::vector<Pixel>& table,
                std::vector<Pixel>& stored) {
    stored.assign(static_cast<size_t>(width) * static_cast<size_t>(height), table[0]);
    int x = 0, y = 0;
    size_t i = 0;
    auto put = [&](BYTE index) {
        if (x < width && y < height) stored[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = table[index];
        ++x;
    };
    while (i + 1 < size && y < height) {
        BYTE count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k) put(value);
            continue;
        }
        if (value == 0) {
            x = 0, ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (i + 1 >= size) break;
            x += data[i], y += data[i + 1];
            i += 2;
        } else {
            if (i + value > size) return false;
            for (int k = 0; k < value; ++k) put(data[i + static_cast<size_t>(k)]);
            i += value + (value & 1);
        }
    }
    return true;
}

}  // namespace

bool decodeDib(const BITMAPINFO* info, const void* bits, UINT usage, const std::vector<Pixel>& palette,
               UINT startScan, UINT lines, DecodedDib& out) {
    if (!info || !bits || (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)) return false;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 1024 || h.biWidth <= 0 || h.biWidth > 65535 ||
        h.biHeight == 0 || h.biHeight < -65535 || h.biHeight > 65535 || h.biPlanes != 1)
        return false;
    int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    bool rle = h.biCompression == BI_RLE8;
    if (!(h.biCompression == BI_RGB || (rle && bpp == 8))) return false;
    int width = h.biWidth, full = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    if (static_cast<long long>(width) * full > kMaxPixels) return false;
    std::vector<Pixel> table;
    colourTable(info, usage, palette, table);
    out.width = width;
    out.fullHeight = full;
    out.bottomUp = h.biHeight > 0;
    if (startScan >= static_cast<UINT>(full)) return false;
    int count = static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(full) - startScan));
    if (count <= 0) return false;
    std::vector<Pixel> stored;  // `count` rows in stored order
    if (rle) {
        if (startScan != 0 || h.biSizeImage == 0 || !out.bottomUp) return false;
        if (!decodeRle8(static_cast<const BYTE*>(bits), h.biSizeImage, width, full, table, stored)) return false;
        count = full;
    } else {
        size_t rowBytes = ((static_cast<size_t>(width) * static_cast<size_t>(bpp) + 31) / 32) * 4;
        stored.resize(static_cast<size_t>(width) * static_cast<size_t>(count));
        for (int y = 0; y < count; ++y) {
            const BYTE* row = static_cast<const BYTE*>(bits) + static_cast<size_t>(y) * rowBytes;
            for (int x = 0; x < width; ++x)
                stored[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = pixelAt(row, x, bpp, table);
        }
    }
    out.height = count;
    out.pixels.resize(stored.size());
    for (int y = 0; y < count; ++y) {
        int from = out.bottomUp ? count - 1 - y : y;
        std::copy(stored.begin() + static_cast<ptrdiff_t>(from) * width, stored.begin() + static_cast<ptrdiff_t>(from + 1) * width,
                  out.pixels.begin() + static_cast<ptrdiff_t>(y) * width);
    }
    return true;
}

}  // namespace winplat::detail
