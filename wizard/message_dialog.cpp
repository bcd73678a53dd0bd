#include "message_dialog.h"

#include "resource_ids.h"
#include "win32_extras.h"

namespace huevista {
namespace {

struct Request {
    MessageKind kind;
    const std::string* text;
    HFONT font;
    HICON icon;
};

RECT childRect(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void moveBy(HWND dialog, int id, int dx, int dy) {
    const RECT r = childRect(dialog, id);
    SetWindowPos(GetDlgItem(dialog, id), nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// Grows the text control and the dialog so that the whole text shows, moving the buttons down.
void fitText(HWND dialog, const Request& request) {
    HWND text = GetDlgItem(dialog, IDC_MESSAGE_TEXT);
    RECT area = childRect(dialog, IDC_MESSAGE_TEXT);
    RECT needed{0, 0, area.right - area.left, 0};
    HDC dc = GetDC(text);
    HGDIOBJ old = SelectObject(dc, request.font);
    DrawTextA(dc, request.text->c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(text, dc);
    const int grow = needed.bottom - (area.bottom - area.top);
    if (grow <= 0) return;
    SetWindowPos(text, nullptr, 0, 0, area.right - area.left, needed.bottom, SWP_NOMOVE | SWP_NOZORDER);
    moveBy(dialog, IDOK, 0, grow);
    moveBy(dialog, IDCANCEL, 0, grow);
    RECT frame{};
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + grow,
                 SWP_NOMOVE | SWP_NOZORDER);
}

void centreOnOwner(HWND dialog) {
    HWND owner = GetParent(dialog);
    RECT o{}, d{};
    if (!owner || !GetWindowRect(owner, &o) || !GetWindowRect(dialog, &d)) return;
    SetWindowPos(dialog, nullptr, o.left + ((o.right - o.left) - (d.right - d.left)) / 2,
                 o.top + ((o.bottom - o.top) - (d.bottom - d.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// At the right edge of the screen that holds the owner, centred vertically.
void placeAtScreenEdge(HWND dialog) {
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    RECT d{};
    if (!GetMonitorInfoA(MonitorFromWindow(GetParent(dialog), MONITOR_DEFAULTTONEAREST), &screen) ||
        !GetWindowRect(dialog, &d))
        return;
    const RECT& m = screen.rcMonitor;
    SetWindowPos(dialog, nullptr, m.right - (d.right - d.left), m.top + ((m.bottom - m.top) - (d.bottom - d.top)) / 2,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto& request = *reinterpret_cast<const Request*>(lParam);
            SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(request.icon));
            SendDlgItemMessageA(dialog, IDC_MESSAGE_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(request.font), FALSE);
            SetDlgItemTextA(dialog, IDC_MESSAGE_TEXT, request.text->c_str());
            fitText(dialog, request);
            HWND ok = GetDlgItem(dialog, IDOK), cancel = GetDlgItem(dialog, IDCANCEL);
            switch (request.kind) {
                case MessageKind::Warning: break;  // "&Adjust" and "&Continue" as the template has them
                case MessageKind::WarningAtEdge: placeAtScreenEdge(dialog); return TRUE;
                case MessageKind::YesNo:
                    SetWindowTextA(ok, "&Yes");
                    SetWindowTextA(cancel, "&No");
                    centreOnOwner(dialog);
                    SetFocus(cancel);
                    return FALSE;
                case MessageKind::Plain: {
                    SetWindowTextA(ok, "OK");
                    ShowWindow(cancel, SW_HIDE);
                    const RECT a = childRect(dialog, IDOK), b = childRect(dialog, IDCANCEL);
                    moveBy(dialog, IDOK, (a.left + b.right) / 2 - (a.left + a.right) / 2, 0);
                    break;
                }
            }
            centreOnOwner(dialog);
            return TRUE;
        }
        case WM_HELP:
            // Help while the message shows: the main dialog answers with the message's context.
            SendMessageA(GetParent(dialog), WM_COMMAND, IDC_HELP_BUTTON, 0);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default: return FALSE;
    }
}

}  // namespace

int runMessageDialog(HINSTANCE instance, HWND owner, MessageKind kind, const std::string& text, HFONT font, HICON icon) {
    Request request{kind, &text, font, icon};
    const INT_PTR answer = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MESSAGE), owner, procedure,
                                           reinterpret_cast<LPARAM>(&request));
    return answer == IDOK ? IDOK : IDCANCEL;
}

}  // namespace huevista
