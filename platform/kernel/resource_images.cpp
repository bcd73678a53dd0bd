// Pictures among the resources: packed DIBs (RT_BITMAP) and the images of icon and cursor
// groups, checked against their own sizes before anyone reads their pixels.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "resource_format.h"
#include "resources.h"

namespace winplat::detail {
namespace {

constexpr size_t kCoreHeaderBytes = 12;     // BITMAPCOREHEADER
constexpr size_t kInfoHeaderBytes = 40;     // BITMAPINFOHEADER
constexpr size_t kBitfieldMaskBytes = 12;   // three DWORD masks after a BITMAPINFOHEADER
constexpr size_t kMaxColours = 256;
// Larger pictures than any screen: beyond this a size is taken for damage.
constexpr int64_t kMaxSide = 1 << 16;

// A group directory: idReserved, idType (1 icon, 2 cursor), idCount, then 14-byte entries.
constexpr size_t kDirectoryHeadBytes = 6;
constexpr size_t kDirectoryEntryBytes = 14;
constexpr size_t kEntryIdOffset = 12;
constexpr size_t kHotSpotBytes = 4;  // an RT_CURSOR starts with the hot spot's x and y

size_t rowBytes(int64_t width, int bits) {
    return static_cast<size_t>((width * bits + 31) / 32 * 4);
}

bool failInvalid() {
    SetLastError(ERROR_INVALID_DATA);
    return false;
}

// Cursors: the best of the candidates `within` allows, a larger size beating a smaller one
// when `largest`, a smaller beating a larger otherwise; equal sizes go to the preferred depth.
std::optional<size_t> bestCursor(std::span<const IconCandidate> candidates, bool largest,
                                 bool monochrome, auto within) {
    std::optional<size_t> best;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const IconCandidate& c = candidates[i];
        if (!within(c)) continue;
        if (best) {
            const IconCandidate& b = candidates[*best];
            const bool bigger = c.width >= b.width && c.height >= b.height;
            const bool smaller = c.width <= b.width && c.height <= b.height;
            if (!(largest ? bigger : smaller)) continue;
            if (c.width == b.width && c.height == b.height &&
                (monochrome ? c.bitCount >= b.bitCount : c.bitCount <= b.bitCount))
                continue;
        }
        best = i;
    }
    return best;
}

}  // namespace

std::optional<std::vector<IconGroupEntry>> parseIconGroup(std::span<const BYTE> bytes,
                                                         bool cursor) {
    if (bytes.size() < kDirectoryHeadBytes || readWord(bytes, 0) != 0 ||
        readWord(bytes, 2) != (cursor ? 2 : 1))
        return std::nullopt;
    const size_t count = readWord(bytes, 4);
    if (count == 0 || (bytes.size() - kDirectoryHeadBytes) / kDirectoryEntryBytes < count)
        return std::nullopt;
    std::vector<IconGroupEntry> entries;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = kDirectoryHeadBytes + i * kDirectoryEntryBytes;
        IconGroupEntry entry;
        if (cursor) {
            // wWidth, wHeight (both masks), wPlanes, wBitCount
            entry.candidate = {readWord(bytes, at), readWord(bytes, at + 2) / 2,
                               readWord(bytes, at + 6)};
        } else {
            // bWidth, bHeight (0: 256), bColorCount, bReserved, wPlanes, wBitCount
            entry.candidate = {bytes[at] ? bytes[at] : 256, bytes[at + 1] ? bytes[at + 1] : 256,
                               readWord(bytes, at + 6)};
        }
        entry.id = readWord(bytes, at + kEntryIdOffset);
        entries.push_back(entry);
    }
    return entries;
}

std::optional<PackedDib> parsePackedDib(std::span<const BYTE> bytes, bool iconImage) {
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
        if (headerBytes < kInfoHeaderBytes || headerBytes > bytes.size()) return std::nullopt;
        dib.width = static_cast<LONG>(readDword(bytes, 4));
        dib.height = static_cast<LONG>(readDword(bytes, 8));
        planes = readWord(bytes, 12);
        dib.bitCount = readWord(bytes, 14);
        dib.compression = readDword(bytes, 16);
        coloursUsed = readDword(bytes, 32);
    }
    const int bits = dib.bitCount;
    if (planes != 1 || !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
                         bits == 32))
        return std::nullopt;
    const bool compressed = dib.compression == kDibRle8 || dib.compression == kDibRle4;
    if (!(dib.compression == kDibRgb || (dib.compression == kDibRle8 && bits == 8) ||
          (dib.compression == kDibRle4 && bits == 4) ||
          (dib.compression == kDibBitfields && (bits == 16 || bits == 32))))
        return std::nullopt;
    int64_t rows = dib.height < 0 ? -int64_t{dib.height} : dib.height;
    if (dib.width <= 0 || rows == 0 || dib.width > kMaxSide || rows > kMaxSide ||
        (compressed && dib.height < 0))
        return std::nullopt;
    if (iconImage) {
        if (compressed || rows % 2 != 0) return std::nullopt;
        rows /= 2;
        dib.height = static_cast<LONG>(dib.height < 0 ? -rows : rows);
    }
    if (coloursUsed > kMaxColours) coloursUsed = kMaxColours;
    dib.colourCount = coloursUsed ? coloursUsed : bits <= 8 ? size_t{1} << bits : 0;
    dib.colourOffset = headerBytes;
    if (dib.compression == kDibBitfields && headerBytes == kInfoHeaderBytes)
        dib.colourOffset += kBitfieldMaskBytes;
    dib.bitsOffset = dib.colourOffset + dib.colourCount * dib.colourEntryBytes;
    if (dib.bitsOffset > bytes.size()) return std::nullopt;
    if (compressed) return dib;  // runs reach as far as the data goes
    dib.stride = rowBytes(dib.width, bits);
    const size_t pixelBytes = dib.stride * static_cast<size_t>(rows);
    const size_t maskBytes = iconImage ? rowBytes(dib.width, 1) * static_cast<size_t>(rows) : 0;
    if (bytes.size() - dib.bitsOffset < pixelBytes + maskBytes) return std::nullopt;
    return dib;
}

std::optional<PackedDib> bitmapResource(HMODULE module, LPCSTR name) {
    auto data = resourceData(module, name, RT_BITMAP);
    if (!data) return std::nullopt;
    auto dib = parsePackedDib(*data);
    if (!dib) failInvalid();
    return dib;
}

size_t chooseIconCandidate(std::span<const IconCandidate> candidates, bool cursor, int cx, int cy,
                           int bitsPerPixel) {
    const IconCandidate& first = candidates.front();
    if (cursor && cx == 0 && cy == 0) return 0;
    if (cx == 0) cx = first.width;
    if (cy == 0) cy = first.height;
    const bool monochrome = bitsPerPixel == 1;
    if (cursor) {
        auto fits = [&](const IconCandidate& c) { return c.width <= cx && c.height <= cy; };
        if (auto best = bestCursor(candidates, true, monochrome, fits)) return *best;
        auto any = [](const IconCandidate&) { return true; };
        return bestCursor(candidates, false, monochrome, any).value_or(0);
    }
    // Icons: the nearest size first, then among the images of exactly that size the nearest
    // depth; the earlier image wins a tie.
    size_t best = 0;
    int bestDx = std::abs(first.width - cx), bestDy = std::abs(first.height - cy);
    for (size_t i = 1; i < candidates.size(); ++i) {
        const int dx = std::abs(candidates[i].width - cx), dy = std::abs(candidates[i].height - cy);
        if (dx + dy < bestDx + bestDy) best = i, bestDx = dx, bestDy = dy;
    }
    int bestDepth = std::abs(candidates[best].bitCount - bitsPerPixel);
    for (size_t i = 0; i < candidates.size(); ++i) {
        const IconCandidate& c = candidates[i];
        const int depth = std::abs(c.bitCount - bitsPerPixel);
        if (std::abs(c.width - cx) == bestDx && std::abs(c.height - cy) == bestDy &&
            depth < bestDepth)
            best = i, bestDepth = depth;
    }
    return best;
}

std::optional<IconImage> iconResource(HMODULE module, LPCSTR name, bool cursor, int cx, int cy,
                                      int bitsPerPixel) {
    auto groupBytes = resourceData(module, name, cursor ? RT_GROUP_CURSOR : RT_GROUP_ICON);
    if (!groupBytes) return std::nullopt;
    auto group = parseIconGroup(*groupBytes, cursor);
    if (!group) {
        failInvalid();
        return std::nullopt;
    }
    std::vector<IconCandidate> candidates;
    for (const IconGroupEntry& entry : *group) candidates.push_back(entry.candidate);
    const IconGroupEntry& chosen = (*group)[chooseIconCandidate(candidates, cursor, cx, cy,
                                                            bitsPerPixel)];
    auto imageBytes =
        resourceData(module, MAKEINTRESOURCEA(chosen.id), cursor ? RT_CURSOR : RT_ICON);
    if (!imageBytes) return std::nullopt;
    IconImage image;
    image.id = chosen.id;
    if (cursor) {
        if (imageBytes->size() < kHotSpotBytes) {
            failInvalid();
            return std::nullopt;
        }
        image.hotSpot = {readWord(*imageBytes, 0), readWord(*imageBytes, 2)};
        *imageBytes = imageBytes->subspan(kHotSpotBytes);
    }
    auto dib = parsePackedDib(*imageBytes, true);
    if (!dib) {
        failInvalid();
        return std::nullopt;
    }
    image.dib = *dib;
    image.maskOffset = dib->bitsOffset + dib->stride * static_cast<size_t>(std::abs(dib->height));
    if (!cursor) image.hotSpot = {dib->width / 2, std::abs(dib->height) / 2};
    return image;
}

}  // namespace winplat::detail
