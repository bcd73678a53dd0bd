// The drawing calls: rectangles, figures, lines, pixels and blits, in logical coordinates
// mapped to the surface, under the painter's rules (raster.h).
#include <cmath>

#include "detail.h"
#include "gdi_internal.h"
#include "gdi_state.h"

namespace winplat::detail {
namespace {

struct PenInfo {
    bool null = true;
    Pixel colour = 0;
    double width = 1;
    bool dotted = false;
};

PenInfo penOf(GdiTable& g, const PaintDc& dc) {
    GdiObject* o = findObject(g, dc.state.pen);
    if (!o || o->type != OBJ_PEN) return {};
    const auto& p = std::get<PenObject>(o->data);
    if (p.style == PS_NULL) return {};
    return {false, resolveColour(g, dc, p.colour), std::max(1.0, std::round(scaleLength(dc, p.width))),
            p.style == PS_DOT};
}

// The brush's colour, or null for a hollow brush. A brush may also be a system colour index
// plus one, as class brushes are.
bool brushColour(GdiTable& g, const PaintDc& dc, HGDIOBJ brush, Pixel& colour) {
    auto value = reinterpret_cast<uintptr_t>(brush);
    if (value > 0 && value <= COLOR_GRADIENTINACTIVECAPTION + 1) {
        colour = pixelOf(GetSysColor(static_cast<int>(value - 1)));
        return true;
    }
    GdiObject* o = findObject(g, brush);
    if (!o || o->type != OBJ_BRUSH) return false;
    const auto& b = std::get<BrushObject>(o->data);
    if (b.style == BS_NULL) return false;
    colour = resolveColour(g, dc, b.colour);
    return true;
}

RECT deviceRect(const PaintDc& dc, int left, int top, int right, int bottom) {
    POINT a = toDevice(dc, left, top), b = toDevice(dc, right, bottom);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

ThinPen thinPen(const PaintDc& dc, const PenInfo& pen) {
    ThinPen t;
    t.colour = pen.colour;
    t.rop2 = dc.state.rop2;
    t.dotted = pen.dotted;
    t.opaqueGaps = dc.state.bkMode == OPAQUE;
    return t;
}

// Runs a drawing body on a context with a surface; the changes are noted for presenting.
template <typename Body>
BOOL draw(HDC hdc, Body&& body) {
    return withContext(hdc, BOOL{FALSE}, [&](GdiTable& g, PaintDc& dc) -> BOOL {
        if (!prepareRaster(g, dc)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        BOOL result = body(g, dc, dc.raster);
        notePainted(g, dc);
        return result;
    });
}

// Rectangle, Ellipse and RoundRect: a 1-px pen outlines the figure's outermost pixels and the
// brush fills inside; without a pen the fill covers [l, r - 1) x [t, b - 1); a wider pen
// strokes the outline through pixel centres over the filled figure.
BOOL figure(HDC hdc, int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    return draw(hdc, [&](GdiTable& g, PaintDc& dc, Raster& r) -> BOOL {
        RECT box = deviceRect(dc, left, top, right, bottom);
        int cw = static_cast<int>(std::lround(scaleLength(dc, cornerWidth)));
        int ch = static_cast<int>(std::lround(scaleLength(dc, cornerHeight)));
        bool ellipse = cornerWidth < 0;
        if (ellipse) cw = box.right - box.left, ch = box.bottom - box.top;
        PenInfo pen = penOf(g, dc);
        Pixel fill = 0;
        bool filled = brushColour(g, dc, dc.state.brush, fill);
        if (pen.null) {
            RECT inner{box.left, box.top, box.right - 1, box.bottom - 1};
            if (ellipse) cw = inner.right - inner.left, ch = inner.bottom - inner.top;
            if (filled) paintFigure(r, inner, roundRectSpans(inner, cw, ch), nullptr, &fill, dc.state.rop2);
            return TRUE;
        }
        auto spans = roundRectSpans(box, cw, ch);
        if (pen.width <= 1) {
            paintFigure(r, box, spans, &pen.colour, filled ? &fill : nullptr, dc.state.rop2);
            return TRUE;
        }
        if (filled) paintFigure(r, box, spans, nullptr, &fill, dc.state.rop2);
        strokeWide(r, roundRectPath(box, cw, ch), true, pen.width, pen.colour, dc.state.rop2);
        return TRUE;
    });
}

// The device points of a logical polyline.
std::vector<POINT> devicePoints(const PaintDc& dc, const POINT* points, int count) {
    std::vector<POINT> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) out.push_back(toDevice(dc, points[i].x, points[i].y));
    return out;
}

void strokePolyline(GdiTable& g, PaintDc& dc, Raster& r, const PenInfo& pen, const std::vector<POINT>& points, bool closed) {
    if (pen.null || points.size() < 2) return;
    if (pen.width > 1) {
        std::vector<PointF> path;
        for (POINT p : points) path.push_back({p.x + 0.5, p.y + 0.5});
        strokeWide(r, path, closed, pen.width, pen.colour, dc.state.rop2);
        return;
    }
    ThinPen thin = thinPen(dc, pen);
    thin.gapColour = resolveColour(g, dc, dc.state.bkColour);
    int phase = 0;
    size_t segments = closed ? points.size() : points.size() - 1;
    for (size_t i = 0; i < segments; ++i) drawLine(r, points[i], points[(i + 1) % points.size()], thin, phase);
}

SourceMap sourceMapFor(GdiTable& g, const PaintDc& dst, const PaintDc& src) {
    SourceMap map;
    if (src.raster.mono && !dst.raster.mono) {
        map.monoToColour = true;
        map.foreground = resolveColour(g, dst, dst.state.textColour);
        map.background = resolveColour(g, dst, dst.state.bkColour);
    } else if (!src.raster.mono && dst.raster.mono) {
        map.colourToMono = true;
        map.background = resolveColour(g, src, src.state.bkColour);
    }
    return map;
}

bool usesSource(DWORD rop) {
    unsigned table = (rop >> 16) & 0xFF;
    // The operation depends on the source when swapping the source bit changes the table.
    return ((table >> 2) & 0x33) != (table & 0x33);
}

// A copy of the source's pixels when source and destination share memory, so overlapping
// blits read what was there before.
struct SourceCopy {
    std::vector<Pixel> pixels;
    Raster raster;
};

const Raster& stableSource(const Raster& src, const Raster& dst, SourceCopy& copy) {
    if (src.bits != dst.bits) return src;
    copy.raster = src;
    copy.pixels.resize(static_cast<size_t>(src.width) * static_cast<size_t>(src.height));
    for (int y = 0; y < src.height; ++y)
        std::copy(src.row(y), src.row(y) + src.width, copy.pixels.begin() + static_cast<ptrdiff_t>(y) * src.width);
    copy.raster.bits = copy.pixels.data();
    copy.raster.stride = src.width;
    return copy.raster;
}

BOOL blitFrom(HDC hdcDest, int x, int y, int w, int h, HDC hdcSrc, int sx, int sy, int sw, int sh,
              DWORD rop, bool stretch) {
    return draw(hdcDest, [&](GdiTable& g, PaintDc& dc, Raster& r) -> BOOL {
        Pixel pattern = 0;
        brushColour(g, dc, dc.state.brush, pattern);
        POINT a = toDevice(dc, x, y), b = toDevice(dc, x + w, y + h);
        RECT area{a.x, a.y, b.x, b.y};
        if (!usesSource(rop)) {
            RECT normal{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
            patternBlit(r, normal, rop, pattern);
            return TRUE;
        }
        PaintDc* src = findContext(g, hdcSrc);
        if (!src || !prepareRaster(g, *src)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        SourceCopy copy;
        const Raster& source = stableSource(src->raster, r, copy);
        SourceMap map = sourceMapFor(g, dc, *src);
        POINT s0 = toDevice(*src, sx, sy);
        if (!stretch) {
            RECT normal{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
            blit(r, normal, source, s0, rop, pattern, map);
            return TRUE;
        }
        POINT s1 = toDevice(*src, sx + sw, sy + sh);
        stretchBlit(r, area, source, RECT{s0.x, s0.y, s1.x, s1.y}, rop, pattern, map);
        return TRUE;
    });
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    if (!lprc) return 0;
    return draw(hDC, [&](GdiTable& g, PaintDc& dc, Raster& r) -> BOOL {
        Pixel colour = 0;
        if (!brushColour(g, dc, hbr, colour)) return FALSE;
        fillRect(r, deviceRect(dc, lprc->left, lprc->top, lprc->right, lprc->bottom), colour, R2_COPYPEN);
        return TRUE;
    });
}

WINPLAT_API int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    if (!lprc) return 0;
    return draw(hDC, [&](GdiTable& g, PaintDc& dc, Raster& r) -> BOOL {
        Pixel colour = 0;
        if (!brushColour(g, dc, hbr, colour)) return FALSE;
        RECT d = deviceRect(dc, lprc->left, lprc->top, lprc->right, lprc->bottom);
        if (emptyRect(d)) return TRUE;
        fillRect(r, {d.left, d.top, d.right, d.top + 1}, colour, R2_COPYPEN);
        fillRect(r, {d.left, d.bottom - 1, d.right, d.bottom}, colour, R2_COPYPEN);
        fillRect(r, {d.left, d.top, d.left + 1, d.bottom}, colour, R2_COPYPEN);
        fillRect(r, {d.right - 1, d.top, d.right, d.bottom}, colour, R2_COPYPEN);
        return TRUE;
    });
}

WINPLAT_API BOOL DrawFocusRect(HDC hDC, const RECT* lprc) {
    if (!lprc) return FALSE;
    return draw(hDC, [&](GdiTable&, PaintDc& dc, Raster& r) -> BOOL {
        invertDottedFrame(r, deviceRect(dc, lprc->left, lprc->top, lprc->right, lprc->bottom));
        return TRUE;
    });
}

// Raised and sunken 3-D borders in the system colours, outer edge first.
WINPLAT_API BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
    if (!qrc) return FALSE;
    RECT r = *qrc;
    struct Ring {
        UINT raised, sunken;
        int raisedLight, raisedDark, sunkenLight, sunkenDark;
    } rings[] = {
        {BDR_RAISEDOUTER, BDR_SUNKENOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DSHADOW, COLOR_3DHILIGHT},
        {BDR_RAISEDINNER, BDR_SUNKENINNER, COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
    };
    for (const Ring& ring : rings) {
        bool raised = edge & ring.raised, sunken = edge & ring.sunken;
        if (!raised && !sunken) continue;
        HBRUSH topLeft = GetSysColorBrush(raised ? ring.raisedLight : ring.sunkenLight);
        HBRUSH bottomRight = GetSysColorBrush(raised ? ring.raisedDark : ring.sunkenDark);
        RECT side;
        if (grfFlags & BF_BOTTOM) SetRect(&side, r.left, r.bottom - 1, r.right, r.bottom), FillRect(hdc, &side, bottomRight);
        if (grfFlags & BF_RIGHT) SetRect(&side, r.right - 1, r.top, r.right, r.bottom), FillRect(hdc, &side, bottomRight);
        if (grfFlags & BF_TOP) SetRect(&side, r.left, r.top, r.right - 1, r.top + 1), FillRect(hdc, &side, topLeft);
        if (grfFlags & BF_LEFT) SetRect(&side, r.left, r.top, r.left + 1, r.bottom - 1), FillRect(hdc, &side, topLeft);
        if (grfFlags & BF_LEFT) ++r.left;
        if (grfFlags & BF_TOP) ++r.top;
        if (grfFlags & BF_RIGHT) --r.right;
        if (grfFlags & BF_BOTTOM) --r.bottom;
    }
    if (grfFlags & BF_MIDDLE) FillRect(hdc, &r, GetSysColorBrush(COLOR_3DFACE));
    if (grfFlags & BF_ADJUST) *qrc = r;
    return TRUE;
}

WINPLAT_API BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    return figure(hdc, left, top, right, bottom, 0, 0);
}

WINPLAT_API BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
    return figure(hdc, left, top, right, bottom, std::max(width, 0), std::max(height, 0));
}

WINPLAT_API BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    return figure(hdc, left, top, right, bottom, -1, -1);
}

WINPLAT_API BOOL Polygon(HDC hdc, const POINT* apt, int cpt) {
    if (!apt || cpt < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return draw(hdc, [&](GdiTable& g, PaintDc& dc, Raster& r) -> BOOL {
        std::vector<POINT> points = devicePoints(dc, apt, cpt);
        Pixel fill = 0;
        if (brushColour(g, dc, dc.state.brush, fill)) {
            std::vector<PointF> poly;
            for (POINT p : points) poly.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
            fillPolygons(r, {poly}, dc.state.polyFillMode == WINDING, fill, dc.state.rop2);
        }
        strokePolyline(g, dc, r, penOf(g, dc), points, true);
        return TRUE;
    });
}

WINPLAT_API BOOL Polyline(HDC hdc, const POINT* apt, int cpt) {
    if (!apt || cpt < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return draw(hdc, [&](GdiTable& g, PaintDc& dc, Raster& r) -> BOOL {
        strokePolyline(g, dc, r, penOf(g, dc), devicePoints(dc, apt, cpt), false);
        return TRUE;
    });
}

WINPLAT_API BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    return withContext(hdc, BOOL{FALSE}, [&](GdiTable&, PaintDc& dc) -> BOOL {
        if (lppt) *lppt = dc.state.position;
        dc.state.position = {x, y};
        return TRUE;
    });
}

WINPLAT_API BOOL LineTo(HDC hdc, int x, int y) {
    return draw(hdc, [&](GdiTable& g, PaintDc& dc, Raster& r) -> BOOL {
        POINT line[2] = {dc.state.position, {x, y}};
        strokePolyline(g, dc, r, penOf(g, dc), devicePoints(dc, line, 2), false);
        dc.state.position = {x, y};
        return TRUE;
    });
}

WINPLAT_API COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    return withContext(hdc, COLORREF{CLR_INVALID}, [&](GdiTable& g, PaintDc& dc) -> COLORREF {
        if (!prepareRaster(g, dc)) return CLR_INVALID;
        POINT p = toDevice(dc, x, y);
        if (!inClip(dc.raster, p.x, p.y)) return CLR_INVALID;
        Pixel colour = resolveColour(g, dc, color);
        setPixel(dc.raster, p.x, p.y, colour, R2_COPYPEN);
        notePainted(g, dc);
        return colourOf(dc.raster.row(p.y)[p.x]);
    });
}

// CLR_INVALID outside what the context may paint (a window's hidden parts included).
WINPLAT_API COLORREF GetPixel(HDC hdc, int x, int y) {
    return withContext(hdc, COLORREF{CLR_INVALID}, [&](GdiTable& g, PaintDc& dc) -> COLORREF {
        if (!prepareRaster(g, dc)) return CLR_INVALID;
        POINT p = toDevice(dc, x, y);
        if (!inClip(dc.raster, p.x, p.y)) return CLR_INVALID;
        return colourOf(dc.raster.row(p.y)[p.x]);
    });
}

WINPLAT_API BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    if (usesSource(rop)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return blitFrom(hdc, x, y, w, h, nullptr, 0, 0, 0, 0, rop, false);
}

WINPLAT_API BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    return blitFrom(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop, false);
}

// Always nearest-neighbour (COLORONCOLOR), whatever SetStretchBltMode says.
WINPLAT_API BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                            int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
    return blitFrom(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop, true);
}
