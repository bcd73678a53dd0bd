// Top-level windows over the driver's surfaces: each shown top-level window of the GUI thread
// gets a Qt window whose surface is the whole window rectangle (frameless, and everything on
// the virtual display) or, for a decorated x11 window, its client area. Child windows are
// rectangles of that surface, clipped as WS_CLIPSIBLINGS and WS_CLIPCHILDREN say.
#include <unistd.h>

#include "detail.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

bool decoratedStyle(LONG style) {
    return (style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME) != 0;
}

// The rectangle (surface coordinates) where a window lies on its top-level's surface.
RECT onSurface(WindowTable& t, const Window& top, const RECT& desktop) {
    RECT base = screenRectOf(t, top);
    POINT o = top.surfaceIsClient ? clientOriginOf(t, top) : POINT{base.left, base.top};
    return {desktop.left - o.x, desktop.top - o.y, desktop.right - o.x, desktop.bottom - o.y};
}

RECT clientOnDesktop(WindowTable& t, const Window& w) {
    POINT o = clientOriginOf(t, w);
    return {o.x, o.y, o.x + w.client.right - w.client.left, o.y + w.client.bottom - w.client.top};
}

// Removes from `visible` the visible siblings above `w` (when `w` clips its siblings) and, with
// `clipChildren`, the visible children of `w`.
void clipAgainstOthers(WindowTable& t, const Window& top, const Window& w, RectSet& visible) {
    if (w.isChild() && (w.style & WS_CLIPSIBLINGS)) {
        if (auto parent = findWindow(t, w.parent)) {
            for (HWND s : parent->children) {
                if (s == w.handle) break;
                auto sibling = findWindow(t, s);
                if (sibling && sibling->visible()) subtractRect(visible, onSurface(t, top, screenRectOf(t, *sibling)));
            }
        }
    }
}

}  // namespace

bool windowSurfaceIsClient(HWND hwnd) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hwnd);
    return w && w->surfaceIsClient;
}

bool windowSurfaceOf(HWND hwnd, bool wholeWindow, WindowSurface& out) {
    const WinplatDriverFunctions* driver = loadedGuiDriver();
    if (!driver) return false;
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hwnd);
    if (!w) return false;
    auto top = topLevelOf(t, w);
    if (!top || !top->driverWindow) return false;
    out.surface = driver->windowSurface(top->driverWindow);
    out.topLevel = top->handle;
    RECT area = wholeWindow ? screenRectOf(t, *w) : clientOnDesktop(t, *w);
    RECT onTop = onSurface(t, *top, area);
    out.origin = {onTop.left, onTop.top};
    out.visible.clear();
    if (!reallyVisible(t, *w)) return true;
    out.visible.push_back(onTop);
    // Every ancestor's client area bounds what shows, and a decorated surface ends at the
    // top-level's client area.
    for (auto at = w; at && at->isChild();) {
        auto parent = findWindow(t, at->parent);
        if (!parent) break;
        clipTo(out.visible, onSurface(t, *top, clientOnDesktop(t, *parent)));
        clipAgainstOthers(t, *top, *at, out.visible);
        at = parent;
    }
    WinplatSurfaceBits bits{};
    if (out.surface && driver->surfaceBits(out.surface, &bits))
        clipTo(out.visible, RECT{0, 0, bits.width, bits.height});
    if (!wholeWindow && (w->style & WS_CLIPCHILDREN))
        for (HWND c : w->children) {
            auto child = findWindow(t, c);
            if (child && child->visible()) subtractRect(out.visible, onSurface(t, *top, screenRectOf(t, *child)));
        }
    return true;
}

void presentSurface(HWND topLevel, const RECT& part) {
    const WinplatDriverFunctions* driver = loadedGuiDriver();
    if (!driver || emptyRect(part)) return;
    WinplatDriverWindow* window = nullptr;
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        auto w = findWindow(t, topLevel);
        if (w) window = w->driverWindow;
    }
    if (window) driver->presentWindow(window, &part);
}

void syncDriverWindow(HWND hwnd) {
    struct Snapshot {
        bool visible = false, topmost = false, active = false, decorated = false;
        RECT surfaceRect{};
        std::string title;
        WinplatDriverWindow* window = nullptr;
        LONG exStyle = 0;
    } s;
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        auto w = findWindow(t, hwnd);
        if (!w || w->isChild() || w->messageOnly) return;
        // Only the GUI thread's windows have surfaces.
        if (w->thread != currentProcessId()) return;
        s.visible = w->visible();
        s.window = w->driverWindow;
        if (!s.visible && !s.window) return;
        s.topmost = (w->exStyle & WS_EX_TOPMOST) != 0;
        s.active = t.active == hwnd;
        s.title = w->text;
        s.exStyle = w->exStyle;
        s.decorated = s.window ? w->surfaceIsClient : false;
    }
    const WinplatDriverFunctions* driver = s.visible ? guiDriver() : loadedGuiDriver();
    if (!driver) return;
    WindowTable& t = windowTable();
    std::unique_lock lock(t.mutex);
    auto w = findWindow(t, hwnd);
    if (!w) return;
    if (!s.window) {
        LONG style = w->style;
        w->surfaceIsClient = guiDisplayKind() == WINPLAT_DISPLAY_X11 && decoratedStyle(style);
    }
    RECT surfaceRect = w->surfaceIsClient ? clientOnDesktop(t, *w) : screenRectOf(t, *w);
    UINT kind = (w->surfaceIsClient ? 0 : WINPLAT_WINDOW_FRAMELESS) | (s.topmost ? WINPLAT_WINDOW_TOPMOST : 0) |
                ((s.exStyle & WS_EX_TOOLWINDOW) ? WINPLAT_WINDOW_TOOL : 0);
    bool made = false;
    if (!w->driverWindow) {
        lock.unlock();
        WinplatDriverWindow* created = driver->createWindow(hwnd, &surfaceRect, kind);
        lock.lock();
        w = findWindow(t, hwnd);
        if (!w) {
            if (created) driver->destroyWindow(created);
            return;
        }
        w->driverWindow = created;
        made = created != nullptr;
        if (made) {
            w->ncPaintNeeded = !w->surfaceIsClient;
        }
    }
    WinplatDriverWindow* window = w->driverWindow;
    if (!window) return;
    std::vector<std::pair<WinplatDriverWindow*, bool>> stack;  // bottom first
    for (auto it = t.topLevels.rbegin(); it != t.topLevels.rend(); ++it)
        if (auto o = findWindow(t, *it); o && o->driverWindow)
            stack.emplace_back(o->driverWindow, (o->exStyle & WS_EX_TOPMOST) != 0);
    lock.unlock();
    if (!made) driver->setWindowRect(window, &surfaceRect);
    driver->setWindowTitle(window, s.title.c_str());
    for (auto& [dw, topmost] : stack) driver->stackWindow(dw, TRUE, topmost ? TRUE : FALSE);
    driver->showWindow(window, s.visible ? TRUE : FALSE, s.active ? TRUE : FALSE);
}

}  // namespace winplat::detail
