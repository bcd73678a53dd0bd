// Palettes on true-colour surfaces: PALETTERGB paints exactly its colour, PALETTEINDEX(i) the
// entry i of the context's palette when the drawing happens. AnimatePalette changes the
// PC_RESERVED entries, then repaints at once every window whose context realised the palette,
// so a PALETTEINDEX area changes everywhere, as on a 256-colour screen.
#include <utility>
#include <vector>

#include "detail.h"
#include "gdi_state.h"

namespace winplat::detail {
namespace {

template <typename Body>
auto withPalette(HPALETTE h, decltype(std::declval<Body>()(std::declval<PaletteObject&>())) onFailure, Body&& body) {
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    GdiObject* o = findObject(g, h);
    if (!o || o->type != OBJ_PAL) {
        SetLastError(ERROR_INVALID_HANDLE);
        return onFailure;
    }
    return body(std::get<PaletteObject>(o->data));
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HPALETTE CreatePalette(const LOGPALETTE* plpal) {
    if (!plpal || plpal->palVersion != 0x300 || plpal->palNumEntries == 0 || plpal->palNumEntries > 1024) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    PaletteObject palette;
    palette.entries.assign(plpal->palPalEntry, plpal->palPalEntry + plpal->palNumEntries);
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    return reinterpret_cast<HPALETTE>(addObject(g, {OBJ_PAL, false, palette}));
}

WINPLAT_API HPALETTE SelectPalette(HDC hdc, HPALETTE hPal, BOOL) {
    return withContext(hdc, HPALETTE{}, [&](GdiTable& g, PaintDc& dc) -> HPALETTE {
        GdiObject* o = findObject(g, hPal);
        if (!o || o->type != OBJ_PAL) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        return reinterpret_cast<HPALETTE>(std::exchange(dc.state.palette, hPal));
    });
}

// Surfaces are true colour: every entry maps, and the window is remembered for AnimatePalette.
WINPLAT_API UINT RealizePalette(HDC hdc) {
    return withContext(hdc, UINT{GDI_ERROR}, [&](GdiTable& g, PaintDc& dc) -> UINT {
        GdiObject* o = findObject(g, dc.state.palette);
        if (!o || o->type != OBJ_PAL) return GDI_ERROR;
        auto& palette = std::get<PaletteObject>(o->data);
        if (dc.hwnd && !o->stock) palette.realizedIn.insert(dc.hwnd);
        return static_cast<UINT>(palette.entries.size());
    });
}

WINPLAT_API BOOL AnimatePalette(HPALETTE hPal, UINT iStartIndex, UINT cEntries, const PALETTEENTRY* ppe) {
    std::vector<HWND> windows;
    BOOL ok = withPalette(hPal, BOOL{FALSE}, [&](PaletteObject& p) -> BOOL {
        if (!ppe || iStartIndex >= p.entries.size()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        UINT end = std::min<UINT>(iStartIndex + cEntries, static_cast<UINT>(p.entries.size()));
        for (UINT i = iStartIndex; i < end; ++i) {
            if (!(p.entries[i].peFlags & PC_RESERVED)) continue;
            const PALETTEENTRY& e = ppe[i - iStartIndex];
            p.entries[i] = {e.peRed, e.peGreen, e.peBlue, p.entries[i].peFlags};
        }
        windows.assign(p.realizedIn.begin(), p.realizedIn.end());
        return TRUE;
    });
    if (!ok) return FALSE;
    for (HWND w : windows)
        if (IsWindow(w)) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return TRUE;
}

WINPLAT_API UINT GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries) {
    return withPalette(hpal, UINT{0}, [&](PaletteObject& p) -> UINT {
        if (!pPalEntries) return static_cast<UINT>(p.entries.size());
        if (iStart >= p.entries.size()) return 0;
        UINT n = std::min<UINT>(cEntries, static_cast<UINT>(p.entries.size()) - iStart);
        std::copy(p.entries.begin() + iStart, p.entries.begin() + iStart + n, pPalEntries);
        return n;
    });
}

WINPLAT_API UINT SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, const PALETTEENTRY* pPalEntries) {
    return withPalette(hpal, UINT{0}, [&](PaletteObject& p) -> UINT {
        if (!pPalEntries || iStart >= p.entries.size()) return 0;
        UINT n = std::min<UINT>(cEntries, static_cast<UINT>(p.entries.size()) - iStart);
        std::copy(pPalEntries, pPalEntries + n, p.entries.begin() + iStart);
        return n;
    });
}

WINPLAT_API UINT GetNearestPaletteIndex(HPALETTE h, COLORREF color) {
    return withPalette(h, UINT{CLR_INVALID}, [&](PaletteObject& p) -> UINT {
        UINT best = 0;
        long bestDistance = -1;
        for (UINT i = 0; i < p.entries.size(); ++i) {
            long dr = p.entries[i].peRed - GetRValue(color), dg = p.entries[i].peGreen - GetGValue(color),
                 db = p.entries[i].peBlue - GetBValue(color);
            long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) best = i, bestDistance = d;
        }
        return best;
    });
}
