// The non-client area: frame and caption sizes of each style, the client area inside a window
// rectangle, and hit-testing. The same sizes are the system metrics.
#include <algorithm>
#include <mutex>

#include "wintable.h"

namespace winplat::detail {

namespace {

constexpr int kCaption = 19;      // SM_CYCAPTION
constexpr int kDialogFrame = 3;   // SM_CXDLGFRAME
constexpr int kSizingFrame = 4;   // SM_CXFRAME
constexpr int kBorder = 1;        // SM_CXBORDER
constexpr int kClientEdge = 2;    // SM_CXEDGE

bool hasCaption(LONG style) { return (style & WS_CAPTION) == WS_CAPTION; }

// The frame a window manager draws around decorated windows (x11), once one has told it:
// the border (left, right and bottom) and the caption above the border.
struct WindowManagerFrame {
    std::mutex mutex;
    bool known = false;
    int border = 0;
    int caption = 0;
};

WindowManagerFrame& managerFrame() {
    static WindowManagerFrame frame;
    return frame;
}

// Whether the window manager decorates windows of this style: top-level with a caption or a
// sizing frame.
bool managerDecorates(LONG style) {
    return !(style & WS_CHILD) && (hasCaption(style) || (style & WS_THICKFRAME));
}

// The window manager's sizes, when one has reported them (the arguments stay as they are
// otherwise).
bool managerSizes(int& border, int& caption) {
    WindowManagerFrame& f = managerFrame();
    std::lock_guard lock(f.mutex);
    if (f.known) border = f.border, caption = f.caption;
    return f.known;
}

}  // namespace

bool noteManagerFrame(const RECT& margins) {
    if (margins.left <= 0 && margins.top <= 0 && margins.right <= 0 && margins.bottom <= 0) return false;
    WindowManagerFrame& f = managerFrame();
    std::lock_guard lock(f.mutex);
    int border = static_cast<int>(margins.left), caption = static_cast<int>(std::max<LONG>(0, margins.top - margins.left));
    bool changed = !f.known || f.border != border || f.caption != caption;
    f.known = true, f.border = border, f.caption = caption;
    return changed;
}

void resetManagerFrame() {
    WindowManagerFrame& f = managerFrame();
    std::lock_guard lock(f.mutex);
    f.known = false, f.border = f.caption = 0;
}

int managerMetric(int index, int ours) {
    int border = 0, caption = 0;
    if (!managerSizes(border, caption)) return ours;
    switch (index) {
        case SM_CYCAPTION: return caption;
        case SM_CXDLGFRAME: case SM_CYDLGFRAME: case SM_CXFRAME: case SM_CYFRAME: return border;
        default: return ours;
    }
}

int frameThickness(LONG style, LONG exStyle) {
    int border = 0, caption = 0;
    if (managerDecorates(style) && managerSizes(border, caption))
        return border + ((exStyle & WS_EX_CLIENTEDGE) ? kClientEdge : 0);
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

int captionHeight(LONG style) {
    int border = 0, caption = kCaption;
    if (hasCaption(style) && managerDecorates(style)) managerSizes(border, caption);
    return hasCaption(style) ? caption : 0;
}

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
