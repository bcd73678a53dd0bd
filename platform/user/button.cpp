// The Button class: push and default push buttons, check boxes, radio buttons, group boxes
// and owner-drawn buttons, with capture, pressed and focus states and BN_CLICKED after the
// release, as Win32 orders them.
#include <string>

#include "controls.h"
#include "gdi_internal.h"
#include "driver.h"

namespace winplat::detail {
namespace {

struct ButtonState : ControlState {
    UINT check = BST_UNCHECKED;
    bool pushed = false;
    bool focused = false;
    bool tracking = false;  // the mouse button went down on it
};

constexpr int kBoxSize = 13;  // check box and radio button squares

UINT typeOf(HWND hwnd) { return static_cast<UINT>(GetWindowLongPtrA(hwnd, GWL_STYLE)) & 0x0F; }
bool isCheck(UINT type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
bool isRadio(UINT type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool isPush(UINT type) { return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON; }

std::string textOf(HWND hwnd) {
    char text[512];
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

void sendDrawItem(HWND hwnd, const ButtonState& s, UINT action) {
    HWND parent = GetParent(hwnd);
    HDC dc = GetDC(hwnd);
    if (!parent || !dc) return;
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = controlId(hwnd);
    dis.itemAction = action;
    dis.itemState = (s.pushed ? ODS_SELECTED : 0) | (s.focused ? ODS_FOCUS : 0) | (controlEnabled(hwnd) ? 0 : ODS_DISABLED);
    dis.hwndItem = hwnd;
    dis.hDC = dc;
    GetClientRect(hwnd, &dis.rcItem);
    HGDIOBJ old = s.font ? SelectObject(dc, s.font) : nullptr;
    SendMessageA(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    if (old) SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
}

void paint(HWND hwnd, ButtonState& s) {
    UINT type = typeOf(hwnd);
    if (type == BS_OWNERDRAW) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        sendDrawItem(hwnd, s, ODA_DRAWENTIRE);
        return;
    }
    ControlPaint p(hwnd, s.font, isPush(type) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC);
    HDC dc = p.dc();
    if (!dc) return;
    RECT r = p.client();
    bool enabled = controlEnabled(hwnd);
    UINT state = (s.pushed ? WINPLAT_THEME_PRESSED : 0) | (enabled ? 0 : WINPLAT_THEME_DISABLED) |
                 (s.focused ? WINPLAT_THEME_FOCUSED : 0);
    std::string text = textOf(hwnd);
    if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    if (isPush(type)) {
        if (type == BS_DEFPUSHBUTTON) state |= WINPLAT_THEME_DEFAULT;
        drawThemeElement(dc, WINPLAT_THEME_PUSHBUTTON, state, r);
        SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        RECT t = r;
        if (s.pushed) OffsetRect(&t, 1, 1);
        DrawTextA(dc, text.c_str(), -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (s.focused) {
            RECT f = r;
            InflateRect(&f, -4, -4);
            DrawFocusRect(dc, &f);
        }
        return;
    }
    if (type == BS_GROUPBOX) {
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
        RECT frame{r.left, r.top + tm.tmHeight / 2, r.right, r.bottom};
        drawThemeElement(dc, WINPLAT_THEME_GROUPBOX, state & WINPLAT_THEME_DISABLED, frame);
        SIZE size{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        RECT label{r.left + 8, r.top, r.left + 8 + size.cx + 4, r.top + tm.tmHeight};
        if (!text.empty()) {
            FillRect(dc, &label, p.brush());
            OffsetRect(&label, 2, 0);
            DrawTextA(dc, text.c_str(), -1, &label, DT_SINGLELINE);
        }
        return;
    }
    // Check boxes and radio buttons: the box at the left, vertically centred, the text after.
    int top = r.top + (r.bottom - r.top - kBoxSize) / 2;
    RECT box{r.left, top, r.left + kBoxSize, top + kBoxSize};
    if (s.check) state |= WINPLAT_THEME_CHECKED;
    drawThemeElement(dc, isRadio(type) ? WINPLAT_THEME_RADIOBUTTON : WINPLAT_THEME_CHECKBOX, state, box);
    RECT t{r.left + kBoxSize + 4, r.top, r.right, r.bottom};
    RECT measured = t;
    DrawTextA(dc, text.c_str(), -1, &t, DT_VCENTER | DT_SINGLELINE);
    if (s.focused) {
        DrawTextA(dc, text.c_str(), -1, &measured, DT_SINGLELINE | DT_CALCRECT);
        int height = measured.bottom - measured.top;
        RECT f{t.left - 1, r.top + (r.bottom - r.top - height) / 2 - 1, measured.right + 1,
               r.top + (r.bottom - r.top + height) / 2 + 1};
        DrawFocusRect(dc, &f);
    }
}

void repaint(HWND hwnd, ButtonState& s, UINT ownerAction) {
    if (typeOf(hwnd) == BS_OWNERDRAW) {
        sendDrawItem(hwnd, s, ownerAction);
        return;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

void setPushed(HWND hwnd, ButtonState& s, bool pushed) {
    if (s.pushed == pushed) return;
    s.pushed = pushed;
    repaint(hwnd, s, ODA_SELECT);
}

// The release: auto check boxes and radio buttons change, then BN_CLICKED.
void click(HWND hwnd, ButtonState& s) {
    UINT type = typeOf(hwnd);
    if (type == BS_AUTOCHECKBOX) {
        SendMessageA(hwnd, BM_SETCHECK, s.check ? BST_UNCHECKED : BST_CHECKED, 0);
    } else if (type == BS_AUTO3STATE) {
        SendMessageA(hwnd, BM_SETCHECK, (s.check + 1) % 3, 0);
    } else if (type == BS_AUTORADIOBUTTON) {
        // The others of its group go off.
        HWND parent = GetParent(hwnd);
        for (HWND other = GetNextDlgGroupItem(parent, hwnd, FALSE); other && other != hwnd;
             other = GetNextDlgGroupItem(parent, other, FALSE))
            if (SendMessageA(other, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    }
    notifyParent(hwnd, BN_CLICKED);
}

LRESULT handle(HWND hwnd, ButtonState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    UINT type = typeOf(hwnd);
    switch (message) {
        case WM_PAINT: paint(hwnd, s); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETDLGCODE:
            if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
            if (type == BS_PUSHBUTTON || type == BS_OWNERDRAW) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
            if (isRadio(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
            if (type == BS_GROUPBOX) return DLGC_STATIC;
            return DLGC_BUTTON;
        case WM_NCHITTEST:
            if (type == BS_GROUPBOX) return HTTRANSPARENT;
            return DefWindowProcA(hwnd, message, wParam, lParam);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (type == BS_GROUPBOX) return 0;
            SetCapture(hwnd);
            s.tracking = true;
            setPushed(hwnd, s, true);
            SetFocus(hwnd);
            return 0;
        case WM_MOUSEMOVE:
            if (s.tracking) {
                RECT r;
                GetClientRect(hwnd, &r);
                setPushed(hwnd, s, PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
            }
            return 0;
        case WM_LBUTTONUP: {
            if (!s.tracking) return 0;
            s.tracking = false;
            bool inside = s.pushed;
            setPushed(hwnd, s, false);
            ReleaseCapture();
            if (inside) click(hwnd, s);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (s.tracking) {
                s.tracking = false;
                setPushed(hwnd, s, false);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE && type != BS_GROUPBOX) setPushed(hwnd, s, true);
            return 0;
        case WM_KEYUP:
            if (wParam == VK_SPACE && s.pushed) {
                setPushed(hwnd, s, false);
                click(hwnd, s);
            }
            return 0;
        case WM_SETFOCUS:
            s.focused = true;
            repaint(hwnd, s, ODA_FOCUS);
            return 0;
        case WM_KILLFOCUS:
            s.focused = false;
            if (s.pushed && !s.tracking) s.pushed = false;
            repaint(hwnd, s, ODA_FOCUS);
            return 0;
        case BM_GETCHECK: return (isCheck(type) || isRadio(type)) ? s.check : 0;
        case BM_SETCHECK: {
            UINT check = static_cast<UINT>(wParam) > BST_INDETERMINATE ? BST_UNCHECKED : static_cast<UINT>(wParam);
            if (!(isCheck(type) || isRadio(type))) return 0;
            if (check != s.check) {
                s.check = check;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            // A checked radio button is reached by Tab.
            if (isRadio(type)) {
                LONG style = static_cast<LONG>(GetWindowLongPtrA(hwnd, GWL_STYLE));
                SetWindowLongPtrA(hwnd, GWL_STYLE, check ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
            }
            return 0;
        }
        case BM_GETSTATE:
            return s.check | (s.pushed ? BST_PUSHED : 0) | (s.focused ? BST_FOCUS : 0);
        case BM_SETSTATE: setPushed(hwnd, s, wParam != 0); return 0;
        case BM_SETSTYLE: {
            LONG style = static_cast<LONG>(GetWindowLongPtrA(hwnd, GWL_STYLE));
            SetWindowLongPtrA(hwnd, GWL_STYLE, (style & ~0xFFFF) | static_cast<LONG>(wParam & 0xFFFF));
            if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case BM_CLICK:
            if (!controlEnabled(hwnd)) return 0;
            setPushed(hwnd, s, true);
            setPushed(hwnd, s, false);
            click(hwnd, s);
            return 0;
        default: return controlDefault(hwnd, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return runControl<ButtonState>(hwnd, message, wParam, lParam, handle);
}

}  // namespace winplat::detail
