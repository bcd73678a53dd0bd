// "SysTabControl32": a row of tabs over a pane, as property sheets use it. TCM_SETCURSEL is
// silent; a click or an arrow key asks TCN_SELCHANGING (non-zero refuses), then tells
// TCN_SELCHANGE, through WM_NOTIFY to the parent.
#include <algorithm>
#include <string>
#include <vector>

#include "controls.h"
#include "detail.h"
#include "driver.h"
#include "gdi_internal.h"

namespace winplat::detail {
namespace {

constexpr int kPadding = 6;  // left and right of a tab's text
constexpr int kPane = 4;     // the pane's frame and margin

struct Tab {
    std::string text;
    LPARAM param = 0;
};

struct TabState : ControlState {
    std::vector<Tab> tabs;
    int selected = -1;
    bool focused = false;
};

int rowHeight(HWND hwnd, const TabState& s) { return TextMeasure(hwnd, s.font).height() + 8; }

// Each tab's rectangle in the row, left to right; the selected one stands 2 pixels higher.
std::vector<RECT> tabRects(HWND hwnd, const TabState& s) {
    std::vector<RECT> out;
    int height = rowHeight(hwnd, s);
    TextMeasure measure(hwnd, s.font);
    int x = 2;
    for (const Tab& t : s.tabs) {
        int width = measure.width(t.text) + 2 * kPadding;
        out.push_back(RECT{x, 2, x + width, height});
        x += width;
    }
    if (s.selected >= 0 && static_cast<size_t>(s.selected) < out.size()) {
        RECT& r = out[static_cast<size_t>(s.selected)];
        InflateRect(&r, 2, 0);
        r.top -= 2;
        r.bottom += 1;
    }
    return out;
}

LRESULT notify(HWND hwnd, UINT code) {
    NMHDR header{hwnd, controlId(hwnd), code};
    HWND parent = GetParent(hwnd);
    return parent ? SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)) : 0;
}

// A change the user asked for: refused when the parent answers TCN_SELCHANGING with non-zero.
void userSelect(HWND hwnd, TabState& s, int index) {
    if (index < 0 || static_cast<size_t>(index) >= s.tabs.size() || index == s.selected) return;
    if (notify(hwnd, TCN_SELCHANGING)) return;
    s.selected = index;
    InvalidateRect(hwnd, nullptr, TRUE);
    notify(hwnd, TCN_SELCHANGE);
}

void paint(HWND hwnd, TabState& s) {
    ControlPaint p(hwnd, s.font, WM_CTLCOLORDLG);
    HDC dc = p.dc();
    if (!dc) return;
    RECT pane = p.client();
    pane.top = rowHeight(hwnd, s);
    drawThemeElement(dc, WINPLAT_THEME_TABPANE, 0, pane);
    std::vector<RECT> rects = tabRects(hwnd, s);
    SetTextColor(dc, GetSysColor(controlEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    for (size_t i = 0; i < rects.size(); ++i) {
        bool selected = static_cast<int>(i) == s.selected;
        drawThemeElement(dc, WINPLAT_THEME_TABITEM, selected ? WINPLAT_THEME_CHECKED : 0, rects[i]);
        RECT text = rects[i];
        DrawTextA(dc, s.tabs[i].text.c_str(), -1, &text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        if (selected && s.focused) {
            InflateRect(&text, -3, -3);
            DrawFocusRect(dc, &text);
        }
    }
}

LRESULT handle(HWND hwnd, TabState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    auto index = static_cast<int>(wParam);
    auto* item = reinterpret_cast<TCITEMA*>(lParam);
    int count = static_cast<int>(s.tabs.size());
    bool valid = index >= 0 && index < count;
    switch (message) {
        case WM_PAINT: paint(hwnd, s); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETDLGCODE: return DLGC_WANTARROWS;
        case WM_SETFOCUS: s.focused = true; InvalidateRect(hwnd, nullptr, TRUE); return 0;
        case WM_KILLFOCUS: s.focused = false; InvalidateRect(hwnd, nullptr, TRUE); return 0;
        case WM_LBUTTONDOWN: {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            std::vector<RECT> rects = tabRects(hwnd, s);
            for (size_t i = 0; i < rects.size(); ++i)
                if (PtInRect(&rects[i], p)) {
                    SetFocus(hwnd);
                    userSelect(hwnd, s, static_cast<int>(i));
                    break;
                }
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_LEFT) userSelect(hwnd, s, s.selected - 1);
            if (wParam == VK_RIGHT) userSelect(hwnd, s, s.selected + 1);
            return 0;
        case TCM_GETITEMCOUNT: return count;
        case TCM_INSERTITEMA: {
            if (!item || index < 0) return -1;
            index = std::min(index, count);
            Tab tab;
            if ((item->mask & TCIF_TEXT) && item->pszText) tab.text = item->pszText;
            if (item->mask & TCIF_PARAM) tab.param = item->lParam;
            s.tabs.insert(s.tabs.begin() + index, std::move(tab));
            if (s.selected < 0) s.selected = 0;
            else if (s.selected >= index && count > 0) ++s.selected;
            InvalidateRect(hwnd, nullptr, TRUE);
            return index;
        }
        case TCM_SETITEMA:
        case TCM_GETITEMA: {
            if (!valid || !item) return FALSE;
            Tab& tab = s.tabs[static_cast<size_t>(index)];
            if (message == TCM_SETITEMA) {
                if ((item->mask & TCIF_TEXT) && item->pszText) tab.text = item->pszText;
                if (item->mask & TCIF_PARAM) tab.param = item->lParam;
                InvalidateRect(hwnd, nullptr, TRUE);
            } else {
                if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0)
                    copyBounded(item->pszText, static_cast<size_t>(item->cchTextMax), tab.text);
                if (item->mask & TCIF_PARAM) item->lParam = tab.param;
            }
            return TRUE;
        }
        case TCM_DELETEITEM:
            if (!valid) return FALSE;
            s.tabs.erase(s.tabs.begin() + index);
            if (s.selected == index) s.selected = s.tabs.empty() ? -1 : 0;
            else if (s.selected > index) --s.selected;
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        case TCM_DELETEALLITEMS:
            s.tabs.clear();
            s.selected = -1;
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        case TCM_GETCURSEL: return s.selected;
        case TCM_SETCURSEL: {
            if (!valid) return -1;
            int previous = s.selected;
            s.selected = index;
            InvalidateRect(hwnd, nullptr, TRUE);
            return previous;
        }
        case TCM_GETITEMRECT:
            if (!valid || !lParam) return FALSE;
            *reinterpret_cast<RECT*>(lParam) = tabRects(hwnd, s)[static_cast<size_t>(index)];
            return TRUE;
        case TCM_ADJUSTRECT: {
            // FALSE: the display area inside a window rectangle; TRUE: the window around one.
            auto* r = reinterpret_cast<RECT*>(lParam);
            if (!r) return 0;
            int top = rowHeight(hwnd, s) + kPane, sign = wParam ? -1 : 1;
            r->left += sign * kPane, r->top += sign * top, r->right -= sign * kPane, r->bottom -= sign * kPane;
            return 0;
        }
        default: return controlDefault(hwnd, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK tabProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return runControl<TabState>(hwnd, message, wParam, lParam, handle);
}

}  // namespace winplat::detail
