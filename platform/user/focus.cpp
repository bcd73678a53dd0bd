// Activation, focus and enabled state. SetFocus activates the window's top-level window first
// (WM_QUERYNEWPALETTE, WM_NCACTIVATE, WM_ACTIVATE), then sends WM_KILLFOCUS and WM_SETFOCUS.
// WM_PALETTECHANGED is never sent: surfaces are true colour.
#include "detail.h"
#include "session.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

HWND topLevelHandle(HWND hwnd) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hwnd);
    return w ? topLevelOf(t, w)->handle : nullptr;
}

}  // namespace

void activateAnother(HWND leaving) {
    HWND next = nullptr;
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        auto w = findWindow(t, leaving);
        auto owner = w ? findWindow(t, w->owner) : nullptr;
        if (owner && owner->visible() && !(owner->style & WS_DISABLED)) {
            next = owner->handle;
        } else {
            for (HWND h : t.topLevels) {
                auto o = findWindow(t, h);
                if (h != leaving && o && o->visible() && !(o->style & WS_DISABLED) && !o->destroying) {
                    next = h;
                    break;
                }
            }
        }
    }
    SetActiveWindow(next);
}

void releaseHiddenFocus(HWND hidden) {
    HWND focus = GetFocus();
    if (focus && (focus == hidden || IsChild(hidden, focus))) {
        HWND parent = GetParent(hidden);
        SetFocus(parent && IsChild(parent, hidden) ? parent : nullptr);
    }
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HWND GetActiveWindow(void) { return liveWindow(&WindowTable::active); }

WINPLAT_API HWND SetActiveWindow(HWND hWnd) {
    return guardedCall(HWND{}, [&]() -> HWND {
        HWND previous = nullptr;
        HWND top = nullptr;
        {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            auto w = hWnd ? findWindow(t, hWnd) : nullptr;
            if (hWnd && !w) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            top = w ? topLevelOf(t, w)->handle : nullptr;
            previous = findWindow(t, t.active) ? t.active : nullptr;
            if (previous == top) return previous;
            t.active = top;
        }
        if (previous) {
            SendMessageA(previous, WM_NCACTIVATE, FALSE, 0);
            SendMessageA(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(top));
        }
        if (top && IsWindow(top)) {
            SendMessageA(top, WM_QUERYNEWPALETTE, 0, 0);
            SendMessageA(top, WM_NCACTIVATE, TRUE, 0);
            SendMessageA(top, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
        } else if (!top) {
            // Nothing active: nothing has the focus either.
            WindowTable& t = windowTable();
            std::unique_lock lock(t.mutex);
            HWND focus = std::exchange(t.focus, nullptr);
            lock.unlock();
            if (focus && IsWindow(focus)) SendMessageA(focus, WM_KILLFOCUS, 0, 0);
        }
        return previous;
    });
}

WINPLAT_API HWND GetFocus(void) { return liveWindow(&WindowTable::focus); }

WINPLAT_API HWND SetFocus(HWND hWnd) {
    return guardedCall(HWND{}, [&]() -> HWND {
        if (hWnd && !IsWindow(hWnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if (hWnd) {
            HWND top = topLevelHandle(hWnd);
            if (top != GetActiveWindow()) SetActiveWindow(top);
        }
        HWND previous = nullptr;
        {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            previous = findWindow(t, t.focus) ? t.focus : nullptr;
            if (previous == hWnd) return previous;
            t.focus = hWnd;
        }
        if (previous) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
        if (hWnd && IsWindow(hWnd) && GetFocus() == hWnd)
            SendMessageA(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
        return previous;
    });
}

WINPLAT_API BOOL SetForegroundWindow(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    HWND top = topLevelHandle(hWnd);
    SetActiveWindow(top);
    if (IsWindowVisible(top)) SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

WINPLAT_API HWND GetForegroundWindow(void) { return GetActiveWindow(); }

// The result is whether the window was disabled before.
WINPLAT_API BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
    // -1: no window; 0/1 whether it was disabled, +2 when the state changes.
    int was = withWindow(hWnd, -1, [&](WindowTable&, const std::shared_ptr<Window>& w) {
        bool disabled = (w->style & WS_DISABLED) != 0;
        if (disabled == !bEnable) return int{disabled};
        if (bEnable) w->style &= ~WS_DISABLED;
        else w->style |= WS_DISABLED;
        return int{disabled} + 2;
    });
    if (was < 2) return was == 1;
    BOOL wasDisabled = was == 3;
    if (!bEnable) {
        HWND focus = GetFocus();
        if (focus == hWnd || IsChild(hWnd, focus)) SetFocus(nullptr);
        if (GetCapture() == hWnd) ReleaseCapture();
    }
    SendMessageA(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled;
}

WINPLAT_API BOOL IsWindowEnabled(HWND hWnd) {
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        if (auto w = findWindow(t, hWnd)) return !(w->style & WS_DISABLED);
    }
    auto other = foreignWindow(hWnd);  // another process's window: its own style
    return other && !(other->style & WS_DISABLED) ? TRUE : FALSE;
}
