// Bitmaps and DIBs: device bitmaps are driver surfaces (true colour, or monochrome holding only
// black and white); DIBs of 1, 4, 8, 16 (5-5-5), 24 or 32 bits, BI_RGB or BI_RLE8, keep their
// colour tables exactly on the way in and out. Stretching is nearest-neighbour.
#include <cstring>

#include "detail.h"
#include "dib_decode.h"
#include "gdi_state.h"

namespace winplat::detail {
namespace {

constexpr long long kMaxPixels = 1LL << 28;

HBITMAP makeBitmap(int width, int height, bool mono) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
        static_cast<long long>(width) * height > kMaxPixels) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const WinplatDriverFunctions* driver = guiDriver();
    if (!driver) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    WinplatSurface* surface = driver->createSurface(width, height);
    if (!surface) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    return reinterpret_cast<HBITMAP>(addObject(g, {OBJ_BITMAP, false, BitmapObject{surface, width, height, mono, nullptr}}));
}

// The colours of a DIB_PAL_COLORS table come from the context's palette.
std::vector<Pixel> paletteOfContext(GdiTable& g, HDC hdc) {
    std::vector<Pixel> colours;
    PaintDc* dc = findContext(g, hdc);
    GdiObject* o = dc ? findObject(g, dc->state.palette) : nullptr;
    if (!o) {
        makeStockObjects(g);
        o = findObject(g, g.stock[DEFAULT_PALETTE]);
    }
    for (const PALETTEENTRY& e : std::get<PaletteObject>(o->data).entries)
        colours.push_back(pixelOf(RGB(e.peRed, e.peGreen, e.peBlue)));
    return colours;
}

// The raster of a bitmap object (its whole surface); false without one.
bool bitmapRaster(GdiObject* o, Raster& r) {
    const WinplatDriverFunctions* driver = loadedGuiDriver();
    if (!o || o->type != OBJ_BITMAP || !driver) return false;
    auto& b = std::get<BitmapObject>(o->data);
    WinplatSurfaceBits bits{};
    if (!b.surface || !driver->surfaceBits(b.surface, &bits)) return false;
    r.bits = reinterpret_cast<Pixel*>(bits.bits);
    r.stride = bits.stride / 4;
    r.width = bits.width;
    r.height = bits.height;
    r.mono = b.mono;
    r.clip = {RECT{0, 0, bits.width, bits.height}};
    return true;
}

// Runs `body(g, raster)` on a bitmap's pixels under the lock; 0 with ERROR_INVALID_HANDLE for
// anything else.
template <typename Body>
int withBitmap(HBITMAP hbm, Body&& body) {
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    Raster r;
    if (!bitmapRaster(findObject(g, hbm), r)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return body(g, r);
}

// Copies decoded rows into a bitmap: `rows` of the DIB starting `startScan` lines from its
// bottom (from its top for a top-down DIB).
int storeRows(Raster& r, const DecodedDib& dib, UINT startScan) {
    int copied = 0;
    for (int i = 0; i < dib.height; ++i) {
        int line = dib.bottomUp ? r.height - 1 - static_cast<int>(startScan) - (dib.height - 1 - i)
                                : static_cast<int>(startScan) + i;
        if (line < 0 || line >= r.height) continue;
        Pixel* d = r.row(line);
        const Pixel* s = &dib.pixels[static_cast<size_t>(i) * static_cast<size_t>(dib.width)];
        for (int x = 0; x < std::min(r.width, dib.width); ++x) d[x] = r.mono ? monoPixel(s[x]) : s[x];
        ++copied;
    }
    return copied;
}

int paint(HDC hdc, RECT area, const BITMAPINFO* bmi, const void* bits, UINT usage, UINT startScan, UINT lines,
          int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop, bool stretch) {
    return withContext(hdc, 0, [&](GdiTable& g, PaintDc& dc) -> int {
        DecodedDib dib;
        std::vector<Pixel> palette = usage == DIB_PAL_COLORS ? paletteOfContext(g, hdc) : std::vector<Pixel>{};
        if (!decodeDib(bmi, bits, usage, palette, startScan, lines, dib)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        if (!prepareRaster(g, dc)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        Raster source;
        source.bits = dib.pixels.data();
        source.stride = dib.width;
        source.width = dib.width;
        source.height = dib.height;
        // The source rectangle's y counts from the DIB's bottom line for a bottom-up DIB; the
        // decoded band starts at `bandTop` of the whole picture.
        int fullHeight = dib.fullHeight;
        int top = dib.bottomUp ? fullHeight - ySrc - hSrc : ySrc;
        int bandTop = dib.bottomUp ? fullHeight - static_cast<int>(startScan) - dib.height : static_cast<int>(startScan);
        RECT from{xSrc, top - bandTop, xSrc + wSrc, top - bandTop + hSrc};
        POINT a = toDevice(dc, area.left, area.top), b = toDevice(dc, area.right, area.bottom);
        if (stretch) {
            stretchBlit(dc.raster, RECT{a.x, a.y, b.x, b.y}, source, from, rop, 0, {});
        } else {
            blit(dc.raster, RECT{a.x, a.y, b.x, b.y}, source, POINT{from.left, from.top}, rop, 0, {});
        }
        notePainted(g, dc);
        return stretch ? std::abs(hSrc) : dib.height;
    });
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

// 1-bit bitmaps are monochrome; 32-bit (and 24-bit) ones true colour. Rows of `lpBits` are
// padded to 16 bits, as device bitmaps lay them out.
WINPLAT_API HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
    UINT depth = nPlanes * nBitCount;
    if (nPlanes != 1 || (depth != 1 && depth != 24 && depth != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HBITMAP bitmap = makeBitmap(nWidth, nHeight, depth == 1);
    if (!bitmap || !lpBits) return bitmap;
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    Raster r;
    if (!bitmapRaster(findObject(g, bitmap), r)) return bitmap;
    size_t rowBytes = ((static_cast<size_t>(nWidth) * depth + 15) / 16) * 2;
    const auto* bytes = static_cast<const BYTE*>(lpBits);
    for (int y = 0; y < nHeight; ++y) {
        const BYTE* row = bytes + static_cast<size_t>(y) * rowBytes;
        Pixel* d = r.row(y);
        for (int x = 0; x < nWidth; ++x) {
            if (depth == 1) d[x] = (row[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFF : 0;
            else if (depth == 24) d[x] = static_cast<Pixel>(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
            else d[x] = static_cast<Pixel>(row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16);
        }
    }
    return bitmap;
}

// Compatible with the context: monochrome for a memory context that still holds its first
// 1 x 1 bitmap (as in Win32: pass the window's context), else true colour.
WINPLAT_API HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    bool mono = false;
    {
        GdiTable& g = gdiTable();
        std::lock_guard lock(g.mutex);
        if (PaintDc* dc = findContext(g, hdc)) {
            GdiObject* o = findObject(g, dc->state.bitmap);
            mono = dc->memory && o && std::get<BitmapObject>(o->data).mono;
        }
    }
    return makeBitmap(cx, cy, mono);
}

WINPLAT_API HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                                   const BITMAPINFO* pbmi, UINT iUsage) {
    auto layout = infoLayout(pbmih, DIB_RGB_COLORS);
    if (!layout) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LONG height = layout->rows();
    HBITMAP bitmap = makeBitmap(layout->width, height, false);
    if (!bitmap || !(flInit & CBM_INIT)) return bitmap;
    if (!pjBits || !pbmi || SetDIBits(hdc, bitmap, 0, static_cast<UINT>(height), pjBits, pbmi, iUsage) == 0) {
        DeleteObject(bitmap);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return bitmap;
}

WINPLAT_API int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits,
                          const BITMAPINFO* lpbmi, UINT ColorUse) {
    return withBitmap(hbm, [&](GdiTable& g, Raster& r) -> int {
        DecodedDib dib;
        std::vector<Pixel> palette = ColorUse == DIB_PAL_COLORS ? paletteOfContext(g, hdc) : std::vector<Pixel>{};
        if (!decodeDib(lpbmi, lpBits, ColorUse, palette, start, cLines, dib)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        return storeRows(r, dib, start);
    });
}

WINPLAT_API int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc,
                                  UINT StartScan, UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi,
                                  UINT ColorUse) {
    RECT area{xDest, yDest, xDest + static_cast<int>(w), yDest + static_cast<int>(h)};
    return paint(hdc, area, lpbmi, lpvBits, ColorUse, StartScan, cLines, xSrc, ySrc, static_cast<int>(w),
                 static_cast<int>(h), SRCCOPY, false);
}

WINPLAT_API int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                              int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi,
                              UINT iUsage, DWORD rop) {
    if (!lpbmi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto layout = infoLayout(lpbmi, iUsage);
    LONG lines = layout ? layout->rows() : 0;
    RECT area{xDest, yDest, xDest + DestWidth, yDest + DestHeight};
    return paint(hdc, area, lpbmi, lpBits, iUsage, 0, static_cast<UINT>(lines), xSrc, ySrc, SrcWidth, SrcHeight,
                 rop, true);
}

// The bitmap's pixels as a 24- or 32-bit BI_RGB DIB (1-bit for a monochrome bitmap, with a
// black and white table). With no bits and biBitCount 0, only the header is filled.
WINPLAT_API int GetDIBits(HDC, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi, UINT) {
    if (!lpbmi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return withBitmap(hbm, [&](GdiTable&, Raster& r) -> int {
        BITMAPINFOHEADER& h = lpbmi->bmiHeader;
        if (!lpvBits && h.biBitCount == 0) {
            h.biWidth = r.width;
            h.biHeight = r.height;
            h.biPlanes = 1;
            h.biBitCount = static_cast<WORD>(r.mono ? 1 : 32);
            h.biCompression = BI_RGB;
            h.biSizeImage = static_cast<DWORD>(((r.width * h.biBitCount + 31) / 32) * 4 * r.height);
            h.biClrUsed = 0;
            return r.height;
        }
        if (h.biBitCount != 1 && h.biBitCount != 24 && h.biBitCount != 32) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        if (h.biBitCount == 1) {
            lpbmi->bmiColors[0] = {0, 0, 0, 0};
            (&lpbmi->bmiColors[0])[1] = {255, 255, 255, 0};
        }
        if (!lpvBits) return r.height;
        bool bottomUp = h.biHeight > 0;
        size_t rowBytes = ((static_cast<size_t>(r.width) * h.biBitCount + 31) / 32) * 4;
        auto* out = static_cast<BYTE*>(lpvBits);
        int copied = 0;
        for (UINT i = 0; i < cLines; ++i) {
            int line = bottomUp ? r.height - 1 - static_cast<int>(start + i) : static_cast<int>(start + i);
            if (line < 0 || line >= r.height) break;
            BYTE* row = out + static_cast<size_t>(i) * rowBytes;
            std::memset(row, 0, rowBytes);
            const Pixel* s = r.row(line);
            for (int x = 0; x < r.width; ++x) {
                Pixel p = s[x];
                if (h.biBitCount == 1) {
                    if (p & 0xFFFFFF) row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
                } else {
                    BYTE* d = row + static_cast<size_t>(x) * (h.biBitCount / 8);
                    d[0] = static_cast<BYTE>(p), d[1] = static_cast<BYTE>(p >> 8), d[2] = static_cast<BYTE>(p >> 16);
                }
            }
            ++copied;
        }
        return copied;
    });
}
