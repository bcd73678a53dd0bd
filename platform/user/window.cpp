// Windows: creation in Win32's message order, destruction (owned windows first), the window
// table, window longs, text and properties.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ascii_case.h"
#include "controls.h"
#include "handlers.h"
#include "menu.h"
#include "detail.h"
#include "display_backend.h"
#include "gdi_internal.h"
#include "queue.h"
#include "session.h"
#include "winplat.h"
#include "wintable.h"

namespace winplat::detail {

WindowTable& windowTable() {
    static WindowTable* instance = [] {
        auto* t = new WindowTable;  // lives for the process: window procedures may outlive statics
        registerSystemClasses(*t);
        return t;
    }();
    return *instance;
}

HWND liveWindow(HWND WindowTable::*which) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    return findWindow(t, t.*which) ? t.*which : nullptr;
}

std::shared_ptr<Window> findWindow(WindowTable& t, HWND hwnd) {
    auto it = t.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == t.windows.end() ? nullptr : it->second;
}

bool windowHasRecord(HWND hwnd) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    return findWindow(t, hwnd) != nullptr;
}

bool windowHasPlace(HWND hwnd) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hwnd);
    return w && !w->messageOnly;
}

namespace {

// Removes a window whose WM_NCDESTROY has been handled. Whoever still holds its record (a
// procedure on the stack) keeps it until it returns; the handle is stale at once.
void forget(HWND hwnd) {
    WindowTable& t = windowTable();
    std::shared_ptr<Window> w;
    {
        std::lock_guard lock(t.mutex);
        w = findWindow(t, hwnd);
        if (!w) return;
        if (auto parent = findWindow(t, w->parent)) {
            auto& siblings = parent->children;
            siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
        }
        t.topLevels.erase(std::remove(t.topLevels.begin(), t.topLevels.end(), hwnd), t.topLevels.end());
        --w->windowClass->windows;
        if (t.active == hwnd) t.active = nullptr;
        if (t.focus == hwnd) t.focus = nullptr;
        if (t.capture == hwnd) t.capture = nullptr;
        t.windows.erase(reinterpret_cast<uintptr_t>(hwnd));
    }
    killWindowTimers(hwnd);
    windowGone(hwnd);
    forgetSystemMenu(hwnd);
    if (w->driverWindow) {
        if (const WinplatDriverFunctions* driver = loadedGuiDriver()) driver->destroyWindow(w->driverWindow);
        w->driverWindow = nullptr;
    }
}

// `hwnd` and all windows below it: `parentsFirst` (pre-order) and `childrenFirst`
// (post-order), children in z-order.
void collectTree(WindowTable& t, HWND hwnd, std::vector<HWND>& parentsFirst,
                 std::vector<HWND>& childrenFirst) {
    auto w = findWindow(t, hwnd);
    if (!w) return;
    parentsFirst.push_back(hwnd);
    for (HWND child : w->children) collectTree(t, child, parentsFirst, childrenFirst);
    childrenFirst.push_back(hwnd);
}

// The top-level windows that `owner` owns, directly, top first.
std::vector<HWND> ownedBy(WindowTable& t, HWND owner) {
    std::vector<HWND> owned;
    for (HWND h : t.topLevels)
        if (auto w = findWindow(t, h); w && w->owner == owner && !w->destroying) owned.push_back(h);
    return owned;
}

// Where CW_USEDEFAULT puts an overlapped window: a little inside the primary monitor's work
// area, three quarters of its size.
void defaultPlace(int& x, int& y, int& width, int& height) {
    RECT work{0, 0, 1024, 768};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    if (x == CW_USEDEFAULT) x = work.left + 26, y = work.top + 26;
    if (width == CW_USEDEFAULT) {
        width = (work.right - work.left) * 3 / 4;
        height = (work.bottom - work.top) * 3 / 4;
    }
}

}  // namespace

void resetWindows() {
    WindowTable& t = windowTable();
    std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
    std::vector<std::shared_ptr<WindowClass>> classes;
    {
        std::lock_guard lock(t.mutex);
        windows.swap(t.windows);
        classes.swap(t.classes);
        t.topLevels.clear();
        t.nextAtom = 0xC000;
        t.active = t.focus = t.capture = nullptr;
        registerSystemClasses(t);
    }
    resetHandlers();
    resetMenus();
    resetAccelerators();
    resetManagerFrame();
    if (const WinplatDriverFunctions* driver = loadedGuiDriver())
        for (auto& [handle, w] : windows)
            if (w->driverWindow) driver->destroyWindow(w->driverWindow);
    resetTimers();
    resetQueues();
    resetInput();
    resetGdi();
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName,
                                 DWORD dwStyle, int X, int Y, int nWidth, int nHeight,
                                 HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                 LPVOID lpParam) {
    return guardedCall(HWND{}, [&]() -> HWND {
        bool messageOnly = hWndParent == HWND_MESSAGE;
        bool child = !messageOnly && hWndParent && (dwStyle & WS_CHILD);
        if ((dwStyle & WS_CHILD) && !hWndParent) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        if (!child && !messageOnly && (dwStyle & WS_POPUP) == 0 && X == CW_USEDEFAULT) {
            defaultPlace(X, Y, nWidth, nHeight);
        }
        if (X == CW_USEDEFAULT) X = Y = 0;
        ensureThreadQueue();  // messages to the window can come from other threads at once
        if (nWidth == CW_USEDEFAULT) nWidth = nHeight = 0;
        // Window handles are 2 modulo 4 (file handles are multiples of 4), below 2^31 so that
        // code storing an HWND in 32 bits keeps it, and never reused within the session.
        HWND hwnd = takeWindowHandle();
        if (!hwnd) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            auto c = findClass(t, lpClassName);
            if (!c) {
                SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
                return nullptr;
            }
            std::shared_ptr<Window> parentWindow;
            if (hWndParent && !messageOnly) {
                parentWindow = findWindow(t, hWndParent);
                if (!parentWindow || parentWindow->destroying) {
                    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                    return nullptr;
                }
            }
            auto w = std::make_shared<Window>();
            w->handle = hwnd;
            w->windowClass = c;
            w->proc = c->info.lpfnWndProc;
            w->thread = GetCurrentThreadId();
            w->messageOnly = messageOnly || (parentWindow && parentWindow->messageOnly);
            if (child) {
                w->parent = hWndParent;
                parentWindow->children.push_back(hwnd);
            } else if (parentWindow) {
                // The owner of a top-level window is the top-level window of the one named.
                w->owner = topLevelOf(t, parentWindow)->handle;
            }
            if (!child && !w->messageOnly) {
                // Above every window of its band: top-most windows stay above the others.
                auto at = t.topLevels.begin();
                if (!(dwExStyle & WS_EX_TOPMOST))
                    while (at != t.topLevels.end()) {
                        auto other = findWindow(t, *at);
                        if (!other || !(other->exStyle & WS_EX_TOPMOST)) break;
                        ++at;
                    }
                t.topLevels.insert(at, hwnd);
            }
            w->id = reinterpret_cast<LONG_PTR>(hMenu);
            // WS_VISIBLE comes with the show at the end of creation.
            w->style = static_cast<LONG>(dwStyle & ~WS_VISIBLE);
            w->exStyle = static_cast<LONG>(dwExStyle);
            w->instance = hInstance;
            w->extra.assign(static_cast<size_t>(c->info.cbWndExtra), 0);
            if (lpWindowName) w->text = lpWindowName;
            w->rect = {X, Y, X + std::max(nWidth, 0), Y + std::max(nHeight, 0)};
            w->client = {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
            ++c->windows;
            t.windows.emplace(reinterpret_cast<uintptr_t>(hwnd), std::move(w));
        }

        CREATESTRUCTA cs{lpParam, hInstance, hMenu, hWndParent, nHeight, nWidth, Y, X, static_cast<LONG>(dwStyle),
                         lpWindowName, lpClassName, dwExStyle};
        auto lparam = reinterpret_cast<LPARAM>(&cs);

        if (!SendMessageA(hwnd, WM_NCCREATE, 0, lparam)) {
            // Refused before it existed: only the last message of a window's life follows.
            if (IsWindow(hwnd)) {
                SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
                forget(hwnd);
            }
            return nullptr;
        }
        if (!IsWindow(hwnd)) return nullptr;
        RECT frame{X, Y, X + std::max(nWidth, 0), Y + std::max(nHeight, 0)};
        RECT client = frame;
        SendMessageA(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
        {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            auto w = findWindow(t, hwnd);
            if (!w) return nullptr;
            w->client = {client.left - frame.left, client.top - frame.top,
                         std::max(client.left, client.right) - frame.left,
                         std::max(client.top, client.bottom) - frame.top};
        }
        if (SendMessageA(hwnd, WM_CREATE, 0, lparam) == -1) {
            DestroyWindow(hwnd);
            return nullptr;
        }
        if (!IsWindow(hwnd)) return nullptr;
        RECT inside{};
        GetClientRect(hwnd, &inside);
        SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(inside.right, inside.bottom));
        SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(X + client.left - frame.left, Y + client.top - frame.top));
        if (child && !(dwExStyle & WS_EX_NOPARENTNOTIFY))
            SendMessageA(hWndParent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, LOWORD(reinterpret_cast<uintptr_t>(hMenu))),
                         reinterpret_cast<LPARAM>(hwnd));
        if ((dwStyle & WS_VISIBLE) && IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
        return IsWindow(hwnd) ? hwnd : nullptr;
    });
}

// Owned windows go first. Then WM_DESTROY goes to the window and down to its children (parents
// first); WM_NCDESTROY goes to the children first and the window last, after which every handle
// of the tree is stale.
WINPLAT_API BOOL DestroyWindow(HWND hWnd) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        std::vector<HWND> owned;
        bool visible = false, child = false;
        HWND parent = nullptr;
        LONG_PTR id = 0;
        {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            auto w = findWindow(t, hWnd);
            if (!w || w->destroying) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return FALSE;
            }
            owned = ownedBy(t, hWnd);
            visible = w->visible();
            child = w->isChild();
            parent = w->parent;
            id = w->id;
        }
        if (child && IsWindow(parent) && !(GetWindowLongPtrA(hWnd, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY))
            SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, LOWORD(id)),
                         reinterpret_cast<LPARAM>(hWnd));
        if (visible)
            SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        for (HWND o : owned)
            if (IsWindow(o)) DestroyWindow(o);
        std::vector<HWND> parentsFirst, childrenFirst;
        {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            auto w = findWindow(t, hWnd);
            if (!w || w->destroying) return TRUE;  // destroyed while its owned windows went
            collectTree(t, hWnd, parentsFirst, childrenFirst);
            for (HWND h : parentsFirst) findWindow(t, h)->destroying = true;
        }
        for (HWND h : parentsFirst) SendMessageA(h, WM_DESTROY, 0, 0);
        for (HWND h : childrenFirst) {
            SendMessageA(h, WM_NCDESTROY, 0, 0);
            forget(h);
        }
        return TRUE;
    });
}

// Windows of other processes answer from the session's table.
WINPLAT_API BOOL IsWindow(HWND hWnd) {
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        if (findWindow(t, hWnd)) return TRUE;
    }
    return foreignWindow(hWnd) ? TRUE : FALSE;
}

// A child's parent; for a top-level window its owner, as Win32 answers for popups.
WINPLAT_API HWND GetParent(HWND hWnd) {
    return withWindow(hWnd, HWND{nullptr}, [&](WindowTable& t, const std::shared_ptr<Window>& w) -> HWND {
        HWND up = w->isChild() ? w->parent : ((w->style & WS_POPUP) ? w->owner : nullptr);
        return findWindow(t, up) ? up : nullptr;
    });
}

WINPLAT_API LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
    return withWindow(hWnd, LONG_PTR{0}, [&](WindowTable&, const std::shared_ptr<Window>& w) -> LONG_PTR {
        switch (nIndex) {
        case GWLP_USERDATA:
            return w->userData;
        case GWLP_WNDPROC:
            return reinterpret_cast<LONG_PTR>(w->proc);
        case GWLP_HINSTANCE:
            return reinterpret_cast<LONG_PTR>(w->instance);
        case GWLP_ID:
            return w->id;
        case GWLP_HWNDPARENT:
            return reinterpret_cast<LONG_PTR>(w->isChild() ? w->parent : w->owner);
        case GWL_STYLE:
            return w->style;
        case GWL_EXSTYLE:
            return w->exStyle;
        default:
            break;
        }
        return exchangeExtra(w->extra, nIndex, nullptr);
    });
}

WINPLAT_API LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return withWindow(hWnd, LONG_PTR{0}, [&](WindowTable&, const std::shared_ptr<Window>& w) -> LONG_PTR {
        LONG_PTR old = 0;
        switch (nIndex) {
        case GWLP_USERDATA:
            old = std::exchange(w->userData, dwNewLong);
            return old;
        case GWLP_WNDPROC:
            if (!dwNewLong) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            old = reinterpret_cast<LONG_PTR>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(dwNewLong);
            return old;
        case GWLP_HINSTANCE:
            old = reinterpret_cast<LONG_PTR>(w->instance);
            w->instance = reinterpret_cast<HINSTANCE>(dwNewLong);
            return old;
        case GWLP_ID:
            old = std::exchange(w->id, dwNewLong);
            return old;
        case GWL_STYLE:
            return std::exchange(w->style, static_cast<LONG>(dwNewLong));
        case GWL_EXSTYLE:
            return std::exchange(w->exStyle, static_cast<LONG>(dwNewLong));
        default:
            break;
        }
        return exchangeExtra(w->extra, nIndex, &dwNewLong);
    });
}


WINPLAT_API BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

// Another process's window answers from the session's table, without a message, as Win32
// answers for windows of other processes.
WINPLAT_API int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (!windowHasRecord(hWnd)) {
        auto other = foreignWindow(hWnd);
        if (!other) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (!lpString || nMaxCount <= 0) return 0;
        return static_cast<int>(copyBounded(lpString, static_cast<size_t>(nMaxCount), other->title));
    }
    if (!lpString || nMaxCount <= 0) return 0;
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

WINPLAT_API int GetWindowTextLengthA(HWND hWnd) {
    if (!windowHasRecord(hWnd)) {
        auto other = foreignWindow(hWnd);
        if (!other) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return other ? static_cast<int>(other->title.size()) : 0;
    }
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

namespace {

// The name a property is kept under: its string, or "#" and the atom's number. (Built piece by
// piece: GCC 12 warns wrongly, -Wrestrict, on "#" + std::string in optimised builds.)
std::string propName(LPCSTR name) {
    if (!isAtomName(name)) return name;
    std::string kept(1, '#');
    kept += std::to_string(reinterpret_cast<uintptr_t>(name));
    return kept;
}

// The property's place in the window's list, or its end.
auto findProp(Window& w, LPCSTR name) {
    std::string wanted = propName(name);
    return std::find_if(w.props.begin(), w.props.end(),
                        [&](const auto& prop) { return winplat::equalsIgnoringCase(prop.first, wanted); });
}

// Runs `body` on the window's property list entry (or its end) with the lock held; null for no
// window or no name.
template <typename Body>
HANDLE withProp(HWND hWnd, LPCSTR name, Body&& body) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return withWindow(hWnd, HANDLE{}, [&](WindowTable&, const std::shared_ptr<Window>& w) -> HANDLE {
        return body(*w, findProp(*w, name));
    });
}

}  // namespace

WINPLAT_API BOOL SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        HANDLE done = withProp(hWnd, lpString, [&](Window& w, auto at) -> HANDLE {
            if (at != w.props.end()) {
                at->second = hData;
            } else {
                w.props.emplace_back(propName(lpString), hData);
            }
            return INVALID_HANDLE_VALUE;  // any non-null mark
        });
        return done ? TRUE : FALSE;
    });
}

WINPLAT_API HANDLE GetPropA(HWND hWnd, LPCSTR lpString) {
    return withProp(hWnd, lpString,
                    [](Window& w, auto at) -> HANDLE { return at == w.props.end() ? nullptr : at->second; });
}

WINPLAT_API HANDLE RemovePropA(HWND hWnd, LPCSTR lpString) {
    return withProp(hWnd, lpString, [](Window& w, auto at) -> HANDLE {
        if (at == w.props.end()) return nullptr;
        HANDLE data = at->second;
        w.props.erase(at);
        return data;
    });
}
