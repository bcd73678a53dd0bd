#include "app_palette.h"

#include <cstring>
#include <vector>

#include "resource_ids.h"

namespace huevista {
namespace {

constexpr int kEntries = 256;
constexpr int kFirstAnimated = 10, kLastAnimated = 245;

}  // namespace

HPALETTE createAppPalette(HINSTANCE instance) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDR_PALETTE), RT_RCDATA);
    if (!found || SizeofResource(instance, found) < 3 * kEntries) return nullptr;
    const auto* rgb = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
    if (!rgb) return nullptr;
    std::vector<BYTE> block(sizeof(LOGPALETTE) + (kEntries - 1) * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = kEntries;
    for (int i = 0; i < kEntries; ++i) {
        PALETTEENTRY& e = palette->palPalEntry[i];
        e.peRed = rgb[3 * i];
        e.peGreen = rgb[3 * i + 1];
        e.peBlue = rgb[3 * i + 2];
        e.peFlags = i >= kFirstAnimated && i <= kLastAnimated ? PC_RESERVED : 0;
    }
    return CreatePalette(palette);
}

}  // namespace huevista
