// Window classes, message-only windows and synchronous messages, the active window.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ascii_case.h"
#include "detail.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    WNDPROC proc = nullptr;
    UINT style = 0;
    int windowExtra = 0;
    HINSTANCE instance = nullptr;
    int windows = 0;  // windows alive of this class
};

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> windowClass;
    WNDPROC proc = nullptr;
    HWND parent = nullptr;
    std::vector<HWND> children;  // in creation order
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    LONG style = 0;
    LONG exStyle = 0;
    HINSTANCE instance = nullptr;
    std::vector<unsigned char> extra;  // cbWndExtra bytes, zeroed
    bool destroying = false;
};

// The process-wide window table. Window procedures are always called with the lock released,
// so they may call back into any of these functions.
struct WindowTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
    std::vector<std::shared_ptr<WindowClass>> classes;
    ATOM nextAtom = 0xC000;  // class atoms live in 0xC000..0xFFFF, as on Windows
    // Window handles are 2 modulo 4 (file handles are multiples of 4), below 2^31 so that code
    // storing an HWND in 32 bits keeps it, and never reused within the process.
    uintptr_t nextHandle = 0x10002;
    HWND active = nullptr;
};

WindowTable& table() {
    static WindowTable instance;
    return instance;
}

bool sameName(const std::string& a, const char* b) { return equalsIgnoringCase(a, b); }

// A class name may be a string or an atom (MAKEINTATOM: a value below 0x10000).
bool isAtom(LPCSTR name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

// Callers hold the lock.
std::shared_ptr<WindowClass> findClass(WindowTable& t, LPCSTR name) {
    for (auto& c : t.classes) {
        if (isAtom(name) ? c->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                         : sameName(c->name, name))
            return c;
    }
    return nullptr;
}

std::shared_ptr<Window> findWindow(WindowTable& t, HWND hwnd) {
    auto it = t.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == t.windows.end() ? nullptr : it->second;
}

// The procedure of a live window, or null (with ERROR_INVALID_WINDOW_HANDLE) for a stale one.
WNDPROC procOf(HWND hwnd) {
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return w->proc;
}

// Removes a window whose WM_NCDESTROY has been handled.
void forget(HWND hwnd) {
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hwnd);
    if (!w) return;
    if (auto parent = findWindow(t, w->parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    }
    --w->windowClass->windows;
    if (t.active == hwnd) t.active = nullptr;
    t.windows.erase(reinterpret_cast<uintptr_t>(hwnd));
}

// `hwnd` and all windows below it: `parentsFirst` (pre-order) and `childrenFirst`
// (post-order), children in creation order.
void collectTree(WindowTable& t, HWND hwnd, std::vector<HWND>& parentsFirst,
                 std::vector<HWND>& childrenFirst) {
    auto w = findWindow(t, hwnd);
    if (!w) return;
    parentsFirst.push_back(hwnd);
    for (HWND child : w->children) collectTree(t, child, parentsFirst, childrenFirst);
    childrenFirst.push_back(hwnd);
}

struct MessageBoxHandlerSlot {
    std::mutex mutex;
    WinplatMessageBoxHandler handler = nullptr;
    void* context = nullptr;
};

MessageBoxHandlerSlot& messageBoxHandler() {
    static MessageBoxHandlerSlot slot;
    return slot;
}

// The buttons of a message box type, left to right; empty for an unknown type.
std::vector<int> buttonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return {IDOK};
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {};
    }
}

// Without a GUI: the text goes to standard error and the default button answers.
int defaultMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT type, void*) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::vector<int> buttons = buttonsOf(type);
    size_t index = (type & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

}  // namespace

void resetWindows() {
    WindowTable& t = table();
    std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
    std::vector<std::shared_ptr<WindowClass>> classes;
    std::lock_guard lock(t.mutex);
    windows.swap(t.windows);
    classes.swap(t.classes);
    t.nextAtom = 0xC000;
    t.active = nullptr;
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API ATOM RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (!lpWndClass || !lpWndClass->lpfnWndProc || !lpWndClass->lpszClassName ||
        isAtom(lpWndClass->lpszClassName) || !*lpWndClass->lpszClassName ||
        lpWndClass->cbClsExtra < 0 || lpWndClass->cbWndExtra < 0 ||
        lpWndClass->cbWndExtra > 0x10000) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    if (findClass(t, lpWndClass->lpszClassName)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    if (t.nextAtom == 0) {  // all 16384 atoms used since the last reset
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    auto c = std::make_shared<WindowClass>();
    c->name = lpWndClass->lpszClassName;
    c->atom = t.nextAtom++;
    c->proc = lpWndClass->lpfnWndProc;
    c->style = lpWndClass->style;
    c->windowExtra = lpWndClass->cbWndExtra;
    c->instance = lpWndClass->hInstance;
    t.classes.push_back(c);
    return c->atom;
}

// The instance is not compared: every module of the suite shares one process-wide class list.
WINPLAT_API BOOL UnregisterClassA(LPCSTR lpClassName, HINSTANCE /*hInstance*/) {
    if (!lpClassName) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    auto c = findClass(t, lpClassName);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    t.classes.erase(std::find(t.classes.begin(), t.classes.end(), c));
    return TRUE;
}

WINPLAT_API HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName,
                                 DWORD dwStyle, int X, int Y, int nWidth, int nHeight,
                                 HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                 LPVOID lpParam) {
    HWND hwnd = nullptr;
    HWND parent = hWndParent == HWND_MESSAGE ? nullptr : hWndParent;
    {
        WindowTable& t = table();
        std::lock_guard lock(t.mutex);
        auto c = lpClassName ? findClass(t, lpClassName) : nullptr;
        if (!c) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        std::shared_ptr<Window> parentWindow;
        if (parent) {
            parentWindow = findWindow(t, parent);
            if (!parentWindow || parentWindow->destroying) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
        }
        auto w = std::make_shared<Window>();
        hwnd = reinterpret_cast<HWND>(t.nextHandle);
        t.nextHandle += 4;
        w->handle = hwnd;
        w->windowClass = c;
        w->proc = c->proc;
        w->parent = parent;
        w->id = reinterpret_cast<LONG_PTR>(hMenu);
        w->style = static_cast<LONG>(dwStyle);
        w->exStyle = static_cast<LONG>(dwExStyle);
        w->instance = hInstance;
        w->extra.assign(static_cast<size_t>(c->windowExtra), 0);
        ++c->windows;
        if (parentWindow) parentWindow->children.push_back(hwnd);
        t.windows.emplace(reinterpret_cast<uintptr_t>(hwnd), std::move(w));
    }

    CREATESTRUCTA cs{};
    cs.lpCreateParams = lpParam;
    cs.hInstance = hInstance;
    cs.hMenu = hMenu;
    cs.hwndParent = hWndParent;
    cs.cy = nHeight;
    cs.cx = nWidth;
    cs.y = Y;
    cs.x = X;
    cs.style = static_cast<LONG>(dwStyle);
    cs.lpszName = lpWindowName;
    cs.lpszClass = lpClassName;
    cs.dwExStyle = dwExStyle;
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
    if (SendMessageA(hwnd, WM_CREATE, 0, lparam) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

// WM_DESTROY goes to the window and then down to its children (parents first); WM_NCDESTROY
// goes to the children first and the window last, after which every handle of the tree is stale.
WINPLAT_API BOOL DestroyWindow(HWND hWnd) {
    std::vector<HWND> parentsFirst, childrenFirst;
    {
        WindowTable& t = table();
        std::lock_guard lock(t.mutex);
        auto w = findWindow(t, hWnd);
        if (!w || w->destroying) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        collectTree(t, hWnd, parentsFirst, childrenFirst);
        for (HWND h : parentsFirst) findWindow(t, h)->destroying = true;
    }
    for (HWND h : parentsFirst) SendMessageA(h, WM_DESTROY, 0, 0);
    for (HWND h : childrenFirst) {
        SendMessageA(h, WM_NCDESTROY, 0, 0);
        forget(h);
    }
    return TRUE;
}

WINPLAT_API BOOL IsWindow(HWND hWnd) {
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    return findWindow(t, hWnd) != nullptr;
}

WINPLAT_API HWND GetParent(HWND hWnd) {
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return findWindow(t, w->parent) ? w->parent : nullptr;
}

WINPLAT_API LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = procOf(hWnd);
    return proc ? proc(hWnd, Msg, wParam, lParam) : 0;
}

WINPLAT_API LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    switch (Msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    default:
        return 0;
    }
}

WINPLAT_API LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (nIndex) {
    case GWLP_USERDATA:
        return w->userData;
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_ID:
        return w->id;
    case GWL_STYLE:
        return w->style;
    case GWL_EXSTYLE:
        return w->exStyle;
    default:
        break;
    }
    if (nIndex < 0 || static_cast<size_t>(nIndex) + sizeof(LONG_PTR) > w->extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    LONG_PTR value = 0;
    std::memcpy(&value, w->extra.data() + nIndex, sizeof value);
    return value;
}

WINPLAT_API LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
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
    if (nIndex < 0 || static_cast<size_t>(nIndex) + sizeof(LONG_PTR) > w->extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    std::memcpy(&old, w->extra.data() + nIndex, sizeof old);
    std::memcpy(w->extra.data() + nIndex, &dwNewLong, sizeof dwNewLong);
    return old;
}

WINPLAT_API HWND GetActiveWindow(void) {
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    return findWindow(t, t.active) ? t.active : nullptr;
}

WINPLAT_API HWND SetActiveWindow(HWND hWnd) {
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    if (hWnd && !findWindow(t, hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND previous = findWindow(t, t.active) ? t.active : nullptr;
    t.active = hWnd;
    return previous;
}

WINPLAT_API WinplatMessageBoxHandler WinplatSetMessageBoxHandler(WinplatMessageBoxHandler handler,
                                                                 void* context) {
    MessageBoxHandlerSlot& slot = messageBoxHandler();
    std::lock_guard lock(slot.mutex);
    WinplatMessageBoxHandler previous = slot.handler;
    slot.handler = handler;
    slot.context = handler ? context : nullptr;
    return previous;
}

WINPLAT_API int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    if (buttonsOf(uType).empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    WinplatMessageBoxHandler handler;
    void* context;
    {
        MessageBoxHandlerSlot& slot = messageBoxHandler();
        std::lock_guard lock(slot.mutex);
        handler = slot.handler ? slot.handler : defaultMessageBox;
        context = slot.context;
    }
    return handler(hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType, context);
}
