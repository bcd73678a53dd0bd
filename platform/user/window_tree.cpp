// The window tree: relatives in z-order, enumeration and finding windows by class and title.
#include <functional>

#include "ascii_case.h"
#include "detail.h"
#include "session.h"
#include "wintable.h"

namespace winplat::detail {

std::shared_ptr<Window> topLevelOf(WindowTable& t, const std::shared_ptr<Window>& w) {
    std::shared_ptr<Window> at = w;
    while (at && at->isChild()) {
        auto up = findWindow(t, at->parent);
        if (!up) break;
        at = up;
    }
    return at;
}

std::vector<HWND> topLevelWindows() {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    return t.topLevels;
}

HWND desktopWindow() { return reinterpret_cast<HWND>(uintptr_t{0x10000 - 2}); }

namespace {

// The siblings of a window in z-order: its parent's children, or the top-level windows.
const std::vector<HWND>* siblingsOf(WindowTable& t, const Window& w) {
    if (w.isChild()) {
        auto parent = findWindow(t, w.parent);
        return parent ? &parent->children : nullptr;
    }
    return w.messageOnly ? nullptr : &t.topLevels;
}

}  // namespace

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HWND GetDesktopWindow(void) { return desktopWindow(); }

WINPLAT_API HWND GetWindow(HWND hWnd, UINT uCmd) {
    return withWindow(hWnd, HWND{nullptr}, [&](WindowTable& t, const std::shared_ptr<Window>& w) -> HWND {
        switch (uCmd) {
            case GW_OWNER: return w->isChild() ? nullptr : w->owner;
            case GW_CHILD: return w->children.empty() ? nullptr : w->children.front();
            case GW_HWNDFIRST:
            case GW_HWNDLAST:
            case GW_HWNDNEXT:
            case GW_HWNDPREV: {
                const std::vector<HWND>* siblings = siblingsOf(t, *w);
                if (!siblings || siblings->empty()) return nullptr;
                if (uCmd == GW_HWNDFIRST) return siblings->front();
                if (uCmd == GW_HWNDLAST) return siblings->back();
                auto at = std::find(siblings->begin(), siblings->end(), hWnd);
                if (at == siblings->end()) return nullptr;
                if (uCmd == GW_HWNDNEXT) return at + 1 == siblings->end() ? nullptr : *(at + 1);
                return at == siblings->begin() ? nullptr : *(at - 1);
            }
            default:
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
        }
    });
}

WINPLAT_API HWND GetAncestor(HWND hwnd, UINT gaFlags) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hwnd);
    if (!w) return nullptr;
    switch (gaFlags) {
        case GA_PARENT: return w->isChild() ? w->parent : desktopWindow();
        case GA_ROOT: return topLevelOf(t, w)->handle;
        case GA_ROOTOWNER: {
            auto at = topLevelOf(t, w);
            while (auto owner = findWindow(t, at->owner)) at = topLevelOf(t, owner);
            return at->handle;
        }
        default: return nullptr;
    }
}

WINPLAT_API BOOL IsChild(HWND hWndParent, HWND hWnd) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hWnd);
    while (w && w->isChild()) {
        if (w->parent == hWndParent) return TRUE;
        w = findWindow(t, w->parent);
    }
    return FALSE;
}

// Every descendant, parents before their children, in z-order; windows made or destroyed by the
// callback do not disturb the walk.
WINPLAT_API BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    if (!lpEnumFunc) return FALSE;
    std::vector<HWND> all;
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        std::function<void(HWND)> walk = [&](HWND h) {
            auto w = findWindow(t, h);
            if (!w) return;
            for (HWND c : w->children) {
                all.push_back(c);
                walk(c);
            }
        };
        if (hWndParent) walk(hWndParent);
        else all = t.topLevels;
    }
    for (HWND h : all)
        if (IsWindow(h) && !lpEnumFunc(h, lParam)) break;
    return TRUE;
}

WINPLAT_API BOOL EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    if (!lpEnumFunc) return FALSE;
    std::vector<HWND> all = topLevelWindows();
    for (HWND h : all)
        if (IsWindow(h) && !lpEnumFunc(h, lParam)) return FALSE;
    return TRUE;
}

// Children of `hWndParent` (top-level windows when null) after `hWndChildAfter`, in z-order,
// by class (name or atom) and exact title, both optional; titles compare case-insensitively.
// The top-level windows of the session's other processes follow this process's (see
// foreignWindowsUnder), and another process's window may be the parent; those match by class
// name.
WINPLAT_API HWND FindWindowExA(HWND hWndParent, HWND hWndChildAfter, LPCSTR lpszClass,
                               LPCSTR lpszWindow) {
    std::string className;      // the name other processes' windows must have
    bool localParent = true;    // this process's window, or the desktop
    bool afterOther = false;    // hWndChildAfter is another process's window
    bool classKnown = !lpszClass;  // registered in this process
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        const std::vector<HWND>* list = &t.topLevels;
        if (hWndParent && hWndParent != desktopWindow()) {
            auto parent = findWindow(t, hWndParent);
            if (parent) list = &parent->children;
            localParent = parent != nullptr;
        }
        std::shared_ptr<WindowClass> wanted = lpszClass ? findClass(t, lpszClass) : nullptr;
        if (lpszClass && !wanted && isAtomName(lpszClass)) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);  // an atom names no class here
            return nullptr;
        }
        if (lpszClass) className = wanted ? wanted->name : std::string(lpszClass);
        classKnown = classKnown || wanted;
        auto at = localParent ? list->begin() : list->end();
        if (hWndChildAfter && localParent) {
            at = std::find(list->begin(), list->end(), hWndChildAfter);
            if (at != list->end()) {
                ++at;
            } else if (list != &t.topLevels || findWindow(t, hWndChildAfter)) {
                return nullptr;
            } else {
                afterOther = true;  // continue among other processes' windows
            }
        }
        for (; localParent && at != list->end(); ++at) {
            auto w = findWindow(t, *at);
            if (!w || (lpszClass && w->windowClass != wanted)) continue;
            if (lpszWindow && !winplat::equalsIgnoringCase(w->text, lpszWindow)) continue;
            return *at;
        }
        if (localParent && list != &t.topLevels) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
    }
    if (!localParent && !foreignWindow(hWndParent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    bool started = !afterOther && !(hWndChildAfter && !localParent);
    bool classSeen = !lpszClass;
    for (const ForeignWindow& w : foreignWindowsUnder(localParent ? nullptr : hWndParent)) {
        if (!started) {
            started = w.handle == hWndChildAfter;
            continue;
        }
        if (lpszClass && !winplat::equalsIgnoringCase(w.className, className)) continue;
        classSeen = true;
        if (lpszWindow && !winplat::equalsIgnoringCase(w.title, lpszWindow)) continue;
        return w.handle;
    }
    SetLastError(classKnown || classSeen ? ERROR_FILE_NOT_FOUND : ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
}

WINPLAT_API HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
    return FindWindowExA(nullptr, nullptr, lpClassName, lpWindowName);
}
