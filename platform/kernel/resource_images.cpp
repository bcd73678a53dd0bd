// Pictures among the resources: packed DIBs (RT_BITMAP) and the images of icon and cursor
// groups, checked by the DIB layout reader before anyone reads their pixels.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "resource_format.h"
#include "resources.h"

namespace winplat::detail {
namespace {

// A group directory: idReserved, idType (1 icon, 2 cursor), idCount, then 14-byte entries.
constexpr size_t kDirectoryHeadBytes = 6;
constexpr size_t kDirectoryEntryBytes = 14;
constexpr size_t kEntryIdOffset = 12;
constexpr size_t kHotSpotBytes = 4;  // an RT_CURSOR starts with the hot spot's x and y

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
