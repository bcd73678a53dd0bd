// Icons and cursors made from resource or file images, kept in a process-wide table.
#include "icons.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "detail.h"
#include "dib_decode.h"

namespace winplat::detail {
namespace {

struct IconTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<const IconPixels>> icons;
    // Handles of made icons are 2 modulo 4 from 0x70000002, apart from the system ones.
    uintptr_t next = 0x70000002;
};

IconTable& iconTable() {
    static IconTable t;
    return t;
}

}  // namespace

HICON makeIcon(const PackedDib& dib, size_t maskOffset, POINT hotSpot, bool cursor) {
    if (dib.width <= 0 || dib.height <= 0 || dib.bitsOffset > dib.bytes.size()) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    // The layout's height is the picture's: the colour rows alone, without the mask.
    DecodedDib colours;
    if (!decodeDib(dib, dib.bytes.data() + dib.bitsOffset, {}, 0, static_cast<UINT>(dib.height), colours)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    auto icon = std::make_shared<IconPixels>();
    icon->width = static_cast<int>(dib.width);
    icon->height = static_cast<int>(dib.height);
    icon->colours = std::move(colours.pixels);
    icon->transparent.assign(icon->colours.size(), 0);
    size_t stride = dibRowBytes(dib.width, 1);
    if (maskOffset + stride * static_cast<size_t>(dib.height) <= dib.bytes.size()) {
        for (int y = 0; y < icon->height; ++y) {
            const BYTE* row = dib.bytes.data() + maskOffset + stride * static_cast<size_t>(icon->height - 1 - y);
            for (int x = 0; x < icon->width; ++x)
                icon->transparent[static_cast<size_t>(y * icon->width + x)] = (row[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    icon->hotSpot = hotSpot;
    icon->cursor = cursor;
    IconTable& t = iconTable();
    std::lock_guard lock(t.mutex);
    uintptr_t h = t.next;
    t.next += 4;
    t.icons.emplace(h, std::move(icon));
    return reinterpret_cast<HICON>(h);
}

std::shared_ptr<const IconPixels> iconPixels(HICON icon) {
    IconTable& t = iconTable();
    std::lock_guard lock(t.mutex);
    auto it = t.icons.find(reinterpret_cast<uintptr_t>(icon));
    return it == t.icons.end() ? nullptr : it->second;
}

std::vector<uint32_t> argbPixels(const IconPixels& pixels) {
    std::vector<uint32_t> argb(pixels.colours.size());
    for (size_t i = 0; i < argb.size(); ++i)
        argb[i] = pixels.transparent[i] ? 0 : (0xFF000000u | pixels.colours[i]);
    return argb;
}

bool forgetIcon(HICON icon) {
    IconTable& t = iconTable();
    std::lock_guard lock(t.mutex);
    return t.icons.erase(reinterpret_cast<uintptr_t>(icon)) > 0;
}

void resetIcons() {
    IconTable& t = iconTable();
    std::lock_guard lock(t.mutex);
    t.icons.clear();
}

}  // namespace winplat::detail
