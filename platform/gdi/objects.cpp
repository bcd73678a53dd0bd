// GDI objects: pens, brushes, fonts, bitmaps and palettes in one process-wide table, the stock
// objects, selection into contexts and deletion. Fonts are the Liberation faces only:
// "Arial", "MS Sans Serif", "MS Shell Dlg" and unknown faces are Liberation Sans.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "ascii_case.h"
#include "detail.h"
#include "gdi_internal.h"
#include "gdi_state.h"

namespace winplat::detail {
namespace {

constexpr int kStockCount = 20;

// The system palette's twenty static colours, as DEFAULT_PALETTE holds them.
constexpr COLORREF kStaticColours[20] = {
    RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192),
    RGB(192, 220, 192), RGB(166, 202, 240), RGB(255, 251, 240), RGB(160, 160, 164),
    RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255),
};

LOGFONTA logFont(LONG height, LONG weight, const char* face) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    copyBounded(lf.lfFaceName, sizeof lf.lfFaceName, face);
    return lf;
}

// Liberation Sans: 2048 units to the em, 1854 above and 434 below the baseline, so a cell
// height asked for (a positive lfHeight) is that share of the em.
LONG emPixels(LONG height) {
    if (height < 0) return -height;
    if (height == 0) return 13;
    return std::max<LONG>(1, std::lround(height * 2048.0 / 2288.0));
}

int faceOf(const LOGFONTA& lf) {
    const char* face = lf.lfFaceName;
    if (equalsIgnoringCase(face, "Courier New") || equalsIgnoringCase(face, "Courier") ||
        equalsIgnoringCase(face, "Liberation Mono") || (!*face && (lf.lfPitchAndFamily & 3) == FIXED_PITCH))
        return 2;
    if (equalsIgnoringCase(face, "Times New Roman") || equalsIgnoringCase(face, "Liberation Serif")) return 1;
    return 0;
}

size_t selections(GdiTable& g, HGDIOBJ h) {
    size_t count = 0;
    for (auto& [handle, dc] : g.contexts) {
        const DcState& s = dc->state;
        if (s.pen == h || s.brush == h || s.font == h || s.bitmap == h || s.palette == h) ++count;
    }
    return count;
}

void releaseObject(GdiObject& o) {
    const WinplatDriverFunctions* driver = loadedGuiDriver();
    if (auto* font = std::get_if<FontObject>(&o.data); font && font->font && driver) {
        driver->destroyFont(font->font);
        font->font = nullptr;
    }
    if (auto* bitmap = std::get_if<BitmapObject>(&o.data); bitmap && bitmap->surface && driver) {
        driver->destroySurface(bitmap->surface);
        bitmap->surface = nullptr;
    }
}

}  // namespace

GdiTable& gdiTable() {
    static GdiTable g;
    return g;
}

GdiObject* findObject(GdiTable& g, HGDIOBJ h) {
    auto it = g.objects.find(reinterpret_cast<uintptr_t>(h));
    return it == g.objects.end() ? nullptr : it->second.get();
}

PaintDc* findContext(GdiTable& g, HDC h) {
    auto it = g.contexts.find(reinterpret_cast<uintptr_t>(h));
    return it == g.contexts.end() ? nullptr : it->second.get();
}

HGDIOBJ addObject(GdiTable& g, GdiObject object) {
    auto h = g.nextObject;
    g.nextObject += 4;
    g.objects.emplace(h, std::make_shared<GdiObject>(std::move(object)));
    return reinterpret_cast<HGDIOBJ>(h);
}

void makeStockObjects(GdiTable& g) {
    if (!g.stock.empty()) return;
    g.stock.assign(kStockCount, nullptr);
    auto stock = [&](int index, GdiObject o) {
        o.stock = true;
        g.stock[static_cast<size_t>(index)] = addObject(g, std::move(o));
    };
    stock(WHITE_BRUSH, {OBJ_BRUSH, true, BrushObject{BS_SOLID, RGB(255, 255, 255)}});
    stock(LTGRAY_BRUSH, {OBJ_BRUSH, true, BrushObject{BS_SOLID, RGB(192, 192, 192)}});
    stock(GRAY_BRUSH, {OBJ_BRUSH, true, BrushObject{BS_SOLID, RGB(128, 128, 128)}});
    stock(DKGRAY_BRUSH, {OBJ_BRUSH, true, BrushObject{BS_SOLID, RGB(64, 64, 64)}});
    stock(BLACK_BRUSH, {OBJ_BRUSH, true, BrushObject{BS_SOLID, RGB(0, 0, 0)}});
    stock(NULL_BRUSH, {OBJ_BRUSH, true, BrushObject{BS_NULL, 0}});
    stock(WHITE_PEN, {OBJ_PEN, true, PenObject{PS_SOLID, 1, RGB(255, 255, 255)}});
    stock(BLACK_PEN, {OBJ_PEN, true, PenObject{PS_SOLID, 1, RGB(0, 0, 0)}});
    stock(NULL_PEN, {OBJ_PEN, true, PenObject{PS_NULL, 1, 0}});
    GdiObject fixed{OBJ_FONT, true, FontObject{logFont(-12, FW_NORMAL, "Courier New"), nullptr, {}}};
    stock(OEM_FIXED_FONT, fixed);
    stock(ANSI_FIXED_FONT, fixed);
    stock(SYSTEM_FIXED_FONT, fixed);
    GdiObject gui{OBJ_FONT, true, FontObject{logFont(-11, FW_NORMAL, "MS Shell Dlg"), nullptr, {}}};
    stock(ANSI_VAR_FONT, gui);
    stock(DEFAULT_GUI_FONT, gui);
    GdiObject system{OBJ_FONT, true, FontObject{logFont(16, FW_BOLD, "System"), nullptr, {}}};
    stock(SYSTEM_FONT, system);
    stock(DEVICE_DEFAULT_FONT, system);
    PaletteObject palette;
    for (COLORREF c : kStaticColours)
        palette.entries.push_back({GetRValue(c), GetGValue(c), GetBValue(c), 0});
    stock(DEFAULT_PALETTE, {OBJ_PAL, true, palette});
    stock(DC_BRUSH, {OBJ_BRUSH, true, BrushObject{BS_SOLID, RGB(255, 255, 255)}});
    stock(DC_PEN, {OBJ_PEN, true, PenObject{PS_SOLID, 1, RGB(0, 0, 0)}});
}

bool fontReady(FontObject& font) {
    if (font.font) return true;
    const WinplatDriverFunctions* driver = guiDriver();
    if (!driver) return false;
    WinplatFontRequest request{};
    request.emPixels = emPixels(font.log.lfHeight);
    request.width = std::abs(font.log.lfWidth);
    request.bold = font.log.lfWeight >= FW_SEMIBOLD;
    request.italic = font.log.lfItalic != 0;
    request.underline = font.log.lfUnderline != 0;
    request.strikeOut = font.log.lfStrikeOut != 0;
    request.face = faceOf(font.log);
    font.font = driver->createFont(&request);
    if (!font.font) return false;
    driver->fontMetrics(font.font, &font.metrics);
    return true;
}

HBRUSH systemColourBrush(int index) {
    if (index < 0 || index > COLOR_GRADIENTINACTIVECAPTION) return nullptr;
    COLORREF colour = GetSysColor(index);
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    if (g.sysColourBrushes.empty()) g.sysColourBrushes.assign(COLOR_GRADIENTINACTIVECAPTION + 1, nullptr);
    HBRUSH& brush = g.sysColourBrushes[static_cast<size_t>(index)];
    if (!brush) brush = reinterpret_cast<HBRUSH>(addObject(g, {OBJ_BRUSH, true, BrushObject{BS_SOLID, colour}}));
    return brush;
}

void resetGdi() {
    GdiTable& g = gdiTable();
    std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> objects;
    {
        std::lock_guard lock(g.mutex);
        objects.swap(g.objects);
        g.contexts.clear();
        g.painted.clear();
        g.stock.clear();
        g.sysColourBrushes.clear();
    }
    for (auto& [handle, o] : objects) releaseObject(*o);
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HGDIOBJ GetStockObject(int i) {
    if (i < 0 || i >= kStockCount) return nullptr;
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    makeStockObjects(g);
    return g.stock[static_cast<size_t>(i)];
}

WINPLAT_API HBRUSH GetSysColorBrush(int nIndex) { return systemColourBrush(nIndex); }

WINPLAT_API HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
    int style = iStyle & PS_STYLE_MASK;
    if (style > PS_INSIDEFRAME) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    return reinterpret_cast<HPEN>(addObject(g, {OBJ_PEN, false, PenObject{style, std::max(cWidth, 1), color}}));
}

WINPLAT_API HPEN CreatePenIndirect(const LOGPEN* plpen) {
    if (!plpen) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreatePen(static_cast<int>(plpen->lopnStyle), plpen->lopnWidth.x, plpen->lopnColor);
}

WINPLAT_API HBRUSH CreateSolidBrush(COLORREF color) {
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    return reinterpret_cast<HBRUSH>(addObject(g, {OBJ_BRUSH, false, BrushObject{BS_SOLID, color}}));
}

// Solid and hollow brushes; hatches and patterns are not supplied (ERROR_INVALID_PARAMETER).
WINPLAT_API HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush) {
    if (!plbrush || (plbrush->lbStyle != BS_SOLID && plbrush->lbStyle != BS_NULL)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    return reinterpret_cast<HBRUSH>(addObject(g, {OBJ_BRUSH, false, BrushObject{plbrush->lbStyle, plbrush->lbColor}}));
}

WINPLAT_API HFONT CreateFontIndirectA(const LOGFONTA* lplf) {
    if (!lplf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    FontObject font;
    font.log = *lplf;
    font.log.lfFaceName[LF_FACESIZE - 1] = '\0';
    return reinterpret_cast<HFONT>(addObject(g, {OBJ_FONT, false, font}));
}

WINPLAT_API HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                              DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                              DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                              DWORD iPitchAndFamily, LPCSTR pszFaceName) {
    auto byte = [](DWORD v) { return static_cast<BYTE>(v); };
    LOGFONTA lf{cHeight,     cWidth,         cEscapement,          cOrientation,           cWeight,
                byte(bItalic), byte(bUnderline), byte(bStrikeOut),   byte(iCharSet),         byte(iOutPrecision),
                byte(iClipPrecision), byte(iQuality), byte(iPitchAndFamily), {}};
    if (pszFaceName) copyBounded(lf.lfFaceName, sizeof lf.lfFaceName, pszFaceName);
    return CreateFontIndirectA(&lf);
}

// A pen, brush, font or (into a memory context) bitmap; the previous one of its kind is the
// result. A bitmap selected into another context is refused.
WINPLAT_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    return withContext(hdc, HGDIOBJ{}, [&](GdiTable& g, PaintDc& dc) -> HGDIOBJ {
        GdiObject* o = findObject(g, h);
        if (!o) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        switch (o->type) {
            case OBJ_PEN: return std::exchange(dc.state.pen, h);
            case OBJ_BRUSH: return std::exchange(dc.state.brush, h);
            case OBJ_FONT: return std::exchange(dc.state.font, h);
            case OBJ_BITMAP: {
                auto& bitmap = std::get<BitmapObject>(o->data);
                if (!dc.memory || (bitmap.selectedInto && bitmap.selectedInto != hdc)) {
                    SetLastError(ERROR_INVALID_PARAMETER);
                    return HGDIOBJ(HGDI_ERROR);
                }
                if (GdiObject* old = findObject(g, dc.state.bitmap))
                    std::get<BitmapObject>(old->data).selectedInto = nullptr;
                bitmap.selectedInto = hdc;
                HGDIOBJ previous = std::exchange(dc.state.bitmap, h);
                dc.raster.clip = {RECT{0, 0, bitmap.width, bitmap.height}};
                return previous;
            }
            default:
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
        }
    });
}

// Stock objects are never deleted (TRUE, nothing happens); an object selected into a context
// is refused, as on the Windows 95 family.
WINPLAT_API BOOL DeleteObject(HGDIOBJ ho) {
    std::shared_ptr<GdiObject> gone;
    {
        GdiTable& g = gdiTable();
        std::lock_guard lock(g.mutex);
        auto it = g.objects.find(reinterpret_cast<uintptr_t>(ho));
        if (it == g.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (it->second->stock) return TRUE;
        if (selections(g, ho) > 0) {
            SetLastError(ERROR_BUSY);
            return FALSE;
        }
        gone = std::move(it->second);
        g.objects.erase(it);
    }
    releaseObject(*gone);
    return TRUE;
}

WINPLAT_API DWORD GetObjectType(HGDIOBJ h) {
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    if (GdiObject* o = findObject(g, h)) return static_cast<DWORD>(o->type);
    if (PaintDc* dc = findContext(g, reinterpret_cast<HDC>(h))) return dc->memory ? OBJ_MEMDC : OBJ_DC;
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

WINPLAT_API HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    return withContext(hdc, HGDIOBJ{}, [&](GdiTable&, PaintDc& dc) -> HGDIOBJ {
        switch (type) {
            case OBJ_PEN: return dc.state.pen;
            case OBJ_BRUSH: return dc.state.brush;
            case OBJ_FONT: return dc.state.font;
            case OBJ_BITMAP: return dc.state.bitmap;
            case OBJ_PAL: return dc.state.palette;
            default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
        }
    });
}

// The object's description; with no buffer, the size it needs. A buffer smaller than the
// description receives its first bytes.
WINPLAT_API int GetObjectA(HANDLE h, int c, LPVOID pv) {
    GdiTable& g = gdiTable();
    std::lock_guard lock(g.mutex);
    GdiObject* o = findObject(g, static_cast<HGDIOBJ>(h));
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    auto give = [&](const void* data, size_t size) -> int {
        if (!pv) return static_cast<int>(size);
        if (c <= 0) return 0;
        size_t n = std::min(size, static_cast<size_t>(c));
        std::memcpy(pv, data, n);
        return static_cast<int>(n);
    };
    switch (o->type) {
        case OBJ_PEN: {
            auto& p = std::get<PenObject>(o->data);
            LOGPEN lp{static_cast<UINT>(p.style), POINT{p.width, 0}, p.colour};
            return give(&lp, sizeof lp);
        }
        case OBJ_BRUSH: {
            auto& b = std::get<BrushObject>(o->data);
            LOGBRUSH lb{b.style, b.colour, 0};
            return give(&lb, sizeof lb);
        }
        case OBJ_FONT: return give(&std::get<FontObject>(o->data).log, sizeof(LOGFONTA));
        case OBJ_BITMAP: {
            auto& b = std::get<BitmapObject>(o->data);
            int bits = b.mono ? 1 : 32;
            BITMAP bm{0, b.width, b.height, ((b.width * bits + 15) / 16) * 2, 1, static_cast<WORD>(bits), nullptr};
            return give(&bm, sizeof bm);
        }
        case OBJ_PAL: {
            WORD count = static_cast<WORD>(std::get<PaletteObject>(o->data).entries.size());
            return give(&count, sizeof count);
        }
        default: return 0;
    }
}
