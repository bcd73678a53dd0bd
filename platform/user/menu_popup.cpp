// Popup menus: the popup-menu handler when one is installed, else a "#32768" window run by
// the platform's own loop with the pointer captured: the pointer and the arrow keys highlight,
// a click or Enter picks an enabled item, a submenu opens to the right, Escape or a click
// elsewhere closes.
#include <algorithm>

#include "controls.h"
#include "driver.h"
#include "gdi_internal.h"
#include "handlers.h"
#include "menu.h"

namespace winplat::detail {
namespace {

constexpr int kItemHeight = 20;
constexpr int kSeparatorHeight = 8;
constexpr int kCheckWidth = 20;  // check marks live left of the text
constexpr int kArrowWidth = 16;

struct PopupRun {
    HMENU menu = nullptr;
    HWND owner = nullptr;
    std::vector<MenuItem> items;
    std::vector<RECT> rects;  // client coordinates of each item
    int hot = -1;
    bool done = false;
    UINT result = 0;
    bool submenuOpen = false;
};

HFONT menuFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

bool pickable(const MenuItem& item) {
    return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED));
}

// Text left of a tab, and the accelerator right of it.
std::pair<std::string, std::string> split(const std::string& text) {
    size_t tab = text.find('\t');
    return tab == std::string::npos ? std::pair{text, std::string()} : std::pair{text.substr(0, tab), text.substr(tab + 1)};
}

SIZE layout(PopupRun& run) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = dc ? SelectObject(dc, menuFont()) : nullptr;
    int width = 80, y = 0;
    run.rects.clear();
    for (const MenuItem& item : run.items) {
        int h = (item.flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
        auto [label, accel] = split(item.text);
        RECT measure{0, 0, 0, 0};
        if (dc) DrawTextA(dc, label.c_str(), -1, &measure, DT_SINGLELINE | DT_CALCRECT);
        int textWidth = measure.right;
        if (!accel.empty() && dc) {
            RECT a{0, 0, 0, 0};
            DrawTextA(dc, accel.c_str(), -1, &a, DT_SINGLELINE | DT_CALCRECT);
            textWidth += 24 + a.right;
        }
        width = std::max(width, kCheckWidth + textWidth + kArrowWidth + 8);
        run.rects.push_back(RECT{0, y, 0, y + h});
        y += h;
    }
    for (RECT& r : run.rects) r.right = width;
    if (dc) SelectObject(dc, old), DeleteDC(dc);
    return SIZE{width, std::max(y, 4)};
}

void paint(HWND hwnd, PopupRun& run) {
    ControlPaint p(hwnd, menuFont(), GetSysColorBrush(COLOR_MENU));
    HDC dc = p.dc();
    if (!dc) return;
    for (size_t i = 0; i < run.items.size() && i < run.rects.size(); ++i) {
        const MenuItem& item = run.items[i];
        RECT r = run.rects[i];
        if (item.flags & MF_SEPARATOR) {
            RECT line{r.left + 2, r.top + kSeparatorHeight / 2 - 1, r.right - 2, r.top + kSeparatorHeight / 2 + 1};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            continue;
        }
        bool hot = static_cast<int>(i) == run.hot;
        if (hot) drawThemeElement(dc, WINPLAT_THEME_MENUITEM, 0, r);
        bool grey = item.flags & (MF_GRAYED | MF_DISABLED);
        SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        if (item.flags & MF_CHECKED) {
            RECT mark{r.left, r.top, r.left + kCheckWidth, r.bottom};
            DrawTextA(dc, "\x95", 1, &mark, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
        }
        auto [label, accel] = split(item.text);
        RECT t{r.left + kCheckWidth, r.top, r.right - kArrowWidth, r.bottom};
        DrawTextA(dc, label.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER);
        if (!accel.empty()) DrawTextA(dc, accel.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
        if (item.flags & MF_POPUP) {
            RECT arrow{r.right - kArrowWidth, r.top, r.right, r.bottom};
            DrawTextA(dc, ">", 1, &arrow, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
        }
    }
}

UINT runLoop(HMENU menu, UINT flags, int x, int y, HWND owner);

void setHot(HWND hwnd, PopupRun& run, int hot) {
    if (hot == run.hot) return;
    run.hot = hot;
    InvalidateRect(hwnd, nullptr, TRUE);
}

void choose(HWND hwnd, PopupRun& run, int index) {
    if (index < 0 || index >= static_cast<int>(run.items.size())) return;
    const MenuItem& item = run.items[static_cast<size_t>(index)];
    if (!pickable(item)) return;
    if (item.flags & MF_POPUP) {
        RECT r = run.rects[static_cast<size_t>(index)];
        POINT at{r.right, r.top};
        ClientToScreen(hwnd, &at);
        run.submenuOpen = true;
        UINT id = runLoop(item.submenu, TPM_RETURNCMD, at.x, at.y, run.owner);
        run.submenuOpen = false;
        if (IsWindow(hwnd)) SetCapture(hwnd);
        if (id) run.result = id, run.done = true;
        return;
    }
    run.result = static_cast<UINT>(item.id);
    run.done = true;
}

int itemAt(const PopupRun& run, POINT p) {
    for (size_t i = 0; i < run.rects.size(); ++i)
        if (PtInRect(&run.rects[i], p)) return static_cast<int>(i);
    return -1;
}

int step(const PopupRun& run, int from, int direction) {
    int n = static_cast<int>(run.items.size());
    for (int k = 1; k <= n; ++k) {
        int i = ((from < 0 ? (direction > 0 ? -1 : 0) : from) + direction * k + n * 2) % n;
        if (!(run.items[static_cast<size_t>(i)].flags & MF_SEPARATOR)) return i;
    }
    return -1;
}

UINT runLoop(HMENU menu, UINT flags, int x, int y, HWND owner) {
    PopupRun run;
    run.menu = menu;
    run.owner = owner;
    run.items = menuItems(menu);
    if (run.items.empty()) return 0;
    SIZE size = layout(run);
    RECT frame{0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, 0);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (flags & TPM_RIGHTALIGN) x -= width;
    else if (flags & TPM_CENTERALIGN) x -= width / 2;
    if (flags & TPM_BOTTOMALIGN) y -= height;
    else if (flags & TPM_VCENTERALIGN) y -= height / 2;
    HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WC_MENU, "", WS_POPUP | WS_BORDER, x, y, width, height,
                                owner, nullptr, nullptr, &run);
    if (!hwnd) return 0;
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    SetCapture(hwnd);
    MSG msg;
    while (!run.done && IsWindow(hwnd)) {
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        // Keys go to the menu while it runs, wherever the focus is.
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) msg.hwnd = hwnd;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (GetCapture() != hwnd && !run.submenuOpen && !run.done) break;  // capture lost: cancelled
    }
    if (IsWindow(hwnd)) {
        if (GetCapture() == hwnd) ReleaseCapture();
        DestroyWindow(hwnd);
    }
    return run.done ? run.result : 0;
}

}  // namespace

LRESULT CALLBACK menuWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        return TRUE;
    }
    auto* run = reinterpret_cast<PopupRun*>(GetWindowLongPtrA(hwnd, 0));
    if (!run || message == WM_NCDESTROY) return DefWindowProcA(hwnd, message, wParam, lParam);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    GetClientRect(hwnd, &client);
    switch (message) {
        case WM_PAINT: paint(hwnd, *run); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEACTIVATE: return 3;  // MA_NOACTIVATE
        case WM_MOUSEMOVE: setHot(hwnd, *run, itemAt(*run, p)); return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (!PtInRect(&client, p)) run->done = true, run->result = 0;
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            if (PtInRect(&client, p)) choose(hwnd, *run, itemAt(*run, p));
            return 0;
        case WM_KEYDOWN:
            switch (wParam) {
                case VK_UP: setHot(hwnd, *run, step(*run, run->hot, -1)); break;
                case VK_DOWN: setHot(hwnd, *run, step(*run, run->hot, 1)); break;
                case VK_RIGHT:
                    if (run->hot >= 0 && (run->items[static_cast<size_t>(run->hot)].flags & MF_POPUP)) choose(hwnd, *run, run->hot);
                    break;
                case VK_LEFT:
                case VK_ESCAPE: run->done = true, run->result = 0; break;
                case VK_RETURN: choose(hwnd, *run, run->hot); break;
                default: break;
            }
            return 0;
        case WM_CHAR: {
            char letter = static_cast<char>(std::toupper(static_cast<int>(wParam)));
            for (size_t i = 0; i < run->items.size(); ++i)
                if (mnemonicOf(run->items[i].text) == letter) {
                    choose(hwnd, *run, static_cast<int>(i));
                    break;
                }
            return 0;
        }
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

UINT runPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    auto [handler, context] = popupMenuHandler().get();
    if (handler) return handler(menu, flags, x, y, owner, context);
    if (!guiDriver()) return 0;  // nothing to show it on
    if (!(flags & TPM_NONOTIFY)) {
        SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    }
    return runLoop(menu, flags, x, y, owner);
}

}  // namespace winplat::detail
