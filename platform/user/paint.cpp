// Update regions and WM_PAINT: rectangle sets in client coordinates, changed by InvalidateRect,
// ValidateRect, UpdateWindow and RedrawWindow; they include the children unless the window
// clips them. Only windows over a driver's surface are ever invalid. BeginPaint erases if
// needed, validates, and clips its context to the update region; EndPaint shows the result.
#include <algorithm>
#include <functional>

#include "detail.h"
#include "gdi_internal.h"
#include "queue.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

// Adds `rect` (client coordinates of `w`, null: all) to the window's update region and,
// when asked, to its children's.
void invalidateLocked(WindowTable& t, Window& w, const RECT* rect, bool erase, bool frame, bool children,
                      std::vector<DWORD>& wake) {
    RECT client{0, 0, w.client.right - w.client.left, w.client.bottom - w.client.top};
    RECT area = rect ? intersection(*rect, client) : client;
    if (!emptyRect(area)) {
        addRect(w.update, area);
        if (erase) w.eraseNeeded = true;
        wake.push_back(w.thread);
    }
    if (frame) {
        w.ncPaintNeeded = true;
        wake.push_back(w.thread);
    }
    if (!children) return;
    for (HWND c : w.children) {
        auto child = findWindow(t, c);
        if (!child || !child->visible()) continue;
        // The child's client corner in this window's client coordinates.
        LONG dx = child->rect.left + child->client.left, dy = child->rect.top + child->client.top;
        RECT inChild = {area.left - dx, area.top - dy, area.right - dx, area.bottom - dy};
        RECT childFrame = {child->rect.left, child->rect.top, child->rect.right, child->rect.bottom};
        bool touchesFrame = !emptyRect(intersection(area, childFrame));
        if (emptyRect(area) || !touchesFrame) continue;
        invalidateLocked(t, *child, &inChild, erase, frame && touchesFrame, true, wake);
    }
}

bool hasSurface(WindowTable& t, const std::shared_ptr<Window>& w) {
    auto top = topLevelOf(t, w);
    return top && top->driverWindow;
}

void validateLocked(WindowTable& t, Window& w, const RECT* rect, bool children) {
    if (rect) subtractRect(w.update, *rect);
    else w.update.clear();
    if (w.update.empty()) w.eraseNeeded = false;
    if (!children) return;
    for (HWND c : w.children) {
        auto child = findWindow(t, c);
        if (!child) continue;
        if (!rect) {
            validateLocked(t, *child, nullptr, true);
            continue;
        }
        LONG dx = child->rect.left + child->client.left, dy = child->rect.top + child->client.top;
        RECT inChild = {rect->left - dx, rect->top - dy, rect->right - dx, rect->bottom - dy};
        validateLocked(t, *child, &inChild, true);
    }
}

bool needsPaint(const Window& w) { return !w.update.empty() || w.ncPaintNeeded; }

// The windows of `hwnd`'s tree that need painting, parents first.
void paintOrder(WindowTable& t, HWND hwnd, std::vector<HWND>& out) {
    auto w = findWindow(t, hwnd);
    if (!w || !w->visible()) return;
    if (needsPaint(*w)) out.push_back(hwnd);
    for (HWND c : w->children) paintOrder(t, c, out);
}

}  // namespace

void invalidateWindow(HWND hwnd, const RECT* rect, bool erase, bool frame, bool children) {
    std::vector<DWORD> wake;
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        auto w = findWindow(t, hwnd);
        if (!w || !hasSurface(t, w) || !reallyVisible(t, *w)) return;
        invalidateLocked(t, *w, rect, erase, frame, children, wake);
    }
    std::sort(wake.begin(), wake.end());
    wake.erase(std::unique(wake.begin(), wake.end()), wake.end());
    for (DWORD thread : wake) wakeThread(thread);
}

bool nextPaintMessage(DWORD thread, const MessageFilter& filter, MSG& msg) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    for (HWND top : t.topLevels) {
        std::vector<HWND> order;
        paintOrder(t, top, order);
        for (HWND h : order) {
            auto w = findWindow(t, h);
            if (w->thread != thread || !filter.takesWindow(h)) continue;
            msg = {h, WM_PAINT, 0, 0, GetTickCount(), lastPointerPosition()};
            return true;
        }
    }
    return false;
}

void paintNonClient(HWND hwnd) {
    LONG style = 0, exStyle = 0;
    bool active = false;
    std::string title;
    RECT rect{};
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        auto w = findWindow(t, hwnd);
        if (!w) return;
        w->ncPaintNeeded = false;
        auto top = topLevelOf(t, w);
        if (!top || top->surfaceIsClient) return;  // the window manager draws it
        style = w->style;
        exStyle = w->exStyle;
        title = w->text;
        rect = screenRectOf(t, *w);
        active = t.active == hwnd;
    }
    int frame = frameThickness(style, exStyle);
    int caption = captionHeight(style);
    if (frame == 0 && caption == 0) return;
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    RECT r{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    if (style & WS_THICKFRAME || style & WS_DLGFRAME || (!(style & WS_CHILD) && (style & DS_MODALFRAME)) ||
        (exStyle & WS_EX_DLGMODALFRAME)) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        int rest = frame - 2 - ((exStyle & WS_EX_CLIENTEDGE) ? 2 : 0);
        for (int i = 0; i < rest; ++i) {
            FrameRect(dc, &r, GetSysColorBrush(COLOR_3DFACE));
            InflateRect(&r, -1, -1);
        }
    } else if (style & WS_BORDER) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if (caption) {
        RECT bar{r.left, r.top, r.right, r.top + caption};
        FillRect(dc, &bar, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        HFONT bold = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif");
        HGDIOBJ old = SelectObject(dc, bold);
        RECT text{bar.left + 4, bar.top, bar.right - (style & WS_SYSMENU ? caption : 0), bar.bottom};
        DrawTextA(dc, title.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(dc, old);
        DeleteObject(bold);
        if (style & WS_SYSMENU) {
            RECT box{bar.right - caption + 2, bar.top + 2, bar.right - 2, bar.bottom - 2};
            FillRect(dc, &box, GetSysColorBrush(COLOR_3DFACE));
            DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            DrawTextA(dc, "x", 1, &box, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
        }
    }
    ReleaseDC(hwnd, dc);
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    return guardedCall(HDC{}, [&]() -> HDC {
        if (!lpPaint) {
            SetLastError(ERROR_NOACCESS);
            return nullptr;
        }
        RectSet update;
        bool erase = false, ncPaint = false;
        bool found = withWindow(hWnd, false, [&](WindowTable&, const std::shared_ptr<Window>& w) {
            update.swap(w->update);
            erase = std::exchange(w->eraseNeeded, false);
            ncPaint = std::exchange(w->ncPaintNeeded, false);
            return true;
        });
        if (!found) return nullptr;
        if (ncPaint) SendMessageA(hWnd, WM_NCPAINT, 1, 0);
        *lpPaint = {};
        HDC dc = windowDeviceContext(hWnd, false, &update);
        if (!dc) return nullptr;
        lpPaint->hdc = dc;
        lpPaint->rcPaint = boundingBox(update);
        lpPaint->fErase = erase ? !SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) : FALSE;
        return dc;
    });
}

WINPLAT_API BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (!lpPaint) return FALSE;
    ReleaseDC(hWnd, lpPaint->hdc);
    return TRUE;
}

WINPLAT_API BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    return RedrawWindow(hWnd, lpRect, nullptr, RDW_INVALIDATE | (bErase ? RDW_ERASE : 0));
}

WINPLAT_API BOOL ValidateRect(HWND hWnd, const RECT* lpRect) {
    return RedrawWindow(hWnd, lpRect, nullptr, RDW_VALIDATE);
}

WINPLAT_API BOOL UpdateWindow(HWND hWnd) {
    return RedrawWindow(hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
}

// Region handles do not exist here: `hrgnUpdate` must be null.
WINPLAT_API BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, void* hrgnUpdate, UINT flags) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        if (hrgnUpdate) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (!hWnd || hWnd == GetDesktopWindow()) {
            std::vector<HWND> tops = topLevelWindows();
            for (HWND top : tops) RedrawWindow(top, nullptr, nullptr, flags);
            return TRUE;
        }
        // -1: no window.
        int clipChildren = withWindow(hWnd, -1, [](WindowTable&, const std::shared_ptr<Window>& w) {
            return int{(w->style & WS_CLIPCHILDREN) != 0};
        });
        if (clipChildren < 0) return FALSE;
        bool children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !clipChildren);
        if (flags & RDW_INVALIDATE)
            invalidateWindow(hWnd, lprcUpdate, (flags & RDW_ERASE) != 0, (flags & RDW_FRAME) != 0, children);
        if (flags & RDW_VALIDATE) {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            if (auto w = findWindow(t, hWnd)) validateLocked(t, *w, lprcUpdate, children);
        }
        if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
            std::vector<HWND> order;
            {
                WindowTable& t = windowTable();
                std::lock_guard lock(t.mutex);
                if (children) {
                    paintOrder(t, hWnd, order);
                } else if (auto w = findWindow(t, hWnd); w && w->visible() && needsPaint(*w)) {
                    order.push_back(hWnd);
                }
            }
            for (HWND h : order) SendMessageA(h, WM_PAINT, 0, 0);
        }
        return TRUE;
    });
}

WINPLAT_API BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
    bool any = false, erase = false;
    bool found = withWindow(hWnd, false, [&](WindowTable&, const std::shared_ptr<Window>& w) {
        if (lpRect) *lpRect = boundingBox(w->update);
        any = !w->update.empty();
        erase = bErase && w->eraseNeeded;
        if (erase) w->eraseNeeded = false;
        return true;
    });
    if (!found) return FALSE;
    if (erase) {
        HDC dc = GetDC(hWnd);
        if (dc) {
            SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            ReleaseDC(hWnd, dc);
        }
    }
    return any ? TRUE : FALSE;
}
