// Mouse and keyboard input as WM_* messages: hit-testing to the deepest visible child, capture,
// key state (GetAsyncKeyState from the display, GetKeyState following retrieved messages),
// SendInput, TrackMouseEvent, and the input the driver delivers.
#include <array>
#include <unordered_map>
#include <mutex>

#include "cursoricon.h"
#include "detail.h"
#include "display_backend.h"
#include "queue.h"
#include "winplat.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

// GetKeyState's table of a thread: 0x80 down, 0x01 toggled. A thread has one from the first
// input sent its way, taken from the display's state just before that input.
using ThreadKeys = std::array<BYTE, 256>;

struct InputState {
    std::mutex mutex;
    std::array<bool, 256> held{};  // keys and buttons down through input this process saw
    std::unordered_map<DWORD, ThreadKeys> threads;
    HWND tracking = nullptr;       // TrackMouseEvent(TME_LEAVE)
    HWND lastUnder = nullptr;
};

InputState& inputState() {
    static InputState s;
    return s;
}

int genericKey(int vk) {
    switch (vk) {
        case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
        case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
        case VK_LMENU: case VK_RMENU: return VK_MENU;
        default: return vk;
    }
}

bool asyncHeld(int vk) {
    vk = genericKey(vk);
    if (vk <= 0 || vk > 255) return false;
    {
        InputState& s = inputState();
        std::lock_guard lock(s.mutex);
        if (s.held[static_cast<size_t>(vk)]) return true;
    }
    auto access = displayBackend();
    return access.backend.keyHeld(vk) == 1;
}

void setHeld(int vk, bool down) {
    InputState& s = inputState();
    std::lock_guard lock(s.mutex);
    s.held[static_cast<size_t>(vk & 0xFF)] = down;
    s.held[static_cast<size_t>(genericKey(vk) & 0xFF)] = down;
}

// Gives `thread` its key table, as the display stands before the input about to be sent.
void snapshotKeys(DWORD thread) {
    {
        InputState& s = inputState();
        std::lock_guard lock(s.mutex);
        if (s.threads.count(thread)) return;
    }
    ThreadKeys keys{};
    for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON, VK_RBUTTON, VK_MBUTTON})
        keys[static_cast<size_t>(vk)] = asyncHeld(vk) ? 0x80 : 0;
    InputState& s = inputState();
    std::lock_guard lock(s.mutex);
    s.threads.emplace(thread, keys);
}

WPARAM mouseKeys() {
    WPARAM keys = 0;
    if (asyncHeld(VK_LBUTTON)) keys |= MK_LBUTTON;
    if (asyncHeld(VK_RBUTTON)) keys |= MK_RBUTTON;
    if (asyncHeld(VK_MBUTTON)) keys |= MK_MBUTTON;
    if (asyncHeld(VK_SHIFT)) keys |= MK_SHIFT;
    if (asyncHeld(VK_CONTROL)) keys |= MK_CONTROL;
    return keys;
}

struct Candidate {
    HWND hwnd;
    bool disabled;
    std::vector<HWND> children;
};

// The visible window at a desktop point among `list` (z-order, top first), descending into
// children; windows answering HTTRANSPARENT let the ones below them answer.
HWND searchAt(const std::vector<HWND>& list, POINT p, LRESULT& hit) {
    for (HWND h : list) {
        Candidate c{};
        RECT r{}, client{};
        {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            auto w = findWindow(t, h);
            if (!w || !w->visible()) continue;
            r = screenRectOf(t, *w);
            POINT o = clientOriginOf(t, *w);
            client = {o.x, o.y, o.x + w->client.right - w->client.left, o.y + w->client.bottom - w->client.top};
            c = {h, (w->style & WS_DISABLED) != 0, w->children};
        }
        if (!PtInRect(&r, p)) continue;
        LRESULT code = SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
        if (code == HTTRANSPARENT) continue;
        hit = code;
        if (c.disabled) return h;
        if (PtInRect(&client, p)) {
            LRESULT childHit = HTNOWHERE;
            if (HWND child = searchAt(c.children, p, childHit)) {
                hit = childHit;
                return child;
            }
        }
        return h;
    }
    return nullptr;
}

// A disabled window passes input to its parent.
HWND enabledAncestor(HWND hwnd) {
    while (hwnd && !IsWindowEnabled(hwnd)) {
        HWND parent = GetAncestor(hwnd, GA_PARENT);
        if (!parent || parent == GetDesktopWindow()) return nullptr;
        hwnd = parent;
    }
    return hwnd;
}

void postInput(HWND target, UINT message, WPARAM wParam, LPARAM lParam, POINT desktop) {
    DWORD thread = GetWindowThreadProcessId(target, nullptr);
    if (!thread) return;
    postToThread(thread, MSG{target, message, wParam, lParam, GetTickCount(), desktop}, true);
}

void deliverMouse(UINT message, POINT desktop) {
    setLastPointerPosition(desktop);
    LRESULT hit = HTCLIENT;
    HWND target = windowAt(desktop, &hit);
    HWND leaving = nullptr;
    {
        InputState& s = inputState();
        std::lock_guard lock(s.mutex);
        if (s.tracking && s.tracking != target) leaving = std::exchange(s.tracking, nullptr);
        s.lastUnder = target;
    }
    if (leaving && IsWindow(leaving)) postInput(leaving, WM_MOUSELEAVE, 0, 0, desktop);
    pointerOver(target);
    if (!target) return;
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
        // The window may refuse the activation (popup lists and menus answer MA_NOACTIVATE).
        HWND top = GetAncestor(target, GA_ROOT);
        constexpr LRESULT kNoActivate = 3, kNoActivateAndEat = 4, kActivateAndEat = 2;
        LRESULT answer = SendMessageA(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(hit, message));
        if (answer != kNoActivate && answer != kNoActivateAndEat && top && top != GetActiveWindow() &&
            IsWindowEnabled(top))
            SetActiveWindow(top);
        if (answer == kNoActivateAndEat || answer == kActivateAndEat) return;
    }
    if (hit == HTCLIENT) {
        POINT c = desktop;
        ScreenToClient(target, &c);
        postInput(target, message, mouseKeys(), MAKELPARAM(c.x, c.y), desktop);
    } else {
        postInput(target, message - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit),
                  MAKELPARAM(desktop.x, desktop.y), desktop);
    }
}

void deliverKey(UINT vk, bool down, UINT scan, bool extended) {
    HWND target = GetFocus();
    if (!target) target = GetActiveWindow();
    if (target) snapshotKeys(GetWindowThreadProcessId(target, nullptr));
    bool wasDown = asyncHeld(static_cast<int>(vk));
    setHeld(static_cast<int>(vk), down);
    if (!target) return;
    bool alt = asyncHeld(VK_MENU);
    bool system = (alt && !asyncHeld(VK_CONTROL)) || vk == VK_F10 || (vk == VK_MENU);
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM lParam = 1 | static_cast<LPARAM>((scan & 0xFF) << 16) | (extended ? (1 << 24) : 0) |
                    (alt ? (1 << 29) : 0) | (wasDown ? (1 << 30) : 0);
    if (!down) lParam |= static_cast<LPARAM>(1u << 31) | (1 << 30);
    postInput(target, message, vk, lParam, lastPointerPosition());
}

// The driver's input arrives on the GUI thread while it waits.
void hostMouse(HWND, UINT message, LONG x, LONG y) {
    snapshotKeys(GetCurrentThreadId());
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) setHeld(VK_LBUTTON, message == WM_LBUTTONDOWN);
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP) setHeld(VK_RBUTTON, message == WM_RBUTTONDOWN);
    if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP) setHeld(VK_MBUTTON, message == WM_MBUTTONDOWN);
    deliverMouse(message, POINT{x, y});
}

void hostKey(HWND, UINT vk, BOOL down, UINT scan, BOOL extended) {
    deliverKey(vk, down != FALSE, scan, extended != FALSE);
}

}  // namespace

void inputFromDriver(WinplatHostFunctions& host) {
    host.mouseInput = hostMouse;
    host.keyInput = hostKey;
}

HWND windowAt(POINT desktop, LRESULT* hit) {
    LRESULT code = HTCLIENT;
    HWND found = nullptr;
    if (HWND capture = GetCapture()) {
        found = capture;
    } else {
        std::vector<HWND> tops = topLevelWindows();
        found = enabledAncestor(searchAt(tops, desktop, code));
    }
    if (hit) *hit = code;
    return found;
}

void inputRetrieved(const MSG& msg) {
    snapshotKeys(GetCurrentThreadId());
    bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.message != WM_CHAR &&
               msg.message != WM_SYSCHAR;
    bool mouse = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
    {
        InputState& state = inputState();
        std::lock_guard lock(state.mutex);
        ThreadKeys& keys = state.threads[GetCurrentThreadId()];
        if (key) {
            auto vk = static_cast<size_t>(msg.wParam & 0xFF);
            bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
            BYTE& s = keys[vk];
            if (down && !(s & 0x80)) s ^= 0x01;  // toggled on each press
            s = static_cast<BYTE>(down ? (s | 0x80) : (s & ~0x80));
            keys[static_cast<size_t>(genericKey(static_cast<int>(vk)))] = s;
        } else if (mouse) {
            keys[VK_LBUTTON] = (msg.wParam & MK_LBUTTON) ? 0x80 : 0;
            keys[VK_RBUTTON] = (msg.wParam & MK_RBUTTON) ? 0x80 : 0;
            keys[VK_MBUTTON] = (msg.wParam & MK_MBUTTON) ? 0x80 : 0;
        }
    }
    if (key) return;
    if (mouse) {
        SendMessageA(msg.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(msg.hwnd), MAKELPARAM(HTCLIENT, msg.message));
    } else if (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMOUSEMOVE + 9) {
        SendMessageA(msg.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(msg.hwnd),
                     MAKELPARAM(msg.wParam, msg.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE));
    }
}

void windowGone(HWND hwnd) {
    {
        InputState& s = inputState();
        std::lock_guard lock(s.mutex);
        if (s.tracking == hwnd) s.tracking = nullptr;
        if (s.lastUnder == hwnd) s.lastUnder = nullptr;
    }
    pointerOver(nullptr);
}

void resetInput() {
    {
        InputState& s = inputState();
        std::lock_guard lock(s.mutex);
        s.held.fill(false);
        s.threads.clear();
        s.tracking = s.lastUnder = nullptr;
    }
    resetCursors();
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API SHORT GetAsyncKeyState(int vKey) {
    return guardedCall(SHORT{0}, [&]() -> SHORT {
        return asyncHeld(vKey) ? static_cast<SHORT>(0x8000) : 0;
    });
}

// Before this thread has retrieved any input, the display answers, so a key held when the
// program starts counts.
WINPLAT_API SHORT GetKeyState(int nVirtKey) {
    return guardedCall(SHORT{0}, [&]() -> SHORT {
        if (nVirtKey <= 0 || nVirtKey > 255) return 0;
        BYTE s = 0;
        bool known = false;
        {
            InputState& state = inputState();
            std::lock_guard lock(state.mutex);
            auto it = state.threads.find(GetCurrentThreadId());
            if (it != state.threads.end()) known = true, s = it->second[static_cast<size_t>(nVirtKey)];
        }
        if (!known) return asyncHeld(nVirtKey) ? static_cast<SHORT>(0x8000) : 0;
        return static_cast<SHORT>(((s & 0x80) ? 0x8000 : 0) | (s & 0x01));
    });
}

WINPLAT_API UINT SendInput(UINT cInputs, LPINPUT pInputs, int cbSize) {
    return guardedCall(UINT{0}, [&]() -> UINT {
        if (!pInputs || cbSize != static_cast<int>(sizeof(INPUT))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        for (UINT i = 0; i < cInputs; ++i) {
            const INPUT& in = pInputs[i];
            if (in.type == INPUT_KEYBOARD) {
                deliverKey(in.ki.wVk, !(in.ki.dwFlags & KEYEVENTF_KEYUP), in.ki.wScan,
                           (in.ki.dwFlags & KEYEVENTF_EXTENDEDKEY) != 0);
                continue;
            }
            if (in.type != INPUT_MOUSE) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return i;
            }
            POINT p = lastPointerPosition();
            if (in.mi.dwFlags & MOUSEEVENTF_MOVE) {
                if (in.mi.dwFlags & MOUSEEVENTF_ABSOLUTE) p = {in.mi.dx, in.mi.dy};
                else p = {p.x + in.mi.dx, p.y + in.mi.dy};
                SetCursorPos(p.x, p.y);
                GetCursorPos(&p);
                deliverMouse(WM_MOUSEMOVE, p);
            }
            struct Button {
                DWORD flag;
                int vk;
                UINT message;
                bool down;
            } buttons[] = {{MOUSEEVENTF_LEFTDOWN, VK_LBUTTON, WM_LBUTTONDOWN, true},
                           {MOUSEEVENTF_LEFTUP, VK_LBUTTON, WM_LBUTTONUP, false},
                           {MOUSEEVENTF_RIGHTDOWN, VK_RBUTTON, WM_RBUTTONDOWN, true},
                           {MOUSEEVENTF_RIGHTUP, VK_RBUTTON, WM_RBUTTONUP, false},
                           {MOUSEEVENTF_MIDDLEDOWN, VK_MBUTTON, WM_MBUTTONDOWN, true},
                           {MOUSEEVENTF_MIDDLEUP, VK_MBUTTON, WM_MBUTTONUP, false}};
            for (const Button& b : buttons) {
                if (!(in.mi.dwFlags & b.flag)) continue;
                snapshotKeys(GetCurrentThreadId());
                setHeld(b.vk, b.down);
                deliverMouse(b.message, p);
            }
        }
        return cInputs;
    });
}

WINPLAT_API HWND SetCapture(HWND hWnd) {
    HWND previous = nullptr;
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        if (!findWindow(t, hWnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        previous = findWindow(t, t.capture) ? t.capture : nullptr;
        t.capture = hWnd;
    }
    if (previous && previous != hWnd)
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
    return previous;
}

WINPLAT_API BOOL ReleaseCapture(void) {
    HWND previous = nullptr;
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        previous = findWindow(t, t.capture) ? t.capture : nullptr;
        t.capture = nullptr;
    }
    if (previous) SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

WINPLAT_API HWND GetCapture(void) { return liveWindow(&WindowTable::capture); }

// TME_LEAVE (and TME_CANCEL of it): WM_MOUSELEAVE is posted once the pointer leaves the window.
// Hover tracking is not supplied (ERROR_INVALID_FLAGS).
WINPLAT_API BOOL TrackMouseEvent(LPTRACKMOUSEEVENT e) {
    if (!e || e->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (e->dwFlags & TME_HOVER) {
        SetLastError(ERROR_INVALID_FLAGS);
        return FALSE;
    }
    if (!IsWindow(e->hwndTrack)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    InputState& s = inputState();
    std::lock_guard lock(s.mutex);
    if (e->dwFlags & TME_CANCEL) {
        if (s.tracking == e->hwndTrack) s.tracking = nullptr;
        return TRUE;
    }
    if (e->dwFlags & TME_LEAVE) {
        if (s.lastUnder != e->hwndTrack) {
            // Already outside: the leave comes at once.
            postToThread(GetWindowThreadProcessId(e->hwndTrack, nullptr),
                         MSG{e->hwndTrack, WM_MOUSELEAVE, 0, 0, GetTickCount(), lastPointerPosition()}, true);
            return TRUE;
        }
        s.tracking = e->hwndTrack;
    }
    return TRUE;
}

WINPLAT_API BOOL WinplatVirtualSetKeyState(int virtualKey, BOOL down) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        if (virtualKey <= 0 || virtualKey > 255) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (!setVirtualKeyHeld(genericKey(virtualKey), down != FALSE)) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        return TRUE;
    });
}
