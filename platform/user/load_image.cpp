// The typed loaders: bitmaps, icons and cursors from a module's resources (the readers in
// kernel/resources.h) or from .bmp, .ico and .cur files.
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "detail.h"
#include "icons.h"
#include "resources.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

constexpr int kSystemIconSize = 32;  // SM_CXICON, SM_CXCURSOR

HBITMAP bitmapOf(const PackedDib& dib) {
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.bytes.data());
    HBITMAP bitmap = CreateDIBitmap(nullptr, &info->bmiHeader, CBM_INIT, dib.bytes.data() + dib.bitsOffset, info,
                                    DIB_RGB_COLORS);
    if (!bitmap && GetLastError() == ERROR_INVALID_PARAMETER) SetLastError(ERROR_INVALID_DATA);
    return bitmap;
}

std::vector<BYTE> readFile(LPCSTR name) {
    char native[MAX_PATH * 4];
    if (!name || !WinplatNativePath(name, native, sizeof native)) return {};
    std::ifstream in(native, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

HANDLE bitmapFromFile(LPCSTR name) {
    std::vector<BYTE> bytes = readFile(name);
    constexpr size_t kFileHeader = 14;  // BITMAPFILEHEADER
    if (bytes.size() <= kFileHeader || bytes[0] != 'B' || bytes[1] != 'M') {
        SetLastError(bytes.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_DATA);
        return nullptr;
    }
    auto dib = parsePackedDib(std::span<const BYTE>(bytes).subspan(kFileHeader));
    return dib ? bitmapOf(*dib) : nullptr;
}


// An .ico or .cur file: a directory of 16-byte entries (width, height, colours, reserved, planes
// or hot spot x, bit count or hot spot y, size, offset), the image Win32 would choose.
HANDLE iconFromFile(LPCSTR name, bool cursor, int cx, int cy) {
    std::vector<BYTE> bytes = readFile(name);
    if (bytes.size() < 6 || readWord(bytes, 0) != 0 || readWord(bytes, 2) != (cursor ? 2 : 1) || readWord(bytes, 4) == 0 ||
        6 + 16 * static_cast<size_t>(readWord(bytes, 4)) > bytes.size()) {
        SetLastError(bytes.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_DATA);
        return nullptr;
    }
    struct Entry {
        std::span<const BYTE> image;
        POINT hotSpot;
    };
    std::vector<Entry> entries;
    std::vector<IconCandidate> candidates;
    for (size_t i = 0; i < readWord(bytes, 4); ++i) {
        size_t at = 6 + 16 * i;
        DWORD size = readDword(bytes, at + 8), offset = readDword(bytes, at + 12);
        if (offset > bytes.size() || size > bytes.size() - offset) continue;
        auto image = std::span<const BYTE>(bytes).subspan(offset, size);
        auto dib = parsePackedDib(image, true);
        if (!dib) continue;
        candidates.push_back({static_cast<int>(dib->width), static_cast<int>(dib->height), dib->bitCount});
        entries.push_back({image, cursor ? POINT{readWord(bytes, at + 4), readWord(bytes, at + 6)}
                                         : POINT{static_cast<LONG>(dib->width / 2), static_cast<LONG>(dib->height / 2)}});
    }
    if (candidates.empty()) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const Entry& chosen = entries[chooseIconCandidate(candidates, cursor, cx, cy, 32)];
    auto dib = parsePackedDib(chosen.image, true);
    size_t maskOffset = dib->bitsOffset + dib->stride * static_cast<size_t>(dib->height);
    return makeIcon(*dib, maskOffset, chosen.hotSpot, cursor);
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HBITMAP LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
    return static_cast<HBITMAP>(LoadImageA(hInstance, lpBitmapName, IMAGE_BITMAP, 0, 0, 0));
}

WINPLAT_API HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    return guardedCall(HANDLE{}, [&]() -> HANDLE {
        if (type > IMAGE_CURSOR || !name) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        bool cursor = type == IMAGE_CURSOR;
        if (fuLoad & LR_DEFAULTSIZE) {
            if (cx == 0) cx = kSystemIconSize;
            if (cy == 0) cy = kSystemIconSize;
        }
        if (fuLoad & LR_LOADFROMFILE)
            return type == IMAGE_BITMAP ? bitmapFromFile(name) : iconFromFile(name, cursor, cx, cy);
        if (type == IMAGE_BITMAP) {
            auto dib = bitmapResource(reinterpret_cast<HMODULE>(hInst), name);
            return dib ? bitmapOf(*dib) : nullptr;
        }
        int depth = (fuLoad & LR_MONOCHROME) ? 1 : 32;
        auto image = iconResource(reinterpret_cast<HMODULE>(hInst), name, cursor, cx, cy, depth);
        if (!image) return nullptr;
        return makeIcon(image->dib, image->maskOffset, image->hotSpot, cursor);
    });
}
