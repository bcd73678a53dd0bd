// DIB decoding over the checked layout: colour tables kept exactly, masks of any width,
// run-length pictures stopped at the end of their data or of the picture.
#include "dib_decode.h"

#include <bit>
#include <cstring>

namespace winplat::detail {
namespace {

constexpr long long kMaxPixels = 1LL << 28;
// What a caller's BITMAPINFO may span: the longest header, its masks and 256 table entries.
constexpr size_t kMaxInfoBytes = 1024 + 12 + 256 * 4;

std::vector<Pixel> colourTable(const PackedDib& dib, const std::vector<Pixel>& palette) {
    if (dib.bitCount > 8) return {};
    std::vector<Pixel> table(size_t{1} << dib.bitCount, 0);
    const BYTE* start = dib.bytes.data() + dib.colourOffset;
    for (size_t i = 0; i < dib.colourCount && i < table.size(); ++i) {
        const BYTE* entry = start + i * dib.colourEntryBytes;
        if (dib.colourEntryBytes == 2) {
            WORD index = static_cast<WORD>(entry[0] | entry[1] << 8);
            table[i] = index < palette.size() ? palette[index] : 0;
        } else {
            table[i] = static_cast<Pixel>(entry[2]) << 16 | static_cast<Pixel>(entry[1]) << 8 | entry[0];
        }
    }
    return table;
}

// One channel of a masked pixel as 8 bits; narrower channels repeat their bits downwards
// (5 bits abcde become abcdeabc), as the GDI widens them.
Pixel channel(DWORD value, DWORD mask) {
    if (!mask) return 0;
    int shift = std::countr_zero(mask);
    int width = std::popcount(mask >> shift);
    DWORD c = (value & mask) >> shift;
    if (width >= 8) return c >> (width - 8);
    DWORD repeated = 0;
    int have = 0;
    for (; have < 8; have += width) repeated = repeated << width | c;
    return (repeated >> (have - 8)) & 0xFF;
}

Pixel pixelAt(const BYTE* row, int x, const PackedDib& dib, const std::vector<Pixel>& table) {
    switch (dib.bitCount) {
        case 1: return table[(row[x / 8] >> (7 - x % 8)) & 1];
        case 4: return table[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF];
        case 8: return table[row[x]];
        case 24: return static_cast<Pixel>(row[3 * x + 2]) << 16 | row[3 * x + 1] << 8 | row[3 * x];
        default: break;
    }
    DWORD v = 0;
    std::memcpy(&v, row + static_cast<size_t>(x) * (dib.bitCount / 8), dib.bitCount / 8);
    return channel(v, dib.masks[0]) << 16 | channel(v, dib.masks[1]) << 8 | channel(v, dib.masks[2]);
}

// BI_RLE8 and BI_RLE4 into the whole picture (rows in stored order, bottom first); stops at the
// end of the data or of the picture, whichever comes first. A run of RLE4 alternates the two
// nibbles of its byte; absolute runs are padded to 16 bits.
bool decodeRunLengths(const BYTE* data, size_t size, bool nibbles, int width, int height,
                      const std::vector<Pixel>& table, std::vector<Pixel>& stored, bool onto = false) {
    if (!onto) stored.assign(static_cast<size_t>(width) * static_cast<size_t>(height), table[0]);
    int x = 0, y = 0;
    size_t i = 0;
    auto put = [&](BYTE index) {
        if (x < width && y < height) stored[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = table[index];
        ++x;
    };
    auto nibble = [](BYTE b, int k) { return static_cast<BYTE>(k % 2 ? b & 0xF : b >> 4); };
    while (i + 1 < size && y < height) {
        BYTE count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k) put(nibbles ? nibble(value, k) : value);
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
            size_t bytes = nibbles ? (value + 1u) / 2 : value;
            if (i + bytes > size) return false;
            for (int k = 0; k < value; ++k) put(nibbles ? nibble(data[i + static_cast<size_t>(k / 2)], k) : data[i + static_cast<size_t>(k)]);
            i += bytes + (bytes & 1);
        }
    }
    return true;
}

}  // namespace

bool decodeRunLengthsOnto(const PackedDib& dib, std::span<const BYTE> data, std::vector<Pixel>& stored) {
    if (!dib.compressed() || stored.size() != static_cast<size_t>(dib.width) * static_cast<size_t>(dib.rows()))
        return false;
    return decodeRunLengths(data.data(), data.size(), dib.compression == kDibRle4, dib.width, dib.rows(),
                            colourTable(dib, {}), stored, true);
}

bool decodeDib(const PackedDib& dib, const void* bits, const std::vector<Pixel>& palette, UINT startScan,
               UINT lines, DecodedDib& out) {
    if (!bits) return false;
    int width = dib.width, full = dib.rows();
    if (static_cast<long long>(width) * full > kMaxPixels) return false;
    std::vector<Pixel> table = colourTable(dib, palette);
    out.width = width;
    out.fullHeight = full;
    out.bottomUp = dib.height > 0;
    if (startScan >= static_cast<UINT>(full)) return false;
    int count = static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(full) - startScan));
    if (count <= 0) return false;
    std::vector<Pixel> stored;  // `count` rows in stored order
    if (dib.compressed()) {
        if (startScan != 0 || dib.imageBytes == 0) return false;
        if (!decodeRunLengths(static_cast<const BYTE*>(bits), dib.imageBytes, dib.compression == kDibRle4, width, full,
                              table, stored))
            return false;
        count = full;
    } else {
        stored.resize(static_cast<size_t>(width) * static_cast<size_t>(count));
        for (int y = 0; y < count; ++y) {
            const BYTE* row = static_cast<const BYTE*>(bits) + static_cast<size_t>(y) * dib.stride;
            for (int x = 0; x < width; ++x)
                stored[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = pixelAt(row, x, dib, table);
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

std::optional<PackedDib> infoLayout(const void* info, UINT usage) {
    if (!info || (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)) return std::nullopt;
    // The caller vouches for its BITMAPINFO as Win32 does; the reader looks only as far as the
    // header says.
    return parseDibHeader(std::span(static_cast<const BYTE*>(info), kMaxInfoBytes), false,
                          usage == DIB_PAL_COLORS ? 2 : 0);
}

bool decodeDib(const BITMAPINFO* info, const void* bits, UINT usage, const std::vector<Pixel>& palette,
               UINT startScan, UINT lines, DecodedDib& out) {
    auto layout = infoLayout(info, usage);
    return layout && decodeDib(*layout, bits, palette, startScan, lines, out);
}

}  // namespace winplat::detail
