// Painting device contexts: window contexts over a window's part of its top-level surface,
// memory contexts over a bitmap; their attributes, SaveDC/RestoreDC, mapping modes and clip
// boxes, and presenting what they painted.
#include <cmath>
#include <utility>

#include "detail.h"
#include "gdi_internal.h"
#include "gdi_state.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

DcState defaultState(GdiTable& g) {
    makeStockObjects(g);
    DcState s;
    s.pen = g.stock[BLACK_PEN];
    s.brush = g.stock[WHITE_BRUSH];
    s.font = g.stock[SYSTEM_FONT];
    s.palette = g.stock[DEFAULT_PALETTE];
    return s;
}

HDC addContext(GdiTable& g, std::unique_ptr<PaintDc> dc) {
    auto h = g.nextContext;
    g.nextContext += 4;
    g.contexts.emplace(h, std::move(dc));
    return reinterpret_cast<HDC>(h);
}

LONG roundDiv(long long numerator, long long denominator) {
    return static_cast<LONG>(std::lround(static_cast<double>(numerator) / static_cast<double>(denominator)));
}

bool scaled(const DcState& s) { return s.mapMode == MM_ANISOTROPIC || s.mapMode == MM_ISOTROPIC; }

// MM_ISOTROPIC keeps one unit square: the larger viewport extent shrinks to the other's scale.
void keepSquare(DcState& s) {
    if (s.mapMode != MM_ISOTROPIC || !s.windowExt.cx || !s.windowExt.cy) return;
    double sx = std::abs(static_cast<double>(s.viewportExt.cx) / s.windowExt.cx);
    double sy = std::abs(static_cast<double>(s.viewportExt.cy) / s.windowExt.cy);
    if (sx > sy) s.viewportExt.cx = static_cast<LONG>(std::lround(s.viewportExt.cx * sy / sx));
    if (sy > sx) s.viewportExt.cy = static_cast<LONG>(std::lround(s.viewportExt.cy * sx / sy));
}

template <typename Body>
BOOL withState(HDC hdc, Body&& body) {
    return withContext(hdc, BOOL{FALSE}, [&](GdiTable&, PaintDc& dc) -> BOOL {
        body(dc.state);
        return TRUE;
    });
}

}  // namespace

bool prepareRaster(GdiTable& g, PaintDc& dc) {
    WinplatSurface* surface = dc.windowSurface;
    bool mono = false;
    if (dc.memory) {
        GdiObject* o = findObject(g, dc.state.bitmap);
        if (!o || o->type != OBJ_BITMAP) return false;
        auto& bitmap = std::get<BitmapObject>(o->data);
        surface = bitmap.surface;
        mono = bitmap.mono;
    }
    const WinplatDriverFunctions* driver = loadedGuiDriver();
    WinplatSurfaceBits bits{};
    if (!surface || !driver || !driver->surfaceBits(surface, &bits)) return false;
    Raster& r = dc.raster;
    r.bits = reinterpret_cast<Pixel*>(bits.bits);
    r.stride = bits.stride / 4;
    r.width = bits.width;
    r.height = bits.height;
    r.mono = mono;
    r.changed = {};
    return true;
}

void notePainted(GdiTable& g, PaintDc& dc) {
    if (dc.memory || emptyRect(dc.raster.changed)) return;
    auto [it, fresh] = g.painted.emplace(dc.topLevel, dc.raster.changed);
    if (!fresh) {
        RECT& r = it->second;
        const RECT& c = dc.raster.changed;
        r = {std::min(r.left, c.left), std::min(r.top, c.top), std::max(r.right, c.right),
             std::max(r.bottom, c.bottom)};
    }
}

Pixel resolveColour(GdiTable& g, const PaintDc& dc, COLORREF colour) {
    if ((colour >> 24) == 0x01) {
        GdiObject* o = findObject(g, dc.state.palette);
        if (o && o->type == OBJ_PAL) {
            const auto& entries = std::get<PaletteObject>(o->data).entries;
            size_t index = colour & 0xFFFF;
            const PALETTEENTRY& e = entries[index < entries.size() ? index : 0];
            return pixelOf(RGB(e.peRed, e.peGreen, e.peBlue));
        }
    }
    return pixelOf(colour & 0xFFFFFF);
}

POINT toDevice(const PaintDc& dc, int x, int y) {
    const DcState& s = dc.state;
    POINT p{x - s.windowOrg.x, y - s.windowOrg.y};
    if (scaled(s) && s.windowExt.cx && s.windowExt.cy) {
        p.x = roundDiv(static_cast<long long>(p.x) * s.viewportExt.cx, s.windowExt.cx);
        p.y = roundDiv(static_cast<long long>(p.y) * s.viewportExt.cy, s.windowExt.cy);
    }
    return {p.x + s.viewportOrg.x + dc.origin.x, p.y + s.viewportOrg.y + dc.origin.y};
}

double scaleLength(const PaintDc& dc, double length) {
    const DcState& s = dc.state;
    if (!scaled(s) || !s.windowExt.cx) return length;
    return length * std::abs(static_cast<double>(s.viewportExt.cx) / s.windowExt.cx);
}

POINT toLogical(const PaintDc& dc, POINT surfacePoint) {
    const DcState& s = dc.state;
    POINT p{surfacePoint.x - dc.origin.x - s.viewportOrg.x, surfacePoint.y - dc.origin.y - s.viewportOrg.y};
    if (scaled(s) && s.viewportExt.cx && s.viewportExt.cy) {
        p.x = roundDiv(static_cast<long long>(p.x) * s.windowExt.cx, s.viewportExt.cx);
        p.y = roundDiv(static_cast<long long>(p.y) * s.windowExt.cy, s.viewportExt.cy);
    }
    return {p.x + s.windowOrg.x, p.y + s.windowOrg.y};
}

HDC windowDeviceContext(HWND hwnd, bool wholeWindow, const RectSet* clip) {
    if (!guiDriver()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    WindowSurface ws;
    bool hasSurface = windowSurfaceOf(hwnd, wholeWindow, ws);
    auto dc = std::make_unique<PaintDc>();
    dc->hwnd = hwnd;
    if (hasSurface) {
        dc->topLevel = ws.topLevel;
        dc->windowSurface = ws.surface;
        dc->origin = ws.origin;
        RectSet visible = ws.visible;
        if (clip) {
            RectSet limited;
            for (RECT c : *clip) {
                c = {c.left + ws.origin.x, c.top + ws.origin.y, c.right + ws.origin.x, c.bottom + ws.origin.y};
                for (const RECT& v : visible)
                    if (RECT part = intersection(v, c); !emptyRect(part)) limited.push_back(part);
            }
            visible.swap(limited);
        }
        dc->raster.clip = std::move(visible);
    }
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    dc->state = defaultState(g);
    return addContext(g, std::move(dc));
}

bool isPaintingContext(HDC hdc) {
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    return findContext(g, hdc) != nullptr;
}

int releasePaintingContext(HDC hdc) {
    {
        GdiTable& g = gdiTable();
        std::lock_guard lock(g.mutex);
        PaintDc* dc = findContext(g, hdc);
        if (!dc || dc->memory) return 0;
        g.contexts.erase(reinterpret_cast<uintptr_t>(hdc));
    }
    presentPainted();
    return 1;
}

BOOL deletePaintingContext(HDC hdc) {
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    PaintDc* dc = findContext(g, hdc);
    if (!dc || !dc->memory) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (GdiObject* o = findObject(g, dc->state.bitmap); o && o->type == OBJ_BITMAP)
        if (auto& b = std::get<BitmapObject>(o->data); b.selectedInto == hdc) b.selectedInto = nullptr;
    g.contexts.erase(reinterpret_cast<uintptr_t>(hdc));
    return TRUE;
}

void presentPainted() {
    std::unordered_map<HWND, RECT> painted;
    {
        GdiTable& g = gdiTable();
        std::lock_guard lock(g.mutex);
        if (g.painted.empty()) return;
        painted.swap(g.painted);
    }
    for (auto& [top, rect] : painted) presentSurface(top, rect);
}

}  // namespace winplat::detail

using namespace winplat::detail;

// A memory context holding a 1 x 1 monochrome bitmap, as Win32 makes it; it needs the driver.
WINPLAT_API HDC CreateCompatibleDC(HDC) {
    if (!guiDriver()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    HBITMAP mono = nullptr;
    {
        GdiTable& g = gdiTable();
        std::lock_guard lock(g.mutex);
        mono = reinterpret_cast<HBITMAP>(g.defaultBitmap);
    }
    if (!mono) {
        mono = CreateBitmap(1, 1, 1, 1, nullptr);
        if (!mono) return nullptr;
        GdiTable& g = gdiTable();
        std::lock_guard lock(g.mutex);
        if (GdiObject* o = findObject(g, mono)) o->stock = true;
        g.defaultBitmap = mono;
    }
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    auto dc = std::make_unique<PaintDc>();
    dc->memory = true;
    dc->state = defaultState(g);
    dc->state.bitmap = mono;
    dc->raster.clip = {RECT{0, 0, 1, 1}};
    return addContext(g, std::move(dc));
}

WINPLAT_API HDC GetWindowDC(HWND hWnd) {
    return guardedCall(HDC{}, [&]() -> HDC { return windowDeviceContext(hWnd, true, nullptr); });
}

WINPLAT_API BOOL GdiFlush(void) {
    presentPainted();
    return TRUE;
}

WINPLAT_API int SaveDC(HDC hdc) {
    return withContext(hdc, 0, [&](GdiTable&, PaintDc& dc) -> int {
        dc.saved.push_back(dc.state);
        return static_cast<int>(dc.saved.size());
    });
}

// A positive level restores that SaveDC's state (dropping the later ones); a negative one
// counts back from the last.
WINPLAT_API BOOL RestoreDC(HDC hdc, int nSavedDC) {
    return withContext(hdc, BOOL{FALSE}, [&](GdiTable& g, PaintDc& dc) -> BOOL {
        int count = static_cast<int>(dc.saved.size());
        int level = nSavedDC < 0 ? count + nSavedDC + 1 : nSavedDC;
        if (level < 1 || level > count) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        DcState restored = dc.saved[static_cast<size_t>(level - 1)];
        if (dc.memory && restored.bitmap != dc.state.bitmap) {
            GdiObject* o = findObject(g, restored.bitmap);
            if (!o) return FALSE;
            auto& b = std::get<BitmapObject>(o->data);
            dc.raster.clip = {RECT{0, 0, b.width, b.height}};
        }
        dc.state = restored;
        dc.saved.resize(static_cast<size_t>(level - 1));
        return TRUE;
    });
}

WINPLAT_API int SetMapMode(HDC hdc, int iMode) {
    if (iMode != MM_TEXT && iMode != MM_ANISOTROPIC && iMode != MM_ISOTROPIC) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return withContext(hdc, 0, [&](GdiTable&, PaintDc& dc) -> int {
        int previous = std::exchange(dc.state.mapMode, iMode);
        if (iMode == MM_TEXT) dc.state.windowExt = dc.state.viewportExt = {1, 1};
        keepSquare(dc.state);
        return previous;
    });
}

WINPLAT_API int GetMapMode(HDC hdc) {
    return withContext(hdc, 0, [&](GdiTable&, PaintDc& dc) { return dc.state.mapMode; });
}

namespace {

// Extents change only in the scaling modes; a zero extent is refused.
BOOL setExtent(HDC hdc, int x, int y, LPSIZE previous, bool window) {
    return withContext(hdc, BOOL{FALSE}, [&](GdiTable&, PaintDc& dc) -> BOOL {
        SIZE& ext = window ? dc.state.windowExt : dc.state.viewportExt;
        if (previous) *previous = ext;
        if (!scaled(dc.state)) return TRUE;
        if (x == 0 || y == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        ext = {x, y};
        keepSquare(dc.state);
        return TRUE;
    });
}

BOOL setOrigin(HDC hdc, int x, int y, LPPOINT previous, bool window) {
    return withState(hdc, [&](DcState& s) {
        POINT& origin = window ? s.windowOrg : s.viewportOrg;
        if (previous) *previous = origin;
        origin = {x, y};
    });
}

}  // namespace

WINPLAT_API BOOL SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz) { return setExtent(hdc, x, y, lpsz, true); }
WINPLAT_API BOOL SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz) { return setExtent(hdc, x, y, lpsz, false); }
WINPLAT_API BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return setOrigin(hdc, x, y, lppt, true); }
WINPLAT_API BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return setOrigin(hdc, x, y, lppt, false); }

WINPLAT_API BOOL GetWindowExtEx(HDC hdc, LPSIZE lpsize) {
    return lpsize && withState(hdc, [&](DcState& s) { *lpsize = s.windowExt; });
}
WINPLAT_API BOOL GetViewportExtEx(HDC hdc, LPSIZE lpsize) {
    return lpsize && withState(hdc, [&](DcState& s) { *lpsize = s.viewportExt; });
}
WINPLAT_API BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppoint) {
    return lppoint && withState(hdc, [&](DcState& s) { *lppoint = s.windowOrg; });
}
WINPLAT_API BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppoint) {
    return lppoint && withState(hdc, [&](DcState& s) { *lppoint = s.viewportOrg; });
}

WINPLAT_API BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c) {
    return withContext(hdc, BOOL{FALSE}, [&](GdiTable&, PaintDc& dc) -> BOOL {
        for (int i = 0; lppt && i < c; ++i) {
            POINT p = toDevice(dc, lppt[i].x, lppt[i].y);
            lppt[i] = {p.x - dc.origin.x, p.y - dc.origin.y};
        }
        return TRUE;
    });
}

WINPLAT_API BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c) {
    return withContext(hdc, BOOL{FALSE}, [&](GdiTable&, PaintDc& dc) -> BOOL {
        for (int i = 0; lppt && i < c; ++i)
            lppt[i] = toLogical(dc, POINT{lppt[i].x + dc.origin.x, lppt[i].y + dc.origin.y});
        return TRUE;
    });
}

// The smallest logical rectangle around what the context may paint.
WINPLAT_API int GetClipBox(HDC hdc, LPRECT lprect) {
    return withContext(hdc, int{ERROR}, [&](GdiTable& g, PaintDc& dc) -> int {
        if (!lprect) return ERROR;
        if (dc.memory) prepareRaster(g, dc);
        const RectSet& clip = dc.raster.clip;
        if (clip.empty()) {
            *lprect = {};
            return NULLREGION;
        }
        RECT box = boundingBox(clip);
        POINT a = toLogical(dc, POINT{box.left, box.top}), b = toLogical(dc, POINT{box.right, box.bottom});
        *lprect = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
        return clip.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
    });
}

WINPLAT_API COLORREF SetTextColor(HDC hdc, COLORREF color) {
    return withContext(hdc, COLORREF{CLR_INVALID}, [&](GdiTable&, PaintDc& dc) {
        return std::exchange(dc.state.textColour, color);
    });
}
WINPLAT_API COLORREF GetTextColor(HDC hdc) {
    return withContext(hdc, COLORREF{CLR_INVALID}, [&](GdiTable&, PaintDc& dc) { return dc.state.textColour; });
}
WINPLAT_API COLORREF SetBkColor(HDC hdc, COLORREF color) {
    return withContext(hdc, COLORREF{CLR_INVALID}, [&](GdiTable&, PaintDc& dc) {
        return std::exchange(dc.state.bkColour, color);
    });
}
WINPLAT_API COLORREF GetBkColor(HDC hdc) {
    return withContext(hdc, COLORREF{CLR_INVALID}, [&](GdiTable&, PaintDc& dc) { return dc.state.bkColour; });
}
WINPLAT_API int SetBkMode(HDC hdc, int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return withContext(hdc, 0, [&](GdiTable&, PaintDc& dc) { return std::exchange(dc.state.bkMode, mode); });
}
WINPLAT_API int GetBkMode(HDC hdc) {
    return withContext(hdc, 0, [&](GdiTable&, PaintDc& dc) { return dc.state.bkMode; });
}
WINPLAT_API int SetROP2(HDC hdc, int rop2) {
    if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return withContext(hdc, 0, [&](GdiTable&, PaintDc& dc) { return std::exchange(dc.state.rop2, rop2); });
}
WINPLAT_API int GetROP2(HDC hdc) {
    return withContext(hdc, 0, [&](GdiTable&, PaintDc& dc) { return dc.state.rop2; });
}
WINPLAT_API int SetPolyFillMode(HDC hdc, int mode) {
    if (mode != ALTERNATE && mode != WINDING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return withContext(hdc, 0, [&](GdiTable&, PaintDc& dc) { return std::exchange(dc.state.polyFillMode, mode); });
}
WINPLAT_API int SetStretchBltMode(HDC hdc, int mode) {
    return withContext(hdc, 0, [&](GdiTable&, PaintDc& dc) { return std::exchange(dc.state.stretchMode, mode); });
}
WINPLAT_API UINT SetTextAlign(HDC hdc, UINT align) {
    return withContext(hdc, UINT{GDI_ERROR}, [&](GdiTable&, PaintDc& dc) {
        return std::exchange(dc.state.textAlign, align);
    });
}
