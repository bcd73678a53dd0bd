// Resources of the program and its libraries for the rest of the platform (internal): the data
// the typed loaders build their objects from. Bitmaps come as packed DIBs, icons and cursors as
// the one image Win32 would choose from their group, menus, accelerator tables and dialog
// templates as their bytes (resourceData with RT_MENU, RT_ACCELERATOR, RT_DIALOG).
//
// Every span points into the module's read-only resources and stays valid while the module is
// loaded: copy before changing anything. On failure each helper returns nothing with the last
// error set.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "dib_layout.h"
#include "resource_format.h"
#include "win32.h"

namespace winplat::detail {

// The compiled resources of `module` (null: the running program): empty when it has none.
// Nothing, with ERROR_MOD_NOT_FOUND, for a freed or unknown module.
std::optional<std::span<const BYTE>> moduleResources(HMODULE module);

// The first resource of `type` and `name` in `module`, of `language` when one is given, and
// the module's resources it lies in; FindResourceExA's errors when there is none.
struct FoundResource {
    std::span<const BYTE> image;
    ResourceRecord record;
};
std::optional<FoundResource> findResource(HMODULE module, LPCSTR type, LPCSTR name,
                                          std::optional<WORD> language);

// The data of resource `name` of `type`, as FindResourceA finds it (and with its errors).
std::optional<std::span<const BYTE>> resourceData(HMODULE module, LPCSTR name, LPCSTR type);

// ---- Bitmaps ------------------------------------------------------------------------------
// Bitmap `name` (RT_BITMAP) of `module`; ERROR_INVALID_DATA when its bytes are no DIB.
std::optional<PackedDib> bitmapResource(HMODULE module, LPCSTR name);

// ---- Icons and cursors --------------------------------------------------------------------
// One image of an icon or cursor group, as its directory describes it.
struct IconCandidate {
    int width = 0;
    int height = 0;  // of the picture (a cursor directory's doubled height halved)
    int bitCount = 0;
};

// The candidate Win32 takes for cx x cy pixels on a screen of `bitsPerPixel` (1: monochrome,
// LR_MONOCHROME), as LookupIconIdFromDirectoryEx does. A zero cx or cy stands for the first
// candidate's width or height (LoadImageA without LR_DEFAULTSIZE). Icons: the least sum of the
// width and height differences, then the bit count nearest the screen's. Cursors: the largest
// no larger than asked for, else the smallest larger one; equal sizes go to the most bits (the
// fewest when monochrome). Always an index of `candidates`, which must not be empty.
size_t chooseIconCandidate(std::span<const IconCandidate> candidates, bool cursor, int cx, int cy,
                           int bitsPerPixel);

// The entries of an RT_GROUP_ICON or RT_GROUP_CURSOR directory (idReserved 0, idType 1 or 2,
// idCount, then 14-byte entries); nothing when the bytes do not fit that layout or it is empty.
struct IconGroupEntry {
    IconCandidate candidate;
    WORD id = 0;  // of the RT_ICON or RT_CURSOR resource holding the image
};
std::optional<std::vector<IconGroupEntry>> parseIconGroup(std::span<const BYTE> bytes,
                                                         bool cursor);

struct IconImage {
    WORD id = 0;  // of the RT_ICON or RT_CURSOR resource chosen
    PackedDib dib;  // the image (hot spot stripped): colour rows at bitsOffset, then the mask
    size_t maskOffset = 0;  // where the 1-bit AND mask starts in dib.bytes
    POINT hotSpot{};  // a cursor's own; an icon's is its centre
};

// The image of icon group `name` (RT_GROUP_ICON) or cursor group (RT_GROUP_CURSOR) that
// chooseIconCandidate picks. ERROR_INVALID_DATA for a group or image that does not fit the
// layout (PNG images included).
std::optional<IconImage> iconResource(HMODULE module, LPCSTR name, bool cursor, int cx, int cy,
                                      int bitsPerPixel);

}  // namespace winplat::detail
