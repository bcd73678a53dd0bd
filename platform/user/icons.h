// Icons and cursors made from images (internal): their pixels, transparency and hot spot, for
// DrawIconEx and the driver's cursors.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "resources.h"
#include "win32.h"

namespace winplat::detail {

struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> colours;      // 0x00RRGGBB, top row first
    std::vector<uint8_t> transparent;   // 1 where the AND mask lets the background show
    POINT hotSpot{};
    bool cursor = false;
};

// An icon or cursor handle for an image (a packed DIB whose AND mask starts at maskOffset);
// null with ERROR_INVALID_DATA for an image it cannot read.
HICON makeIcon(const PackedDib& dib, size_t maskOffset, POINT hotSpot, bool cursor);
// The pixels of an icon or cursor made here; null for system ones and unknown handles.
std::shared_ptr<const IconPixels> iconPixels(HICON icon);
// The pixels as 0xAARRGGBB: opaque colour where the mask keeps it, clear where it lets the
// background show (the driver's cursors and tray icons).
std::vector<uint32_t> argbPixels(const IconPixels& pixels);
// Destroys an icon or cursor made here; false for any other handle.
bool forgetIcon(HICON icon);
void resetIcons();

}  // namespace winplat::detail
