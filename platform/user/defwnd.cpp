// DefWindowProcA: the defaults real windows rely on.
#include <cstring>

#include "detail.h"
#include "queue.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

// The brush a class names: a handle, or a system colour index plus one.
HBRUSH classBrush(HBRUSH background) {
    auto value = reinterpret_cast<uintptr_t>(background);
    if (value > 0 && value <= COLOR_GRADIENTINACTIVECAPTION + 1) return GetSysColorBrush(static_cast<int>(value - 1));
    return background;
}

struct DefaultInfo {
    LONG style = 0;
    LONG exStyle = 0;
    bool child = false;
    HWND parent = nullptr;
    RECT screen{};
    HBRUSH background = nullptr;
    HCURSOR cursor = nullptr;
    LONG_PTR id = 0;
};

bool infoOf(HWND hwnd, DefaultInfo& info) {
    return withWindow(hwnd, false, [&](WindowTable& t, const std::shared_ptr<Window>& w) {
        info = {w->style, w->exStyle, w->isChild(), w->parent, screenRectOf(t, *w),
                w->windowClass->info.hbrBackground, w->windowClass->info.hCursor, w->id};
        return true;
    });
}

LRESULT setText(HWND hwnd, LPCSTR text) {
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        auto w = findWindow(t, hwnd);
        if (!w) return FALSE;
        w->text = text ? text : "";
    }
    syncDriverWindow(hwnd);
    return TRUE;
}

LRESULT getText(HWND hwnd, WPARAM size, LPSTR buffer, bool lengthOnly) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hwnd);
    if (!w) return 0;
    if (lengthOnly) return static_cast<LRESULT>(w->text.size());
    if (!buffer || size == 0) return 0;
    return static_cast<LRESULT>(copyBounded(buffer, size, w->text));
}

LRESULT controlColour(UINT message, HDC dc) {
    bool edit = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    int background = edit ? COLOR_WINDOW : COLOR_3DFACE;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(background));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

// The system menu below the caption's left end; a pick comes back as WM_SYSCOMMAND.
void showSystemMenu(HWND hwnd) {
    if (!(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_SYSMENU)) return;
    RECT r;
    GetWindowRect(hwnd, &r);
    int frame = GetSystemMetrics(SM_CXDLGFRAME);
    TrackPopupMenu(GetSystemMenu(hwnd, FALSE), TPM_LEFTALIGN | TPM_TOPALIGN, r.left + frame,
                   r.top + frame + GetSystemMetrics(SM_CYCAPTION), 0, hwnd, nullptr);
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return guardedCall(LRESULT{0}, [&]() -> LRESULT {
        DefaultInfo info;
        switch (Msg) {
            case WM_NCCREATE: return TRUE;
            case WM_NCCALCSIZE: {
                if (!lParam || !infoOf(hWnd, info)) return 0;
                RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                 : reinterpret_cast<RECT*>(lParam);
                *r = clientInside(*r, info.style, info.exStyle);
                return 0;
            }
            case WM_NCHITTEST:
                if (!infoOf(hWnd, info)) return HTNOWHERE;
                return hitTest(info.screen, info.style, info.exStyle,
                               POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            case WM_NCPAINT: paintNonClient(hWnd); return 0;
            case WM_NCACTIVATE: return TRUE;
            case WM_PAINT: {
                PAINTSTRUCT ps;
                if (BeginPaint(hWnd, &ps)) EndPaint(hWnd, &ps);
                return 0;
            }
            case WM_ERASEBKGND: {
                if (!infoOf(hWnd, info)) return 0;
                HBRUSH brush = classBrush(info.background);
                if (!brush) return 0;
                RECT client;
                GetClientRect(hWnd, &client);
                FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
                return 1;
            }
            case WM_SETTEXT: return setText(hWnd, reinterpret_cast<LPCSTR>(lParam));
            case WM_GETTEXT: return getText(hWnd, wParam, reinterpret_cast<LPSTR>(lParam), false);
            case WM_GETTEXTLENGTH: return getText(hWnd, 0, nullptr, true);
            case WM_CLOSE: DestroyWindow(hWnd); return 0;
            case WM_SYSCOMMAND:
                if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hWnd, WM_CLOSE, 0, 0);
                if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == ' ') showSystemMenu(hWnd);
                return 0;
            case WM_SYSCHAR:
                // Alt+Space opens the system menu of the top-level window.
                if (wParam == ' ')
                    SendMessageA(GetAncestor(hWnd, GA_ROOT), WM_SYSCOMMAND, SC_KEYMENU, ' ');
                return 0;
            case WM_NCLBUTTONUP:
                if (wParam == HTCLOSE) SendMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
                return 0;
            case WM_SYSKEYDOWN:
                if (wParam == VK_F4 && (lParam & (1 << 29)))
                    SendMessageA(GetAncestor(hWnd, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
                return 0;
            case WM_KEYDOWN:
                if (wParam == VK_F1 && infoOf(hWnd, info)) {
                    HELPINFO help{sizeof(HELPINFO), HELPINFO_WINDOW, static_cast<int>(info.id),
                                  hWnd, 0, lastPointerPosition()};
                    SendMessageA(hWnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
                }
                return 0;
            case WM_HELP:
            case WM_CONTEXTMENU:
                // A child passes them up to its parent.
                if (infoOf(hWnd, info) && info.child) return SendMessageA(info.parent, Msg, wParam, lParam);
                return 0;
            case WM_RBUTTONUP: {
                POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ClientToScreen(hWnd, &p);
                SendMessageA(hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hWnd), MAKELPARAM(p.x, p.y));
                return 0;
            }
            case WM_CTLCOLORMSGBOX:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORDLG:
            case WM_CTLCOLORSCROLLBAR:
            case WM_CTLCOLORSTATIC: return controlColour(Msg, reinterpret_cast<HDC>(wParam));
            case WM_WINDOWPOSCHANGED: {
                auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
                if (!wp) return 0;
                if (!(wp->flags & SWP_NOSIZE)) {
                    RECT c;
                    GetClientRect(hWnd, &c);
                    SendMessageA(hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right, c.bottom));
                }
                if (!(wp->flags & SWP_NOMOVE)) {
                    POINT p{0, 0};
                    ClientToScreen(hWnd, &p);
                    if (HWND parent = GetAncestor(hWnd, GA_PARENT); parent && parent != GetDesktopWindow())
                        ScreenToClient(parent, &p);
                    SendMessageA(hWnd, WM_MOVE, 0, MAKELPARAM(p.x, p.y));
                }
                return 0;
            }
            case WM_SETCURSOR: {
                if (!infoOf(hWnd, info)) return FALSE;
                // The parent decides first.
                if (info.child && SendMessageA(info.parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
                if (LOWORD(lParam) == HTCLIENT) {
                    if (info.cursor) {
                        SetCursor(info.cursor);
                        return TRUE;
                    }
                    return FALSE;
                }
                SetCursor(LoadCursorA(nullptr, IDC_ARROW));
                return FALSE;
            }
            case WM_ACTIVATE:
                if (LOWORD(wParam) != WA_INACTIVE) {
                    HWND focus = GetFocus();
                    if (focus != hWnd && !IsChild(hWnd, focus)) SetFocus(hWnd);
                }
                return 0;
            case WM_MOUSEACTIVATE: return 1;  // MA_ACTIVATE
            default: return 0;
        }
    });
}
