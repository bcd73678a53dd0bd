// DefDlgProcA (the DWLP_MSGRESULT rule and the dialog defaults), IsDialogMessageA (Tab, arrows,
// Enter, Escape and mnemonics through WM_GETDLGCODE) and the tab and group order.
#include <cctype>
#include <string>
#include <vector>

#include "controls.h"
#include "detail.h"
#include "dialog.h"

namespace winplat::detail {
namespace {

// Messages whose answer is the procedure's return value itself, not DWLP_MSGRESULT.
bool answersDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_INITDIALOG ||
           message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
           message == WM_QUERYDRAGICON;
}

LONG styleOf(HWND w) { return static_cast<LONG>(GetWindowLongPtrA(w, GWL_STYLE)); }

bool takesFocus(HWND w) {
    LONG style = styleOf(w);
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

std::vector<HWND> childrenOf(HWND dialog) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

UINT dialogCode(HWND control, const MSG* msg) {
    return static_cast<UINT>(SendMessageA(control, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg)));
}

// The default push button: the focused push button, else the one with BS_DEFPUSHBUTTON, else
// IDOK's.
int defaultButtonId(HWND dialog) {
    HWND focus = GetFocus();
    if (focus && IsChild(dialog, focus) && (dialogCode(focus, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
        return GetDlgCtrlID(focus);
    for (HWND c : childrenOf(dialog))
        if (dialogCode(c, nullptr) & DLGC_DEFPUSHBUTTON) return GetDlgCtrlID(c);
    return IDOK;
}

void pressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button && !IsWindowEnabled(button)) return;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void moveFocus(HWND dialog, HWND to) {
    if (!to) return;
    SetFocus(to);
    if (DialogInfo* info = dialogInfo(dialog)) info->focus = to;
    if (dialogCode(to, nullptr) & DLGC_HASSETSEL) SendMessageA(to, EM_SETSEL, 0, -1);
}

// The control whose text holds the mnemonic `letter`; a static hands the focus to the next
// control that takes it.
bool runMnemonic(HWND dialog, char letter) {
    std::vector<HWND> children = childrenOf(dialog);
    for (size_t i = 0; i < children.size(); ++i) {
        HWND c = children[i];
        if (!takesFocus(c) && !(styleOf(c) & WS_VISIBLE)) continue;
        char text[256];
        GetWindowTextA(c, text, sizeof text);
        if (mnemonicOf(text) != letter) continue;
        UINT code = dialogCode(c, nullptr);
        if (code & DLGC_STATIC) {
            for (size_t j = i + 1; j < children.size(); ++j)
                if (takesFocus(children[j]) && !(dialogCode(children[j], nullptr) & DLGC_STATIC)) {
                    moveFocus(dialog, children[j]);
                    return true;
                }
            return true;
        }
        if (!takesFocus(c)) return true;
        if (code & DLGC_BUTTON) {
            SetFocus(c);
            SendMessageA(c, BM_CLICK, 0, 0);
        } else {
            moveFocus(dialog, c);
        }
        return true;
    }
    return false;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    std::vector<HWND> all = childrenOf(hDlg);
    if (all.empty()) return nullptr;
    size_t n = all.size(), start = n - 1;
    for (size_t i = 0; i < n; ++i)
        if (all[i] == hCtl) start = i;
    if (!hCtl) start = bPrevious ? 0 : n - 1;
    for (size_t step = 1; step <= n; ++step) {
        size_t i = bPrevious ? (start + n - step % n) % n : (start + step) % n;
        if ((styleOf(all[i]) & WS_TABSTOP) && takesFocus(all[i])) return all[i];
    }
    return hCtl;
}

WINPLAT_API HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    std::vector<HWND> all = childrenOf(hDlg);
    size_t n = all.size(), at = n;
    for (size_t i = 0; i < n; ++i)
        if (all[i] == hCtl) at = i;
    if (at == n) return nullptr;
    // The group: from the WS_GROUP control at or before `at` to the one before the next WS_GROUP.
    size_t first = at;
    while (first > 0 && !(styleOf(all[first]) & WS_GROUP)) --first;
    size_t last = at + 1;
    while (last < n && !(styleOf(all[last]) & WS_GROUP)) ++last;
    size_t size = last - first;
    for (size_t step = 1; step < size; ++step) {
        size_t i = first + (bPrevious ? (at - first + size - step) % size : (at - first + step) % size);
        if (takesFocus(all[i])) return all[i];
    }
    return hCtl;
}

WINPLAT_API LRESULT DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return guardedCall(LRESULT{0}, [&]() -> LRESULT {
        auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(hDlg, DWLP_DLGPROC));
        if (proc) {
            SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, 0);
            INT_PTR handled = proc(hDlg, Msg, wParam, lParam);
            if (answersDirectly(Msg)) {
                if (handled || Msg == WM_INITDIALOG) return handled;
            } else if (handled) {
                return IsWindow(hDlg) ? GetWindowLongPtrA(hDlg, DWLP_MSGRESULT) : 0;
            }
        }
        switch (Msg) {
            case WM_CLOSE:
                PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
                return 0;
            case WM_ERASEBKGND: {
                auto dc = reinterpret_cast<HDC>(wParam);
                auto brush = reinterpret_cast<HBRUSH>(SendMessageA(hDlg, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hDlg)));
                if (!brush) brush = reinterpret_cast<HBRUSH>(DefWindowProcA(hDlg, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hDlg)));
                RECT client;
                GetClientRect(hDlg, &client);
                FillRect(dc, &client, brush);
                return 1;
            }
            case WM_ACTIVATE:
                if (LOWORD(wParam) != WA_INACTIVE) {
                    DialogInfo* info = dialogInfo(hDlg);
                    HWND focus = info && IsWindow(info->focus) ? info->focus : firstTabStop(hDlg);
                    if (focus) SetFocus(focus);
                } else if (HWND focus = GetFocus(); focus && IsChild(hDlg, focus)) {
                    if (DialogInfo* info = dialogInfo(hDlg)) info->focus = focus;
                }
                return 0;
            case WM_SETFOCUS: {
                DialogInfo* info = dialogInfo(hDlg);
                HWND focus = info && IsWindow(info->focus) ? info->focus : firstTabStop(hDlg);
                if (focus) SetFocus(focus);
                return 0;
            }
            case WM_NEXTDLGCTL: {
                HWND to = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                         : GetNextDlgTabItem(hDlg, GetFocus(), wParam != 0);
                moveFocus(hDlg, to);
                return 0;
            }
            case WM_GETFONT:
                if (DialogInfo* info = dialogInfo(hDlg)) return reinterpret_cast<LRESULT>(info->font);
                return 0;
            case WM_SETFONT: return 0;
            case WM_NCDESTROY:
                dropDialogInfo(hDlg);
                return DefWindowProcA(hDlg, Msg, wParam, lParam);
            case WM_USER: return 0;
            default: return DefWindowProcA(hDlg, Msg, wParam, lParam);
        }
    });
}

WINPLAT_API BOOL IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    if (!lpMsg || !hDlg) return FALSE;
    if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd)) return FALSE;
    HWND target = lpMsg->hwnd;
    UINT code = dialogCode(target, lpMsg);
    if (code & DLGC_WANTMESSAGE) {
        TranslateMessage(lpMsg);
        DispatchMessageA(lpMsg);
        return TRUE;
    }
    switch (lpMsg->message) {
        case WM_KEYDOWN:
            switch (lpMsg->wParam) {
                case VK_TAB:
                    if (code & DLGC_WANTTAB) break;
                    moveFocus(hDlg, GetNextDlgTabItem(hDlg, GetFocus(), GetKeyState(VK_SHIFT) < 0));
                    return TRUE;
                case VK_LEFT:
                case VK_UP:
                case VK_RIGHT:
                case VK_DOWN: {
                    if (code & DLGC_WANTARROWS) break;
                    bool back = lpMsg->wParam == VK_LEFT || lpMsg->wParam == VK_UP;
                    HWND next = GetNextDlgGroupItem(hDlg, GetFocus(), back);
                    if (next && next != GetFocus()) {
                        moveFocus(hDlg, next);
                        if (dialogCode(next, nullptr) & DLGC_RADIOBUTTON) SendMessageA(next, BM_CLICK, 0, 0);
                    }
                    return TRUE;
                }
                case VK_RETURN:
                    if (code & DLGC_WANTALLKEYS) break;
                    pressButton(hDlg, defaultButtonId(hDlg));
                    return TRUE;
                case VK_ESCAPE:
                    pressButton(hDlg, IDCANCEL);
                    return TRUE;
                default: break;
            }
            break;
        case WM_CHAR:
            if (lpMsg->wParam == '\t' || lpMsg->wParam == '\r' || lpMsg->wParam == 0x1B) return TRUE;
            if (code & DLGC_WANTCHARS) break;
            if (runMnemonic(hDlg, static_cast<char>(std::toupper(static_cast<int>(lpMsg->wParam))))) return TRUE;
            break;
        case WM_SYSCHAR:
            if (runMnemonic(hDlg, static_cast<char>(std::toupper(static_cast<int>(lpMsg->wParam))))) return TRUE;
            break;
        default: break;
    }
    TranslateMessage(lpMsg);
    DispatchMessageA(lpMsg);
    return TRUE;
}
