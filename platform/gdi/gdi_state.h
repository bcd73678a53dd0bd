// GDI's process-wide state (internal): the object table (pens, brushes, fonts, bitmaps,
// palettes, stock objects) and the painting device contexts, under one lock.
#pragma once

#include <memory>
#include <new>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "detail.h"
#include "driver.h"
#include "raster.h"
#include "win32.h"

namespace winplat::detail {

struct PenObject {
    int style = PS_SOLID;
    int width = 1;
    COLORREF colour = 0;
};

struct BrushObject {
    UINT style = BS_SOLID;
    COLORREF colour = 0;
};

struct FontObject {
    LOGFONTA log{};
    WinplatFont* font = nullptr;  // made at first use
    WinplatFontMetrics metrics{};
};

struct BitmapObject {
    WinplatSurface* surface = nullptr;
    int width = 0;
    int height = 0;
    bool mono = false;
    HDC selectedInto = nullptr;
};

struct PaletteObject {
    std::vector<PALETTEENTRY> entries;
    std::set<HWND> realizedIn;  // windows whose contexts realised it
};

struct GdiObject {
    int type = 0;  // OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP, OBJ_PAL
    bool stock = false;
    std::variant<PenObject, BrushObject, FontObject, BitmapObject, PaletteObject> data;
};

// What SaveDC keeps.
struct DcState {
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ font = nullptr;
    HGDIOBJ bitmap = nullptr;
    HGDIOBJ palette = nullptr;
    COLORREF textColour = 0;
    COLORREF bkColour = 0xFFFFFF;
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int polyFillMode = ALTERNATE;
    int stretchMode = BLACKONWHITE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int mapMode = MM_TEXT;
    POINT windowOrg{};
    POINT viewportOrg{};
    SIZE windowExt{1, 1};
    SIZE viewportExt{1, 1};
    POINT position{};
};

struct PaintDc {
    bool memory = false;
    HWND hwnd = nullptr;
    HWND topLevel = nullptr;
    WinplatSurface* windowSurface = nullptr;
    POINT origin{};    // device (0, 0) on the surface
    RectSet visible;   // window contexts: what they may touch, surface coordinates
    DcState state;
    std::vector<DcState> saved;
    Raster raster;     // refreshed before each use
};

struct GdiTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> objects;
    std::unordered_map<uintptr_t, std::unique_ptr<PaintDc>> contexts;
    std::unordered_map<HWND, RECT> painted;  // per top-level window, what waits to be shown
    std::vector<HGDIOBJ> stock;              // GetStockObject's, by index
    std::vector<HBRUSH> sysColourBrushes;
    HGDIOBJ defaultBitmap = nullptr;         // the 1 x 1 monochrome bitmap of new memory contexts
    uintptr_t nextObject = 0x30003;  // 3 modulo 4: apart from files, windows and contexts
    uintptr_t nextContext = 0x40000001;
};

GdiTable& gdiTable();
// Callers hold the lock.
GdiObject* findObject(GdiTable& g, HGDIOBJ h);
PaintDc* findContext(GdiTable& g, HDC h);
HGDIOBJ addObject(GdiTable& g, GdiObject object);
void makeStockObjects(GdiTable& g);
// A font object's driver font and metrics, made at first use; false without the driver.
bool fontReady(FontObject& font);

// The context's raster, pointing at its surface's memory now; false when it has none.
bool prepareRaster(GdiTable& g, PaintDc& dc);
// The surface the context paints on: its window's, or its selected bitmap's.
WinplatSurface* surfaceOf(GdiTable& g, const PaintDc& dc);
// Records what the context's raster changed, to be shown.
void notePainted(GdiTable& g, PaintDc& dc);
// A COLORREF as the context paints it: PALETTEINDEX from its palette, anything else exactly.
Pixel resolveColour(GdiTable& g, const PaintDc& dc, COLORREF colour);
// Logical to device coordinates (on the surface, the context's origin included), rounding to
// nearest under MM_ANISOTROPIC; lengths scale by the x extents' ratio.
POINT toDevice(const PaintDc& dc, int x, int y);
double scaleLength(const PaintDc& dc, double length);
POINT toLogical(const PaintDc& dc, POINT surfacePoint);

// Runs `body(g, dc)` on a painting context under the lock; `onFailure` for any other handle
// (ERROR_INVALID_HANDLE).
template <typename R, typename Body>
R withContext(HDC hdc, R onFailure, Body&& body) {
    return guardedCall(onFailure, [&]() -> R {
        GdiTable& g = gdiTable();
        std::lock_guard lock(g.mutex);
        PaintDc* dc = findContext(g, hdc);
        if (!dc) {
            SetLastError(ERROR_INVALID_HANDLE);
            return onFailure;
        }
        return body(g, *dc);
    });
}

}  // namespace winplat::detail
