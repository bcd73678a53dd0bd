// Window places: rectangles and coordinates, SetWindowPos with its messages, showing and
// hiding, z-order, and what each change leaves to repaint.
#include <algorithm>

#include "detail.h"
#include "gdi_internal.h"
#include "rectset.h"
#include "session.h"
#include "startup.h"
#include "wintable.h"

namespace winplat::detail {

RECT screenRectOf(WindowTable& t, const Window& w) {
    if (w.isChild()) {
        if (auto parent = findWindow(t, w.parent)) {
            POINT o = clientOriginOf(t, *parent);
            return {w.rect.left + o.x, w.rect.top + o.y, w.rect.right + o.x, w.rect.bottom + o.y};
        }
    }
    return w.rect;
}

POINT clientOriginOf(WindowTable& t, const Window& w) {
    RECT r = screenRectOf(t, w);
    return {r.left + w.client.left, r.top + w.client.top};
}

bool reallyVisible(WindowTable& t, const Window& w) {
    const Window* at = &w;
    std::shared_ptr<Window> hold;
    while (at) {
        if (!at->visible()) return false;
        if (!at->isChild()) return true;
        hold = findWindow(t, at->parent);
        at = hold.get();
    }
    return false;
}

namespace {

struct Placement {
    RECT rect{};
    RECT client{};
    LONG style = 0;
    LONG exStyle = 0;
    bool child = false;
    bool visible = false;
    bool topLevel = false;
    HWND parent = nullptr;
    UINT classStyle = 0;
};

bool placementOf(HWND hwnd, Placement& p) {
    return withWindow(hwnd, false, [&](WindowTable&, const std::shared_ptr<Window>& w) {
        p = {w->rect, w->client, w->style, w->exStyle, w->isChild(), w->visible(),
             !w->isChild() && !w->messageOnly, w->parent, w->windowClass->info.style};
        return true;
    });
}

// Moves `hwnd` in its siblings' z-order as `after` says; top-most windows stay above the others.
void restack(WindowTable& t, Window& w, HWND after) {
    std::vector<HWND>* list = nullptr;
    if (w.isChild()) {
        auto parent = findWindow(t, w.parent);
        if (parent) list = &parent->children;
    } else if (!w.messageOnly) {
        list = &t.topLevels;
    }
    if (!list) return;
    list->erase(std::remove(list->begin(), list->end(), w.handle), list->end());
    if (after == HWND_TOPMOST && !w.isChild()) w.exStyle |= WS_EX_TOPMOST;
    if ((after == HWND_NOTOPMOST || after == HWND_BOTTOM) && !w.isChild()) w.exStyle &= ~WS_EX_TOPMOST;
    bool topmost = (w.exStyle & WS_EX_TOPMOST) != 0;
    auto inBand = [&](HWND h) {
        if (w.isChild()) return true;
        auto o = findWindow(t, h);
        return o && ((o->exStyle & WS_EX_TOPMOST) != 0) == topmost;
    };
    auto at = list->end();
    if (after == HWND_BOTTOM) {
        at = list->end();
    } else if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        at = std::find_if(list->begin(), list->end(), inBand);
    } else {
        at = std::find(list->begin(), list->end(), after);
        if (at != list->end()) ++at;
    }
    // Keep the bands: a top-most window never goes below a plain one, nor a plain one above.
    if (!w.isChild()) {
        auto firstPlain = std::find_if(list->begin(), list->end(), [&](HWND h) {
            auto o = findWindow(t, h);
            return o && !(o->exStyle & WS_EX_TOPMOST);
        });
        if (topmost && at > firstPlain) at = firstPlain;
        if (!topmost && at < firstPlain) at = firstPlain;
    }
    list->insert(at, w.handle);
    if (w.isChild()) return;
    // Owned windows stay above their owner: those now below it move to just above it, in their
    // order.
    std::vector<HWND> owned;
    for (auto it = std::find(list->begin(), list->end(), w.handle) + 1; it != list->end(); ++it)
        if (auto o = findWindow(t, *it); o && o->owner == w.handle) owned.push_back(*it);
    for (HWND o : owned) list->erase(std::find(list->begin(), list->end(), o));
    list->insert(std::find(list->begin(), list->end(), w.handle), owned.begin(), owned.end());
}

}  // namespace

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                              UINT uFlags) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        Placement before;
        if (!placementOf(hWnd, before)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        WINDOWPOS wp{hWnd, hWndInsertAfter, X, Y, cx, cy, uFlags};
        if (uFlags & SWP_NOMOVE) wp.x = before.rect.left, wp.y = before.rect.top;
        if (uFlags & SWP_NOSIZE) {
            wp.cx = before.rect.right - before.rect.left;
            wp.cy = before.rect.bottom - before.rect.top;
        }
        if (!(uFlags & SWP_NOSENDCHANGING))
            SendMessageA(hWnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
        wp.cx = std::max(wp.cx, 0);
        wp.cy = std::max(wp.cy, 0);
        RECT rect{wp.x, wp.y, wp.x + wp.cx, wp.y + wp.cy};
        bool moved = rect.left != before.rect.left || rect.top != before.rect.top;
        bool sized = rect.right - rect.left != before.rect.right - before.rect.left ||
                     rect.bottom - rect.top != before.rect.bottom - before.rect.top;
        RECT client = {before.client.left + rect.left, before.client.top + rect.top,
                       before.client.right + rect.left, before.client.bottom + rect.top};
        if (sized || (wp.flags & SWP_FRAMECHANGED)) {
            client = rect;
            SendMessageA(hWnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
        }
        bool show = (wp.flags & SWP_SHOWWINDOW) && !before.visible;
        bool hide = (wp.flags & SWP_HIDEWINDOW) && before.visible;
        RECT oldScreen{}, newScreen{};
        {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            auto w = findWindow(t, hWnd);
            if (!w) return FALSE;
            oldScreen = screenRectOf(t, *w);
            w->rect = rect;
            w->client = {client.left - rect.left, client.top - rect.top,
                         std::max(client.left, client.right) - rect.left,
                         std::max(client.top, client.bottom) - rect.top};
            if (!(wp.flags & SWP_NOZORDER)) restack(t, *w, wp.hwndInsertAfter);
            if (show) w->style |= WS_VISIBLE;
            if (hide) w->style &= ~WS_VISIBLE;
            newScreen = screenRectOf(t, *w);
        }
        if (before.topLevel) syncDriverWindow(hWnd);
        bool visibleNow = (before.visible || show) && !hide;
        // What is left to repaint: the whole window when it appears or under the class's
        // redraw styles; the newly uncovered client area when it grows; the parent's area it
        // left or moved over.
        if (show) {
            RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        } else if (visibleNow && sized && !(wp.flags & SWP_NOREDRAW)) {
            int oldWidth = before.client.right - before.client.left;
            int oldHeight = before.client.bottom - before.client.top;
            int newWidth = client.right - client.left, newHeight = client.bottom - client.top;
            bool all = ((before.classStyle & CS_HREDRAW) && newWidth != oldWidth) ||
                       ((before.classStyle & CS_VREDRAW) && newHeight != oldHeight);
            if (all) {
                RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
            } else {
                RECT right{oldWidth, 0, newWidth, newHeight}, bottom{0, oldHeight, newWidth, newHeight};
                if (newWidth > oldWidth) InvalidateRect(hWnd, &right, TRUE);
                if (newHeight > oldHeight) InvalidateRect(hWnd, &bottom, TRUE);
                RECT none{};
                invalidateWindow(hWnd, &none, false, true, false);  // the frame only
            }
        }
        if (before.child && IsWindow(before.parent) && (hide || (visibleNow && (moved || sized)))) {
            // The parent repaints where the child was (and, when it moved, where it is now).
            for (RECT r : {oldScreen, newScreen}) {
                if (r.left == newScreen.left && r.top == newScreen.top && hide) continue;
                POINT corner{r.left, r.top};
                ScreenToClient(before.parent, &corner);
                RECT inParent{corner.x, corner.y, corner.x + r.right - r.left, corner.y + r.bottom - r.top};
                RedrawWindow(before.parent, &inParent, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            }
            if (visibleNow && moved && !show)
                RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        }
        if (!moved) wp.flags |= SWP_NOMOVE;
        if (!sized) wp.flags |= SWP_NOSIZE;
        SendMessageA(hWnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
        if (before.topLevel) {
            if (show && !(uFlags & SWP_NOACTIVATE)) SetActiveWindow(hWnd);
            if (hide && GetActiveWindow() == hWnd) activateAnother(hWnd);
        }
        if (hide) releaseHiddenFocus(hWnd);
        presentPainted();
        return TRUE;
    });
}

WINPLAT_API BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                        SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

WINPLAT_API BOOL BringWindowToTop(HWND hWnd) {
    return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// WM_SHOWWINDOW first, then the change of place; the previous visibility is the result.
WINPLAT_API BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        Placement p;
        if (!placementOf(hWnd, p)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        // The first normal show of a top-level window takes the starter's show command.
        if (p.topLevel) nCmdShow = startupShowCommand(nCmdShow);
        if (nCmdShow == SW_SHOWDEFAULT) nCmdShow = SW_SHOWNORMAL;
        bool hide = nCmdShow == SW_HIDE || nCmdShow == SW_MINIMIZE;
        if (hide == !p.visible) return p.visible ? TRUE : FALSE;
        SendMessageA(hWnd, WM_SHOWWINDOW, hide ? FALSE : TRUE, 0);
        if (!IsWindow(hWnd)) return p.visible ? TRUE : FALSE;
        UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | (hide ? SWP_HIDEWINDOW : SWP_SHOWWINDOW);
        bool noActivate = p.child || nCmdShow == SW_SHOWNOACTIVATE || nCmdShow == SW_SHOWNA ||
                          nCmdShow == SW_SHOWMINNOACTIVE || hide;
        if (noActivate) flags |= SWP_NOACTIVATE;
        if (!hide && p.topLevel && !noActivate) flags &= ~SWP_NOZORDER;
        SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, flags);
        return p.visible ? TRUE : FALSE;
    });
}

WINPLAT_API BOOL IsWindowVisible(HWND hWnd) {
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        if (auto w = findWindow(t, hWnd)) return reallyVisible(t, *w) ? TRUE : FALSE;
    }
    auto other = foreignWindow(hWnd);  // another process's window: its own style
    return other && (other->style & WS_VISIBLE) ? TRUE : FALSE;
}

WINPLAT_API BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    if (hWnd == desktopWindow() && lpRect) {
        HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
        MONITORINFO info{sizeof info, {}, {}, 0};
        if (!primary || !GetMonitorInfoA(primary, &info)) info.rcMonitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        *lpRect = info.rcMonitor;
        return TRUE;
    }
    return withWindow(hWnd, BOOL{FALSE}, [&](WindowTable& t, const std::shared_ptr<Window>& w) -> BOOL {
        if (!lpRect) {
            SetLastError(ERROR_NOACCESS);
            return FALSE;
        }
        *lpRect = screenRectOf(t, *w);
        return TRUE;
    });
}

WINPLAT_API BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    if (hWnd == desktopWindow()) return GetWindowRect(hWnd, lpRect);
    return withWindow(hWnd, BOOL{FALSE}, [&](WindowTable&, const std::shared_ptr<Window>& w) -> BOOL {
        if (!lpRect) {
            SetLastError(ERROR_NOACCESS);
            return FALSE;
        }
        *lpRect = {0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
        return TRUE;
    });
}

namespace {

// The desktop position of a window's client corner; the desktop window's is (0, 0).
bool clientOrigin(HWND hwnd, POINT& origin) {
    if (!hwnd || hwnd == desktopWindow()) {
        origin = {0, 0};
        return true;
    }
    return withWindow(hwnd, false, [&](WindowTable& t, const std::shared_ptr<Window>& w) {
        origin = clientOriginOf(t, *w);
        return true;
    });
}

}  // namespace

WINPLAT_API BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    POINT o;
    if (!clientOrigin(hWnd, o) || !lpPoint) return FALSE;
    lpPoint->x -= o.x;
    lpPoint->y -= o.y;
    return TRUE;
}

WINPLAT_API BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    POINT o;
    if (!clientOrigin(hWnd, o) || !lpPoint) return FALSE;
    lpPoint->x += o.x;
    lpPoint->y += o.y;
    return TRUE;
}

// The result packs the horizontal shift in the low word and the vertical one in the high word.
WINPLAT_API int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
    POINT from, to;
    if (!clientOrigin(hWndFrom, from) || !clientOrigin(hWndTo, to)) return 0;
    LONG dx = from.x - to.x, dy = from.y - to.y;
    for (UINT i = 0; lpPoints && i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    SetLastError(ERROR_SUCCESS);
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

// The deepest visible, enabled window under a desktop point; a disabled child stops the
// search at its parent, a transparent one (HTTRANSPARENT) lets windows below it answer.
WINPLAT_API HWND WindowFromPoint(POINT Point) { return windowAt(Point, nullptr); }

WINPLAT_API HWND ChildWindowFromPoint(HWND hWndParent, POINT Point) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto parent = findWindow(t, hWndParent);
    if (!parent) return nullptr;
    POINT o = clientOriginOf(t, *parent);
    POINT desktop{Point.x + o.x, Point.y + o.y};
    RECT area = screenRectOf(t, *parent);
    if (!PtInRect(&area, desktop)) return nullptr;
    for (HWND c : parent->children) {
        auto w = findWindow(t, c);
        if (!w) continue;
        RECT r = screenRectOf(t, *w);
        if (PtInRect(&r, desktop)) return c;
    }
    return hWndParent;
}
