// Message boxes: the process-wide handler first when one is installed; with the driver a
// "#32770" dialog titled with the caption, the style's icon, the wrapped text and the buttons of
// the type (the default one as MB_DEFBUTTONn says), answering Win32's codes; without the driver
// the text goes to standard error and the default button answers.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "codepage.h"
#include "detail.h"
#include "dialog.h"
#include "dialog_template.h"
#include "driver.h"
#include "gdi_internal.h"
#include "handler_slot.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

HandlerSlot<WinplatMessageBoxHandler>& messageBoxHandler() {
    static HandlerSlot<WinplatMessageBoxHandler> slot;
    return slot;
}

// The buttons of a message box type, left to right; empty for an unknown type.
std::vector<int> buttonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return {IDOK};
        case MB_OKCANCEL: return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO: return {IDYES, IDNO};
        case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
        default: return {};
    }
}

int defaultButton(UINT type) {
    std::vector<int> buttons = buttonsOf(type);
    size_t index = (type & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

const char* labelOf(int id) {
    switch (id) {
        case IDOK: return "OK";
        case IDCANCEL: return "Cancel";
        case IDABORT: return "&Abort";
        case IDRETRY: return "&Retry";
        case IDIGNORE: return "&Ignore";
        case IDYES: return "&Yes";
        case IDNO: return "&No";
        default: return "";
    }
}

int textMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT type, void*) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return defaultButton(type);
}

int iconElement(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONHAND: return WINPLAT_THEME_ICONERROR;
        case MB_ICONQUESTION: return WINPLAT_THEME_ICONQUESTION;
        case MB_ICONEXCLAMATION: return WINPLAT_THEME_ICONWARNING;
        case MB_ICONASTERISK: return WINPLAT_THEME_ICONINFORMATION;
        default: return 0;
    }
}

struct BoxRequest {
    std::string text;
    UINT type = 0;
};

constexpr int kMargin = 11, kIcon = 32, kButtonWidth = 75, kButtonHeight = 23, kGap = 6, kMaxTextWidth = 400;

// Lays the box out once its font is known: icon, text, buttons centred below.
void layOut(HWND box, const BoxRequest& r) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
    HDC dc = GetDC(box);
    RECT text{0, 0, kMaxTextWidth, 0};
    if (dc) {
        HGDIOBJ old = SelectObject(dc, font);
        DrawTextA(dc, r.text.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(box, dc);
    }
    bool icon = iconElement(r.type) != 0;
    int textLeft = kMargin + (icon ? kIcon + kMargin : 0);
    int textHeight = std::max<int>(text.bottom, icon ? kIcon : 0);
    std::vector<int> buttons = buttonsOf(r.type);
    int buttonsWidth = static_cast<int>(buttons.size()) * (kButtonWidth + kGap) - kGap;
    int width = std::max(textLeft + static_cast<int>(text.right) + kMargin, buttonsWidth + 2 * kMargin);
    int buttonTop = kMargin + textHeight + kMargin;
    int height = buttonTop + kButtonHeight + kMargin;
    HINSTANCE instance = nullptr;
    HWND label = CreateWindowExA(0, "Static", r.text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, textLeft,
                                 kMargin + (textHeight - text.bottom) / 2, text.right, text.bottom, box,
                                 reinterpret_cast<HMENU>(0xFFFF), instance, nullptr);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    int x = (width - buttonsWidth) / 2;
    int chosen = defaultButton(r.type);
    for (int id : buttons) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (id == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND b = CreateWindowExA(0, "Button", labelOf(id), style, x, buttonTop, kButtonWidth, kButtonHeight, box,
                                 reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), instance, nullptr);
        SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
        if (id == chosen) SetFocus(b);
        x += kButtonWidth + kGap;
    }
    RECT frame{0, 0, width, height};
    LONG style = static_cast<LONG>(GetWindowLongPtrA(box, GWL_STYLE)), ex = static_cast<LONG>(GetWindowLongPtrA(box, GWL_EXSTYLE));
    AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(ex));
    HWND owner = GetWindow(box, GW_OWNER);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoA(owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY) : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
    int w = frame.right - frame.left, h = frame.bottom - frame.top;
    SetWindowPos(box, nullptr, mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - w) / 2,
                 mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* r = reinterpret_cast<BoxRequest*>(GetWindowLongPtrA(box, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(box, DWLP_USER, lParam);
            layOut(box, *reinterpret_cast<BoxRequest*>(lParam));
            return FALSE;  // the default button has the focus already
        case WM_PAINT: {
            if (!r || !iconElement(r->type)) return FALSE;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(box, &ps);
            if (dc) drawThemeElement(dc, iconElement(r->type), 0, RECT{kMargin, kMargin, kMargin + kIcon, kMargin + kIcon});
            EndPaint(box, &ps);
            return TRUE;
        }
        case WM_COMMAND: {
            int id = LOWORD(wParam);
            std::vector<int> buttons = r ? buttonsOf(r->type) : std::vector<int>{};
            // Escape and the close box answer Cancel, or OK for a box with only OK.
            if (id == IDCANCEL && buttons.size() == 1 && buttons[0] == IDOK) id = IDOK;
            if (std::find(buttons.begin(), buttons.end(), id) != buttons.end()) EndDialog(box, id);
            return TRUE;
        }
        default: return FALSE;
    }
}

// An empty classic template with the caption and the dialog font; the box lays itself out.
std::vector<BYTE> boxTemplate(LPCSTR caption) {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.cx = 100, t.cy = 40;
    t.title = caption;
    t.pointSize = 8;
    t.face = "MS Shell Dlg";
    return writeDialogTemplate(t);
}

int dialogMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    BoxRequest request{text, type};
    std::vector<BYTE> t = boxTemplate(caption);
    HWND box = createDialog(nullptr, t, owner, boxProc, reinterpret_cast<LPARAM>(&request), nullptr, true);
    if (!box) return 0;
    MessageBeep(type & MB_ICONMASK);
    return static_cast<int>(runModal(box, owner));
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API WinplatMessageBoxHandler WinplatSetMessageBoxHandler(WinplatMessageBoxHandler handler, void* context) {
    return messageBoxHandler().set(handler, context);
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
    LPCSTR text = lpText ? lpText : "", caption = lpCaption ? lpCaption : "Error";
    auto [handler, context] = messageBoxHandler().get();
    if (handler) return handler(hWnd, text, caption, uType, context);
    if (!loadedGuiDriver()) return textMessageBox(hWnd, text, caption, uType, nullptr);
    return guardedCall(0, [&] { return dialogMessageBox(hWnd, text, caption, uType); });
}
