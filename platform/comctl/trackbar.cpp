// "msctls_trackbar32": a range, position, page and line sizes, ticks, the channel and thumb
// rectangles it paints and hit-tests (TBM_GETCHANNELRECT, TBM_GETTHUMBRECT; the channel is
// tall for TBS_VERT), and WM_HSCROLL/WM_VSCROLL with TB_* codes sent after each move.
#include <algorithm>

#include "controls.h"
#include "driver.h"
#include "gdi_internal.h"

namespace winplat::detail {
namespace {

constexpr int kInset = 8;         // the channel's ends from the control's ends
constexpr int kChannelWidth = 4;  // across the channel
constexpr int kThumbLength = 11;  // along the channel
constexpr int kThumbWidth = 19;   // across it, at most

struct TrackbarState : ControlState {
    LONG min = 0, max = 100, pos = 0;
    LONG page = 20, line = 1;
    LONG ticFrequency = 1;
    bool focused = false;
    bool dragging = false;
    LONG dragOffset = 0;  // pointer to thumb start, along the channel
};

bool vertical(HWND hwnd) { return (GetWindowLongPtrA(hwnd, GWL_STYLE) & TBS_VERT) != 0; }

// Along/across coordinates as x/y for a horizontal trackbar, swapped for a vertical one.
RECT oriented(bool vert, int alongFrom, int acrossFrom, int alongTo, int acrossTo) {
    return vert ? RECT{acrossFrom, alongFrom, acrossTo, alongTo} : RECT{alongFrom, acrossFrom, alongTo, acrossTo};
}

struct Layout {
    RECT channel;
    RECT thumb;
    int from, to;  // thumb centre's travel along the channel
};

Layout layoutOf(HWND hwnd, const TrackbarState& s) {
    bool vert = vertical(hwnd);
    RECT c;
    GetClientRect(hwnd, &c);
    int along = vert ? c.bottom : c.right, across = vert ? c.right : c.bottom;
    int thumbWidth = std::clamp(across - 8, 6, kThumbWidth);
    int thumbTop = 4;
    int channelTop = thumbTop + (thumbWidth - kChannelWidth) / 2;
    Layout l{};
    l.channel = oriented(vert, kInset, channelTop, std::max(kInset, along - kInset), channelTop + kChannelWidth);
    l.from = kInset + kThumbLength / 2 - 1;
    l.to = std::max(l.from, along - kInset - kThumbLength / 2 - 1);
    LONG span = std::max<LONG>(1, s.max - s.min);
    int centre = l.from + static_cast<int>(static_cast<long long>(l.to - l.from) * (s.pos - s.min) / span);
    int start = centre - kThumbLength / 2 + 1;
    l.thumb = oriented(vert, start - 1, thumbTop, start - 1 + kThumbLength, thumbTop + thumbWidth);
    return l;
}

LONG clampPos(const TrackbarState& s, LONG pos) { return std::clamp(pos, s.min, std::max(s.min, s.max)); }

void notify(HWND hwnd, WORD code, LONG pos) {
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessageA(parent, vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)),
                     reinterpret_cast<LPARAM>(hwnd));
}

void moveTo(HWND hwnd, TrackbarState& s, LONG pos) {
    pos = clampPos(s, pos);
    if (pos == s.pos) return;
    s.pos = pos;
    InvalidateRect(hwnd, nullptr, TRUE);
}

void paint(HWND hwnd, TrackbarState& s) {
    ControlPaint p(hwnd, s.font, WM_CTLCOLORSTATIC);
    HDC dc = p.dc();
    if (!dc) return;
    bool vert = vertical(hwnd);
    Layout l = layoutOf(hwnd, s);
    UINT state = (vert ? WINPLAT_THEME_VERTICAL : 0) | (controlEnabled(hwnd) ? 0 : WINPLAT_THEME_DISABLED);
    LONG style = static_cast<LONG>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    if ((style & TBS_AUTOTICKS) && !(style & TBS_NOTICKS) && s.max > s.min) {
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
        HGDIOBJ old = SelectObject(dc, pen);
        int across = (vert ? l.thumb.right : l.thumb.bottom) + 2;
        LONG step = std::max<LONG>(1, s.ticFrequency);
        for (LONG v = s.min; v <= s.max; v += step) {
            int at = l.from + static_cast<int>(static_cast<long long>(l.to - l.from) * (v - s.min) / (s.max - s.min));
            POINT a = vert ? POINT{across, at} : POINT{at, across};
            MoveToEx(dc, a.x, a.y, nullptr);
            LineTo(dc, vert ? a.x + 3 : a.x, vert ? a.y : a.y + 3);
            if (s.max - v < step) break;
        }
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    drawThemeElement(dc, WINPLAT_THEME_TRACKCHANNEL, state, l.channel);
    drawThemeElement(dc, WINPLAT_THEME_TRACKTHUMB, state | (s.dragging ? WINPLAT_THEME_PRESSED : 0), l.thumb);
    if (s.focused) DrawFocusRect(dc, &p.client());
}

// The position under a point along the channel.
LONG positionAt(HWND hwnd, const TrackbarState& s, int along) {
    Layout l = layoutOf(hwnd, s);
    if (l.to <= l.from) return s.min;
    long long span = s.max - s.min;
    long long offset = std::clamp(along - l.from, 0, l.to - l.from);
    return s.min + static_cast<LONG>((offset * span + (l.to - l.from) / 2) / (l.to - l.from));
}

LRESULT keyDown(HWND hwnd, TrackbarState& s, WPARAM key) {
    WORD code;
    LONG pos = s.pos;
    switch (key) {
        case VK_LEFT: case VK_UP: code = TB_LINEUP, pos -= s.line; break;
        case VK_RIGHT: case VK_DOWN: code = TB_LINEDOWN, pos += s.line; break;
        case VK_PRIOR: code = TB_PAGEUP, pos -= s.page; break;
        case VK_NEXT: code = TB_PAGEDOWN, pos += s.page; break;
        case VK_HOME: code = TB_TOP, pos = s.min; break;
        case VK_END: code = TB_BOTTOM, pos = s.max; break;
        default: return 0;
    }
    moveTo(hwnd, s, pos);
    notify(hwnd, code, s.pos);
    return 0;
}

LRESULT handle(HWND hwnd, TrackbarState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    bool vert = vertical(hwnd);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    int along = vert ? p.y : p.x;
    switch (message) {
        case WM_PAINT: paint(hwnd, s); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETDLGCODE: return DLGC_WANTARROWS;
        case WM_SETFOCUS: s.focused = true; InvalidateRect(hwnd, nullptr, TRUE); return 0;
        case WM_KILLFOCUS: s.focused = false; InvalidateRect(hwnd, nullptr, TRUE); return 0;
        case WM_KEYDOWN: return keyDown(hwnd, s, wParam);
        case WM_KEYUP:
            if (wParam == VK_LEFT || wParam == VK_UP || wParam == VK_RIGHT || wParam == VK_DOWN || wParam == VK_PRIOR ||
                wParam == VK_NEXT || wParam == VK_HOME || wParam == VK_END)
                notify(hwnd, TB_ENDTRACK, s.pos);
            return 0;
        case WM_LBUTTONDOWN: {
            SetFocus(hwnd);
            Layout l = layoutOf(hwnd, s);
            SetCapture(hwnd);
            if (PtInRect(&l.thumb, p)) {
                s.dragging = true;
                s.dragOffset = along - (vert ? l.thumb.top : l.thumb.left);
                InvalidateRect(hwnd, nullptr, TRUE);
                return 0;
            }
            // A click beside the thumb pages towards the click.
            int thumbStart = vert ? l.thumb.top : l.thumb.left;
            bool up = along < thumbStart;
            moveTo(hwnd, s, s.pos + (up ? -s.page : s.page));
            notify(hwnd, up ? TB_PAGEUP : TB_PAGEDOWN, s.pos);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (s.dragging) {
                LONG pos = positionAt(hwnd, s, along - s.dragOffset + kThumbLength / 2);
                moveTo(hwnd, s, pos);
                notify(hwnd, TB_THUMBTRACK, s.pos);
            }
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() != hwnd) return 0;
            if (s.dragging) {
                s.dragging = false;
                InvalidateRect(hwnd, nullptr, TRUE);
                notify(hwnd, TB_THUMBPOSITION, s.pos);
            }
            ReleaseCapture();
            notify(hwnd, TB_ENDTRACK, s.pos);
            return 0;
        case WM_CAPTURECHANGED: s.dragging = false; return 0;
        case TBM_GETPOS: return s.pos;
        case TBM_SETPOS:
            if (wParam) moveTo(hwnd, s, static_cast<LONG>(lParam));
            else s.pos = clampPos(s, static_cast<LONG>(lParam));
            return 0;
        case TBM_GETRANGEMIN: return s.min;
        case TBM_GETRANGEMAX: return s.max;
        case TBM_SETRANGE:
        case TBM_SETRANGEMIN:
        case TBM_SETRANGEMAX:
            if (message == TBM_SETRANGE) s.min = static_cast<SHORT>(LOWORD(lParam)), s.max = static_cast<SHORT>(HIWORD(lParam));
            else if (message == TBM_SETRANGEMIN) s.min = static_cast<LONG>(lParam);
            else s.max = static_cast<LONG>(lParam);
            s.page = std::max<LONG>(1, (s.max - s.min) / 5);
            s.pos = clampPos(s, s.pos);
            if (wParam) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case TBM_SETPAGESIZE: return std::exchange(s.page, static_cast<LONG>(lParam));
        case TBM_GETPAGESIZE: return s.page;
        case TBM_SETLINESIZE: return std::exchange(s.line, static_cast<LONG>(lParam));
        case TBM_GETLINESIZE: return s.line;
        case TBM_SETTICFREQ:
            s.ticFrequency = std::max<LONG>(1, static_cast<LONG>(wParam));
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case TBM_GETCHANNELRECT:
        case TBM_GETTHUMBRECT:
            if (!lParam) return 0;
            *reinterpret_cast<RECT*>(lParam) = message == TBM_GETCHANNELRECT ? layoutOf(hwnd, s).channel : layoutOf(hwnd, s).thumb;
            return 0;
        default: return controlDefault(hwnd, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK trackbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return runControl<TrackbarState>(hwnd, message, wParam, lParam, handle);
}

}  // namespace winplat::detail
