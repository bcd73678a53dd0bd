// The non-client area: frame and caption sizes of each style, the client area inside a window
// rectangle, and hit-testing. The same sizes are the system metrics.
#include "wintable.h"

namespace winplat::detail {

namespace {

constexpr int kCaption = 19;      // SM_CYCAPTION
constexpr int kDialogFrame = 3;   // SM_CXDLGFRAME
constexpr int kSizingFrame = 4;   // SM_CXFRAME
constexpr int kBorder = 1;        // SM_CXBORDER
constexpr int kClientEdge = 2;    // SM_CXEDGE

bool hasCaption(LONG style) { return (style & WS_CAPTION) == WS_CAPTION; }

}  // namespace

int frameThickness(LONG style, LONG exStyle) {
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = kSizingFrame;
    // DS_MODALFRAME shares its bit with control styles (ES_AUTOHSCROLL, BS_BITMAP): it counts
    // for top-level windows only.
    else if ((style & WS_DLGFRAME) || (!(style & WS_CHILD) && (style & DS_MODALFRAME)) ||
             (exStyle & WS_EX_DLGMODALFRAME))
        frame = kDialogFrame;
    else if (style & WS_BORDER)
        frame = kBorder;
    if (exStyle & WS_EX_CLIENTEDGE) frame += kClientEdge;
    return frame;
}

int captionHeight(LONG style) { return hasCaption(style) ? kCaption : 0; }

RECT clientInside(const RECT& r, LONG style, LONG exStyle) {
    int frame = frameThickness(style, exStyle);
    RECT c{r.left + frame, r.top + frame + captionHeight(style), r.right - frame, r.bottom - frame};
    if (c.right < c.left) c.right = c.left;
    if (c.bottom < c.top) c.bottom = c.top;
    return c;
}

// Where a desktop point falls on a window whose rectangle is `r` (desktop coordinates).
LRESULT hitTest(const RECT& r, LONG style, LONG exStyle, POINT p) {
    if (!PtInRect(&r, p)) return HTNOWHERE;
    RECT client = clientInside(r, style, exStyle);
    if (PtInRect(&client, p)) return HTCLIENT;
    int frame = frameThickness(style, exStyle);
    if ((style & WS_THICKFRAME) && frame > 0) {
        bool left = p.x < r.left + frame, right = p.x >= r.right - frame;
        bool top = p.y < r.top + frame, bottom = p.y >= r.bottom - frame;
        if (top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
        if (bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
        if (left) return HTLEFT;
        if (right) return HTRIGHT;
    }
    if (hasCaption(style) && p.y >= r.top + frame && p.y < r.top + frame + kCaption) {
        // The close box: a square button at the caption's right end.
        if ((style & WS_SYSMENU) && p.x >= r.right - frame - kCaption) return HTCLOSE;
        return HTCAPTION;
    }
    return HTBORDER;
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API BOOL AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL, DWORD dwExStyle) {
    if (!lpRect) return FALSE;
    auto style = static_cast<LONG>(dwStyle), ex = static_cast<LONG>(dwExStyle);
    int frame = frameThickness(style, ex);
    *lpRect = {lpRect->left - frame, lpRect->top - frame - captionHeight(style),
               lpRect->right + frame, lpRect->bottom + frame};
    return TRUE;
}

WINPLAT_API BOOL AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu) {
    return AdjustWindowRectEx(lpRect, dwStyle, bMenu, 0);
}
