// The ComboBox class as a drop-down list (CBS_DROPDOWNLIST, unsorted) and its "ComboLBox"
// popup: the Win32 find rules (a case-insensitive prefix from after the start, wrapping; the
// whole string for CB_FINDSTRINGEXACT), silent CB_SETCURSEL, and the mouse pick's
// CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE.
#include <algorithm>
#include <string>
#include <vector>

#include "ascii_case.h"
#include "controls.h"
#include "detail.h"
#include "driver.h"
#include "gdi_internal.h"

namespace winplat::detail {
namespace {

struct ComboItem {
    std::string text;
    LPARAM data = 0;
};

struct ComboState : ControlState {
    std::vector<ComboItem> items;
    int selected = CB_ERR;
    HWND list = nullptr;  // the popup while dropped
    int hot = CB_ERR;     // the list's highlighted item
    bool focused = false;
    int itemHeight = 0;
};

int itemHeightOf(HWND hwnd, ComboState& s) {
    if (!s.itemHeight) s.itemHeight = TextMeasure(hwnd, s.font).height() + 2;
    return s.itemHeight;
}

// CB_FINDSTRING: the first item after `after` (-1: from the start), wrapping, whose text starts
// with `text` (the whole text when `exact`), ignoring case.
int find(const ComboState& s, int after, LPCSTR text, bool exact) {
    if (!text) return CB_ERR;
    int count = static_cast<int>(s.items.size());
    if (after < -1 || after >= count) after = -1;
    for (int step = 1; step <= count; ++step) {
        const std::string& item = s.items[static_cast<size_t>((after + step) % count)].text;
        if (exact ? equalsIgnoringCase(item, text) : startsWithIgnoringCase(item, text)) return (after + step) % count;
    }
    return CB_ERR;
}

void select(HWND hwnd, ComboState& s, int index, bool notify) {
    if (index == s.selected) return;
    s.selected = index;
    InvalidateRect(hwnd, nullptr, TRUE);
    if (notify) notifyParent(hwnd, CBN_SELCHANGE);
}

ComboState* stateOfCombo(HWND combo);

void closeUp(HWND hwnd, ComboState& s, bool pick) {
    if (!s.list) return;
    HWND list = std::exchange(s.list, nullptr);
    if (GetCapture() == list) ReleaseCapture();
    int hot = s.hot;
    DestroyWindow(list);
    InvalidateRect(hwnd, nullptr, TRUE);
    notifyParent(hwnd, pick ? CBN_SELENDOK : CBN_SELENDCANCEL);
    notifyParent(hwnd, CBN_CLOSEUP);
    if (pick && hot != CB_ERR) select(hwnd, s, hot, true);
}

void dropDown(HWND hwnd, ComboState& s) {
    if (s.list) return;
    notifyParent(hwnd, CBN_DROPDOWN);
    RECT r;
    GetWindowRect(hwnd, &r);
    int rows = std::clamp(static_cast<int>(s.items.size()), 1, 8);
    s.hot = s.selected;
    s.list = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "ComboLBox", "", WS_POPUP | WS_BORDER, r.left, r.bottom,
                             r.right - r.left, rows * itemHeightOf(hwnd, s) + 2, hwnd, nullptr, nullptr, hwnd);
    if (!s.list) return;
    ShowWindow(s.list, SW_SHOWNOACTIVATE);
    SetCapture(s.list);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void paint(HWND hwnd, ComboState& s) {
    bool enabled = controlEnabled(hwnd);
    ControlPaint p(hwnd, s.font, WM_CTLCOLORSTATIC);
    HDC dc = p.dc();
    if (!dc) return;
    RECT r = p.client();
    UINT state = (enabled ? 0 : WINPLAT_THEME_DISABLED) | (s.focused ? WINPLAT_THEME_FOCUSED : 0) |
                 (s.list ? WINPLAT_THEME_PRESSED : 0);
    drawThemeElement(dc, WINPLAT_THEME_COMBOBOX, state, r);
    int arrow = GetSystemMetrics(SM_CXVSCROLL);
    RECT text{r.left + 3, r.top + 3, r.right - arrow - 2, r.bottom - 3};
    if (s.selected != CB_ERR) {
        if (s.focused && !s.list) {
            FillRect(dc, &text, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        } else {
            SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        }
        RECT t = text;
        t.left += 2;
        DrawTextA(dc, s.items[static_cast<size_t>(s.selected)].text.c_str(), -1, &t,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (s.focused && !s.list) DrawFocusRect(dc, &text);
}

LRESULT keyDown(HWND hwnd, ComboState& s, WPARAM key) {
    int count = static_cast<int>(s.items.size());
    if (key == VK_F4 || ((key == VK_DOWN || key == VK_UP) && GetKeyState(VK_MENU) < 0)) {
        s.list ? closeUp(hwnd, s, true) : dropDown(hwnd, s);
        return 0;
    }
    if (count == 0) return 0;
    int at = s.list ? s.hot : s.selected;
    int next = at;
    switch (key) {
        case VK_UP:
        case VK_LEFT: next = at == CB_ERR ? 0 : std::max(0, at - 1); break;
        case VK_DOWN:
        case VK_RIGHT: next = at == CB_ERR ? 0 : std::min(count - 1, at + 1); break;
        case VK_HOME: next = 0; break;
        case VK_END: next = count - 1; break;
        case VK_RETURN: if (s.list) closeUp(hwnd, s, true); return 0;
        case VK_ESCAPE: if (s.list) closeUp(hwnd, s, false); return 0;
        default: return 0;
    }
    if (s.list) {
        s.hot = next;
        InvalidateRect(s.list, nullptr, TRUE);
    } else {
        select(hwnd, s, next, true);
    }
    return 0;
}

// A drop-down list's window is its selection field: the height a template gives includes the
// dropped list, which the field keeps for the popup.
void fitField(HWND hwnd, ComboState& s) {
    s.itemHeight = 0;
    int field = itemHeightOf(hwnd, s) + 6;
    RECT r;
    GetWindowRect(hwnd, &r);
    if (r.bottom - r.top != field)
        SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, field, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT handle(HWND hwnd, ComboState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    auto text = reinterpret_cast<LPCSTR>(lParam);
    int count = static_cast<int>(s.items.size());
    auto index = static_cast<int>(wParam);
    switch (message) {
        case WM_CREATE:
        case WM_SETFONT: fitField(hwnd, s); return 0;
        case WM_PAINT: paint(hwnd, s); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | (s.list ? DLGC_WANTALLKEYS : 0);
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
            s.list ? closeUp(hwnd, s, false) : dropDown(hwnd, s);
            return 0;
        case WM_KEYDOWN: return keyDown(hwnd, s, wParam);
        case WM_CHAR: {
            char prefix[2] = {static_cast<char>(wParam), 0};
            int found = find(s, s.selected, prefix, false);
            if (found != CB_ERR) select(hwnd, s, found, true);
            return 0;
        }
        case WM_SETFOCUS:
            s.focused = true;
            InvalidateRect(hwnd, nullptr, TRUE);
            notifyParent(hwnd, CBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            s.focused = false;
            closeUp(hwnd, s, false);
            InvalidateRect(hwnd, nullptr, TRUE);
            notifyParent(hwnd, CBN_KILLFOCUS);
            return 0;
        case WM_DESTROY: closeUp(hwnd, s, false); return 0;
        case CB_ADDSTRING:
            s.items.push_back({text ? text : "", 0});
            return count;
        case CB_INSERTSTRING:
            if (index == -1) index = count;
            if (index < 0 || index > count) return CB_ERR;
            s.items.insert(s.items.begin() + index, {text ? text : "", 0});
            if (s.selected >= index) ++s.selected;
            return index;
        case CB_DELETESTRING:
            if (index < 0 || index >= count) return CB_ERR;
            s.items.erase(s.items.begin() + index);
            if (s.selected == index) s.selected = CB_ERR;
            else if (s.selected > index) --s.selected;
            InvalidateRect(hwnd, nullptr, TRUE);
            return count - 1;
        case CB_RESETCONTENT:
            s.items.clear();
            s.selected = CB_ERR;
            InvalidateRect(hwnd, nullptr, TRUE);
            return CB_OKAY;
        case CB_GETCOUNT: return count;
        case CB_GETCURSEL: return s.selected;
        case CB_SETCURSEL:
            if (index < 0 || index >= count) {
                select(hwnd, s, CB_ERR, false);
                return CB_ERR;
            }
            select(hwnd, s, index, false);
            return index;
        case CB_GETLBTEXT:
            if (index < 0 || index >= count || !lParam) return CB_ERR;
            return static_cast<LRESULT>(copyBounded(reinterpret_cast<LPSTR>(lParam), s.items[static_cast<size_t>(index)].text.size() + 1,
                                                    s.items[static_cast<size_t>(index)].text));
        case CB_GETLBTEXTLEN:
            if (index < 0 || index >= count) return CB_ERR;
            return static_cast<LRESULT>(s.items[static_cast<size_t>(index)].text.size());
        case CB_GETITEMDATA:
            if (index < 0 || index >= count) return CB_ERR;
            return s.items[static_cast<size_t>(index)].data;
        case CB_SETITEMDATA:
            if (index < 0 || index >= count) return CB_ERR;
            s.items[static_cast<size_t>(index)].data = lParam;
            return CB_OKAY;
        case CB_FINDSTRING: return find(s, index, text, false);
        case CB_FINDSTRINGEXACT: return find(s, index, text, true);
        case CB_SELECTSTRING: {
            int found = find(s, index, text, false);
            if (found != CB_ERR) select(hwnd, s, found, false);  // a failed select keeps the selection
            return found;
        }
        case CB_SHOWDROPDOWN:
            wParam ? dropDown(hwnd, s) : closeUp(hwnd, s, false);
            return TRUE;
        case CB_GETDROPPEDSTATE: return s.list != nullptr;
        default: return controlDefault(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK comboProcImpl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return runControl<ComboState>(hwnd, message, wParam, lParam, handle);
}

// The combo box's state from its list (the list's creation parameter is the combo box).
ComboState* stateOfCombo(HWND combo) {
    auto* holder = reinterpret_cast<std::shared_ptr<ComboState>*>(GetWindowLongPtrA(combo, 0));
    return holder ? holder->get() : nullptr;
}

HWND comboOfList(HWND list) { return reinterpret_cast<HWND>(GetWindowLongPtrA(list, 0)); }

void paintList(HWND list, ComboState& s, HFONT font) {
    ControlPaint p(list, font, GetSysColorBrush(COLOR_WINDOW));
    HDC dc = p.dc();
    if (!dc) return;
    const RECT& r = p.client();
    int h = s.itemHeight ? s.itemHeight : 15;
    for (size_t i = 0; i < s.items.size(); ++i) {
        RECT item{r.left, r.top + static_cast<int>(i) * h, r.right, r.top + static_cast<int>(i + 1) * h};
        bool hot = static_cast<int>(i) == s.hot;
        if (hot) FillRect(dc, &item, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        item.left += 2;
        DrawTextA(dc, s.items[i].text.c_str(), -1, &item, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

}  // namespace

LRESULT CALLBACK comboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return comboProcImpl(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK comboListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(list, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        return TRUE;
    }
    HWND combo = comboOfList(list);
    ComboState* s = combo ? stateOfCombo(combo) : nullptr;
    if (!s) return DefWindowProcA(list, message, wParam, lParam);
    int h = s->itemHeight ? s->itemHeight : 15;
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT r;
    GetClientRect(list, &r);
    int row = PtInRect(&r, p) ? p.y / h : CB_ERR;
    if (row >= static_cast<int>(s->items.size())) row = CB_ERR;
    switch (message) {
        case WM_PAINT: paintList(list, *s, s->font); return 0;
        case WM_MOUSEACTIVATE: return 3;  // MA_NOACTIVATE: the combo box keeps the focus
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEMOVE:
            if (row != CB_ERR && row != s->hot) {
                s->hot = row;
                InvalidateRect(list, nullptr, TRUE);
            }
            return 0;
        case WM_LBUTTONUP:
            // The release that follows the click dropping the list down picks nothing.
            if (row != CB_ERR) closeUp(combo, *s, true);
            return 0;
        case WM_LBUTTONDOWN:
            if (row == CB_ERR) closeUp(combo, *s, false);
            return 0;
        case WM_KEYDOWN: return keyDown(combo, *s, wParam);
        default: return DefWindowProcA(list, message, wParam, lParam);
    }
}

}  // namespace winplat::detail
