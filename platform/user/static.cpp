// The Static class: text (left, centred, right, word-wrapped), bitmaps (a "#n" title loads the
// bitmap of the dialog's module), frames and rectangles; STN_CLICKED only with SS_NOTIFY, and
// without it the static lets the mouse through to what lies below.
#include <string>

#include "controls.h"

namespace winplat::detail {
namespace {

struct StaticState : ControlState {
    HANDLE image = nullptr;
    bool ownsImage = false;
};

UINT typeOf(HWND hwnd) { return static_cast<UINT>(GetWindowLongPtrA(hwnd, GWL_STYLE)) & SS_TYPEMASK; }

void setImage(StaticState& s, HANDLE image, bool owned) {
    if (s.ownsImage && s.image) DeleteObject(s.image);
    s.image = image;
    s.ownsImage = owned;
}

void paintFrame(HDC dc, RECT r, UINT type) {
    switch (type) {
        case SS_BLACKRECT: FillRect(dc, &r, GetSysColorBrush(COLOR_3DDKSHADOW)); break;
        case SS_GRAYRECT: FillRect(dc, &r, GetSysColorBrush(COLOR_3DSHADOW)); break;
        case SS_WHITERECT: FillRect(dc, &r, GetSysColorBrush(COLOR_3DHIGHLIGHT)); break;
        case SS_BLACKFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_3DDKSHADOW)); break;
        case SS_GRAYFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_3DSHADOW)); break;
        case SS_WHITEFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_3DHIGHLIGHT)); break;
        case SS_ETCHEDHORZ: r.bottom = r.top + 2; DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP | BF_BOTTOM); break;
        case SS_ETCHEDVERT: r.right = r.left + 2; DrawEdge(dc, &r, EDGE_ETCHED, BF_LEFT | BF_RIGHT); break;
        case SS_ETCHEDFRAME: DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT); break;
        default: break;
    }
}

void paintBitmap(HDC dc, const RECT& r, HBITMAP bitmap, bool centre) {
    BITMAP bm{};
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    int x = centre ? (r.right - r.left - bm.bmWidth) / 2 : 0, y = centre ? (r.bottom - r.top - bm.bmHeight) / 2 : 0;
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void paint(HWND hwnd, StaticState& s) {
    UINT type = typeOf(hwnd);
    LONG style = static_cast<LONG>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    bool frame = type >= SS_BLACKRECT && type <= SS_WHITEFRAME && type != 0x0A;
    bool etched = type >= SS_ETCHEDHORZ && type <= SS_ETCHEDFRAME;
    ControlPaint p(hwnd, s.font, WM_CTLCOLORSTATIC, !(frame && type <= SS_WHITERECT));
    HDC dc = p.dc();
    if (!dc) return;
    RECT r = p.client();
    if (frame || etched) {
        paintFrame(dc, r, type);
        return;
    }
    if (type == SS_BITMAP) {
        paintBitmap(dc, r, static_cast<HBITMAP>(s.image), (style & SS_CENTERIMAGE) != 0);
        return;
    }
    if (type == SS_ICON) {
        if (s.image) DrawIconEx(dc, 0, 0, static_cast<HICON>(s.image), 0, 0, 0, nullptr, DI_NORMAL);
        return;
    }
    if (type == SS_OWNERDRAW) return;
    char text[1024];
    GetWindowTextA(hwnd, text, sizeof text);
    UINT format = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    if (type == SS_CENTER) format |= DT_CENTER | DT_WORDBREAK;
    else if (type == SS_RIGHT) format |= DT_RIGHT | DT_WORDBREAK;
    else if (type == SS_LEFT) format |= DT_WORDBREAK;
    else format |= DT_SINGLELINE;
    if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    if (!controlEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(dc, text, -1, &r, format);
}

// A bitmap or icon static's title names its image: "#139" or a name, in the window's module.
void loadTitleImage(HWND hwnd, StaticState& s, const CREATESTRUCTA* cs) {
    UINT type = cs->style & SS_TYPEMASK;
    if ((type != SS_BITMAP && type != SS_ICON) || !cs->lpszName || !*cs->lpszName) return;
    if (type == SS_BITMAP) setImage(s, LoadBitmapA(cs->hInstance, cs->lpszName), true);
    else setImage(s, LoadIconA(cs->hInstance, cs->lpszName), false);
    if (s.image && !(cs->style & (SS_CENTERIMAGE | SS_REALSIZEIMAGE))) {
        BITMAP bm{};
        if (type == SS_BITMAP && GetObjectA(s.image, sizeof bm, &bm))
            SetWindowPos(hwnd, nullptr, 0, 0, bm.bmWidth, bm.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT handle(HWND hwnd, StaticState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: loadTitleImage(hwnd, s, reinterpret_cast<const CREATESTRUCTA*>(lParam)); return 0;
        case WM_NCDESTROY: setImage(s, nullptr, false); return DefWindowProcA(hwnd, message, wParam, lParam);
        case WM_PAINT: paint(hwnd, s); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETDLGCODE: return DLGC_STATIC;
        case WM_NCHITTEST:
            if (!(GetWindowLongPtrA(hwnd, GWL_STYLE) & SS_NOTIFY)) return HTTRANSPARENT;
            return HTCLIENT;
        case WM_LBUTTONDOWN:
            if (GetWindowLongPtrA(hwnd, GWL_STYLE) & SS_NOTIFY) notifyParent(hwnd, STN_CLICKED);
            return 0;
        case WM_LBUTTONDBLCLK:
            if (GetWindowLongPtrA(hwnd, GWL_STYLE) & SS_NOTIFY) notifyParent(hwnd, STN_DBLCLK);
            return 0;
        case STM_GETIMAGE:
        case STM_GETICON: return reinterpret_cast<LRESULT>(s.image);
        case STM_SETIMAGE:
        case STM_SETICON: {
            HANDLE old = s.image;
            s.image = reinterpret_cast<HANDLE>(message == STM_SETICON ? wParam : static_cast<WPARAM>(lParam));
            s.ownsImage = false;  // the caller's: it keeps and frees it
            InvalidateRect(hwnd, nullptr, TRUE);
            return reinterpret_cast<LRESULT>(old);
        }
        default: return controlDefault(hwnd, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return runControl<StaticState>(hwnd, message, wParam, lParam, handle);
}

}  // namespace winplat::detail
