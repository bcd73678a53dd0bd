// Text: the Liberation faces through the driver, each character placed at the advance the
// font's metrics give, so measuring and drawing always agree. DrawTextA breaks lines itself.
// TRANSPARENT touches only glyph pixels; OPAQUE first fills the text's cells.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "detail.h"
#include "gdi_state.h"

namespace winplat::detail {
namespace {

FontObject* fontOf(GdiTable& g, PaintDc& dc) {
    GdiObject* o = findObject(g, dc.state.font);
    if (!o || o->type != OBJ_FONT) return nullptr;
    auto& font = std::get<FontObject>(o->data);
    return fontReady(font) ? &font : nullptr;
}

// Runs `body(g, dc, font)` on a context whose font can measure; `onFailure` with
// ERROR_NOT_SUPPORTED without one (no driver).
template <typename R, typename Body>
R withFont(HDC hdc, R onFailure, Body&& body) {
    return withContext(hdc, onFailure, [&](GdiTable& g, PaintDc& dc) -> R {
        FontObject* font = fontOf(g, dc);
        if (!font) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return onFailure;
        }
        return body(g, dc, *font);
    });
}

LONG advance(const FontObject& font, unsigned char c) { return font.metrics.widths[c]; }

LONG widthOf(const FontObject& font, const char* text, size_t length) {
    LONG total = 0;
    for (size_t i = 0; i < length; ++i) total += advance(font, static_cast<unsigned char>(text[i]));
    return total;
}

// Draws one run of text with its left edge at `left` and its baseline at `baseline` (surface
// coordinates), each character `dx[i]` after the one before (the font's advances when null),
// inside `limit` when given. Returns the run's width.
LONG paintRun(GdiTable& g, PaintDc& dc, FontObject& font, LONG left, LONG baseline, const char* text,
              size_t length, const INT* dx, const RECT* limit, bool opaque) {
    std::vector<int> xs(length);
    LONG x = left;
    for (size_t i = 0; i < length; ++i) {
        xs[i] = static_cast<int>(x);
        x += dx ? static_cast<LONG>(std::lround(scaleLength(dc, dx[i]))) : advance(font, static_cast<unsigned char>(text[i]));
    }
    LONG width = x - left;
    Raster& r = dc.raster;
    RectSet saved;
    if (limit) {
        saved = r.clip;
        clipTo(r.clip, *limit);
    }
    if (opaque) {
        RECT cells{left, baseline - font.metrics.ascent, left + width, baseline + font.metrics.descent};
        fillRect(r, cells, resolveColour(g, dc, dc.state.bkColour), R2_COPYPEN);
    }
    Pixel colour = resolveColour(g, dc, dc.state.textColour);
    if (r.mono) colour = monoPixel(colour);
    const WinplatDriverFunctions* driver = loadedGuiDriver();
    if (driver && length > 0 && !r.clip.empty()) {
        driver->drawText(surfaceOf(g, dc), r.clip.data(), static_cast<int>(r.clip.size()), font.font, text,
                         static_cast<int>(length), xs.data(), static_cast<int>(baseline), colour);
        RECT box{left, baseline - font.metrics.ascent, left + width + font.metrics.maxWidth,
                 baseline + font.metrics.descent};
        RectSet touched = r.clip;
        clipTo(touched, box);
        if (!touched.empty()) {
            RECT bound = boundingBox(touched);
            r.changed = emptyRect(r.changed) ? bound : boundingBox(RectSet{r.changed, bound});
        }
    }
    if (limit) r.clip.swap(saved);
    return width;
}

// Where a run starts, from the reference point and the context's alignment.
void alignRun(const PaintDc& dc, const FontObject& font, LONG width, LONG& x, LONG& y) {
    UINT align = dc.state.textAlign;
    if ((align & TA_CENTER) == TA_CENTER) x -= width / 2;
    else if (align & TA_RIGHT) x -= width;
    if ((align & TA_BASELINE) == TA_BASELINE) return;
    if (align & TA_BOTTOM) y -= font.metrics.descent;
    else y += font.metrics.ascent;
}

BOOL textOut(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* dx) {
    return withContext(hdc, BOOL{FALSE}, [&](GdiTable& g, PaintDc& dc) -> BOOL {
        if (!prepareRaster(g, dc)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        FontObject* font = fontOf(g, dc);
        if (!font) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        bool updateCp = dc.state.textAlign & TA_UPDATECP;
        POINT p = toDevice(dc, updateCp ? dc.state.position.x : x, updateCp ? dc.state.position.y : y);
        RECT deviceRect{};
        if (rect) {
            POINT a = toDevice(dc, rect->left, rect->top), b = toDevice(dc, rect->right, rect->bottom);
            deviceRect = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
            if (options & ETO_OPAQUE)
                fillRect(dc.raster, deviceRect, resolveColour(g, dc, dc.state.bkColour), R2_COPYPEN);
        }
        LONG width = 0;
        for (UINT i = 0; i < length; ++i)
            width += dx ? static_cast<LONG>(std::lround(scaleLength(dc, dx[i]))) : advance(*font, static_cast<unsigned char>(text[i]));
        LONG left = p.x, baseline = p.y;
        alignRun(dc, *font, width, left, baseline);
        bool opaque = dc.state.bkMode == OPAQUE && !(options & ETO_OPAQUE);
        paintRun(g, dc, *font, left, baseline, text, length, dx, (rect && (options & ETO_CLIPPED)) ? &deviceRect : nullptr,
                 opaque);
        if (updateCp) dc.state.position.x += static_cast<LONG>(std::lround(width / std::max(scaleLength(dc, 1), 1e-9)));
        notePainted(g, dc);
        return TRUE;
    });
}

// The text DrawTextA shows: '&' marks the next character as the mnemonic ("&&" is one '&').
std::string withoutPrefixes(const char* text, size_t length, size_t& mnemonic) {
    std::string out;
    mnemonic = std::string::npos;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '&' && i + 1 < length) {
            ++i;
            if (text[i] != '&' && mnemonic == std::string::npos) mnemonic = out.size();
        }
        out += text[i];
    }
    return out;
}

struct Line {
    size_t start;
    size_t length;
    LONG width;
};

// Splits at line ends (unless single-line) and, with DT_WORDBREAK, between words so that each
// line fits `width`; a word wider than the line stands alone.
std::vector<Line> breakLines(const FontObject& font, const std::string& text, UINT format, LONG width) {
    std::vector<Line> lines;
    auto emit = [&](size_t start, size_t end) {
        while (end > start && text[end - 1] == ' ' && (format & DT_WORDBREAK)) --end;
        lines.push_back({start, end - start, widthOf(font, text.data() + start, end - start)});
    };
    size_t paragraph = 0;
    while (paragraph <= text.size()) {
        size_t end = text.size();
        if (!(format & DT_SINGLELINE)) {
            size_t nl = text.find_first_of("\r\n", paragraph);
            if (nl != std::string::npos) end = nl;
        }
        if (!(format & DT_WORDBREAK)) {
            emit(paragraph, end);
        } else {
            size_t lineStart = paragraph, lastBreak = std::string::npos;
            LONG lineWidth = 0;
            for (size_t i = paragraph; i < end; ++i) {
                if (text[i] == ' ') lastBreak = i;
                lineWidth += advance(font, static_cast<unsigned char>(text[i]));
                if (lineWidth > width && text[i] != ' ' && lastBreak != std::string::npos && lastBreak >= lineStart) {
                    emit(lineStart, lastBreak);
                    lineStart = lastBreak + 1;
                    while (lineStart < end && text[lineStart] == ' ') ++lineStart;
                    lastBreak = std::string::npos;
                    lineWidth = widthOf(font, text.data() + lineStart, i + 1 - lineStart);
                }
            }
            emit(lineStart, end);
        }
        if (end >= text.size()) break;
        paragraph = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
        if (paragraph == text.size()) break;
    }
    return lines;
}

}  // namespace

WinplatSurface* surfaceOf(GdiTable& g, const PaintDc& dc) {
    if (!dc.memory) return dc.windowSurface;
    GdiObject* o = findObject(g, dc.state.bitmap);
    return o && o->type == OBJ_BITMAP ? std::get<BitmapObject>(o->data).surface : nullptr;
}
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    if (!lpString || c < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return textOut(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}

WINPLAT_API BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString,
                             UINT c, const INT* lpDx) {
    if (!lpString && c > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return textOut(hdc, x, y, options, lprect, lpString ? lpString : "", c, lpDx);
}

WINPLAT_API BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    if (!psizl || (!lpString && c > 0) || c < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return withFont(hdc, BOOL{FALSE}, [&](GdiTable&, PaintDc&, FontObject& font) -> BOOL {
        psizl->cx = widthOf(font, lpString, static_cast<size_t>(c));
        psizl->cy = font.metrics.ascent + font.metrics.descent;
        return TRUE;
    });
}

WINPLAT_API BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
    if (!lptm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return withFont(hdc, BOOL{FALSE}, [&](GdiTable&, PaintDc&, FontObject& font) -> BOOL {
        const WinplatFontMetrics& m = font.metrics;
        *lptm = {};
        lptm->tmAscent = m.ascent;
        lptm->tmDescent = m.descent;
        lptm->tmHeight = m.ascent + m.descent;
        lptm->tmInternalLeading = m.internalLeading;
        lptm->tmExternalLeading = m.externalLeading;
        lptm->tmAveCharWidth = m.averageWidth;
        lptm->tmMaxCharWidth = m.maxWidth;
        lptm->tmWeight = font.log.lfWeight >= FW_SEMIBOLD ? FW_BOLD : FW_NORMAL;
        lptm->tmDigitizedAspectX = lptm->tmDigitizedAspectY = 96;
        lptm->tmFirstChar = 0x20;
        lptm->tmLastChar = 0xFF;
        lptm->tmDefaultChar = 0x1F;
        lptm->tmBreakChar = 0x20;
        lptm->tmItalic = font.log.lfItalic;
        lptm->tmUnderlined = font.log.lfUnderline;
        lptm->tmStruckOut = font.log.lfStrikeOut;
        // Variable pitch says "not fixed" with the low bit set, as Win32 has it backwards.
        lptm->tmPitchAndFamily = static_cast<BYTE>((font.log.lfPitchAndFamily & 3) == FIXED_PITCH ? FF_MODERN : (FF_SWISS | 1));
        lptm->tmCharSet = ANSI_CHARSET;
        return TRUE;
    });
}

WINPLAT_API int GetTextFaceA(HDC hdc, int c, LPSTR lpName) {
    return withContext(hdc, 0, [&](GdiTable& g, PaintDc& dc) -> int {
        GdiObject* o = findObject(g, dc.state.font);
        if (!o) return 0;
        const char* face = std::get<FontObject>(o->data).log.lfFaceName;
        if (!lpName) return static_cast<int>(std::strlen(face)) + 1;
        if (c <= 0) return 0;
        return static_cast<int>(copyBounded(lpName, static_cast<size_t>(c), face)) + 1;
    });
}

// Returns the height of the text (with DT_VCENTER or DT_BOTTOM, from the rectangle's top to the
// text's bottom); DT_CALCRECT only measures, widening or narrowing the rectangle to the text.
WINPLAT_API int DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    if (!lpchText || !lprc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = cchText < 0 ? std::strlen(lpchText) : static_cast<size_t>(cchText);
    return withFont(hdc, 0, [&](GdiTable& g, PaintDc& dc, FontObject& font) -> int {
        size_t mnemonic = std::string::npos;
        std::string text = (format & DT_NOPREFIX) ? std::string(lpchText, length)
                                                  : withoutPrefixes(lpchText, length, mnemonic);
        LONG lineHeight = font.metrics.ascent + font.metrics.descent;
        std::vector<Line> lines = breakLines(font, text, format, lprc->right - lprc->left);
        LONG height = lineHeight * static_cast<LONG>(lines.size());
        LONG top = lprc->top;
        if (format & DT_SINGLELINE) {
            if (format & DT_VCENTER) top = lprc->top + (lprc->bottom - lprc->top - lineHeight) / 2;
            else if (format & DT_BOTTOM) top = lprc->bottom - lineHeight;
        }
        if (format & DT_CALCRECT) {
            LONG widest = 0;
            for (const Line& l : lines) widest = std::max(widest, l.width);
            lprc->right = lprc->left + widest;
            lprc->bottom = lprc->top + height;
            return static_cast<int>(height);
        }
        if (!prepareRaster(g, dc)) return static_cast<int>(height);
        POINT a = toDevice(dc, lprc->left, lprc->top), b = toDevice(dc, lprc->right, lprc->bottom);
        RECT limit{a.x, a.y, b.x, b.y};
        for (size_t i = 0; i < lines.size(); ++i) {
            const Line& l = lines[i];
            LONG x = lprc->left;
            if (format & DT_CENTER) x = lprc->left + (lprc->right - lprc->left - l.width) / 2;
            else if (format & DT_RIGHT) x = lprc->right - l.width;
            POINT p = toDevice(dc, x, top + lineHeight * static_cast<LONG>(i));
            LONG baseline = p.y + font.metrics.ascent;
            paintRun(g, dc, font, p.x, baseline, text.data() + l.start, l.length, nullptr,
                     (format & DT_NOCLIP) ? nullptr : &limit, dc.state.bkMode == OPAQUE);
            if (mnemonic >= l.start && mnemonic < l.start + l.length) {
                LONG ux = p.x + widthOf(font, text.data() + l.start, mnemonic - l.start);
                RECT underline{ux, baseline + 1, ux + advance(font, static_cast<unsigned char>(text[mnemonic])), baseline + 2};
                if (!(format & DT_NOCLIP)) underline = intersection(underline, limit);
                Pixel colour = resolveColour(g, dc, dc.state.textColour);
                fillRect(dc.raster, underline, dc.raster.mono ? monoPixel(colour) : colour, R2_COPYPEN);
            }
        }
        notePainted(g, dc);
        return static_cast<int>((format & (DT_VCENTER | DT_BOTTOM)) && (format & DT_SINGLELINE) ? top - lprc->top + height : height);
    });
}
