// The Edit class, single line: a text limit (EN_MAXTEXT when typing would pass it), selection
// with the keyboard and EM_SETSEL, a caret, clipboard cut, copy and paste through the driver,
// read-only fields, and EN_UPDATE then EN_CHANGE after every change.
#include <algorithm>
#include <string>
#include <vector>

#include "codepage.h"
#include "controls.h"
#include "detail.h"
#include "driver.h"
#include "gdi_internal.h"

namespace winplat::detail {
namespace {

constexpr size_t kDefaultLimit = 30000;
constexpr int kMargin = 2;

struct EditState : ControlState {
    std::string text;
    size_t limit = kDefaultLimit;
    size_t anchor = 0;  // the selection runs from anchor to caret
    size_t caret = 0;
    size_t scroll = 0;  // first character shown
    bool focused = false;
    bool modified = false;
};

LONG styleOf(HWND hwnd) { return static_cast<LONG>(GetWindowLongPtrA(hwnd, GWL_STYLE)); }
bool readOnly(HWND hwnd) { return (styleOf(hwnd) & ES_READONLY) != 0; }
size_t selStart(const EditState& s) { return std::min(s.anchor, s.caret); }
size_t selEnd(const EditState& s) { return std::max(s.anchor, s.caret); }

// Pixel advance of text with the control's font.
int widthOf(HWND hwnd, const EditState& s, const std::string& text) { return TextMeasure(hwnd, s.font).width(text); }

// Keeps the caret inside the visible part (ES_AUTOHSCROLL scrolls; without it text stops at
// the edge, which the typing rule enforces).
void scrollToCaret(HWND hwnd, EditState& s) {
    RECT r;
    GetClientRect(hwnd, &r);
    int visible = r.right - r.left - 2 * kMargin;
    if (s.caret < s.scroll) s.scroll = s.caret;
    while (s.scroll < s.caret && widthOf(hwnd, s, s.text.substr(s.scroll, s.caret - s.scroll)) > visible) ++s.scroll;
}

void changed(HWND hwnd, EditState& s) {
    s.modified = true;
    scrollToCaret(hwnd, s);
    InvalidateRect(hwnd, nullptr, TRUE);
    notifyParent(hwnd, EN_UPDATE);
    notifyParent(hwnd, EN_CHANGE);
}

// Replaces the selection with `insert`, cut to what the limit leaves; EN_MAXTEXT when cut.
bool replaceSelection(HWND hwnd, EditState& s, std::string insert) {
    size_t start = selStart(s), end = selEnd(s);
    size_t room = s.limit - std::min(s.limit, s.text.size() - (end - start));
    bool cut = insert.size() > room;
    if (cut) insert.resize(room);
    if (insert.empty() && start == end) {
        if (cut) notifyParent(hwnd, EN_MAXTEXT);
        return false;
    }
    s.text.replace(start, end - start, insert);
    s.anchor = s.caret = start + insert.size();
    changed(hwnd, s);
    if (cut) notifyParent(hwnd, EN_MAXTEXT);
    return true;
}

void copySelection(const EditState& s) {
    const WinplatDriverFunctions* driver = guiDriver();
    if (!driver || selStart(s) == selEnd(s)) return;
    std::vector<uint16_t> units;
    for (size_t i = selStart(s); i < selEnd(s); ++i) units.push_back(fromWindows1252(static_cast<unsigned char>(s.text[i])));
    driver->setClipboardText(units.data(), static_cast<int>(units.size()));
}

std::string clipboard() {
    const WinplatDriverFunctions* driver = guiDriver();
    if (!driver) return {};
    int length = driver->clipboardText(nullptr, 0);
    if (length <= 0) return {};
    std::vector<uint16_t> units(static_cast<size_t>(length));
    driver->clipboardText(units.data(), length);
    std::string text;
    for (uint16_t u : units)
        if (u != '\r' && u != '\n') text += toWindows1252(static_cast<char16_t>(u));
    return text;
}

void moveCaret(HWND hwnd, EditState& s, size_t to, bool extend) {
    s.caret = std::min(to, s.text.size());
    if (!extend) s.anchor = s.caret;
    scrollToCaret(hwnd, s);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void paint(HWND hwnd, EditState& s) {
    bool disabled = !controlEnabled(hwnd);
    ControlPaint p(hwnd, s.font, (readOnly(hwnd) || disabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    HDC dc = p.dc();
    if (!dc) return;
    RECT r = p.client();
    std::string shown = s.text.substr(std::min(s.scroll, s.text.size()));
    if (styleOf(hwnd) & ES_PASSWORD) shown.assign(shown.size(), '*');
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    int top = r.top + std::max(0, static_cast<int>((r.bottom - r.top - tm.tmHeight) / 2));
    if (disabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    TextOutA(dc, kMargin, top, shown.c_str(), static_cast<int>(shown.size()));
    if (!s.focused) return;
    size_t from = std::max(selStart(s), s.scroll), to = std::max(selEnd(s), s.scroll);
    if (from < to) {
        int x0 = kMargin + widthOf(hwnd, s, s.text.substr(s.scroll, from - s.scroll));
        int x1 = kMargin + widthOf(hwnd, s, s.text.substr(s.scroll, to - s.scroll));
        RECT sel{x0, top, x1, top + tm.tmHeight};
        FillRect(dc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        std::string part = shown.substr(from - s.scroll, to - from);
        TextOutA(dc, x0, top, part.c_str(), static_cast<int>(part.size()));
    }
    int cx = kMargin + widthOf(hwnd, s, s.text.substr(s.scroll, s.caret - std::min(s.caret, s.scroll)));
    RECT caret{cx, top, cx + 1, top + tm.tmHeight};
    FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
}

// The character index under a client x.
size_t indexAt(HWND hwnd, const EditState& s, int x) {
    size_t i = s.scroll;
    while (i < s.text.size() && kMargin + widthOf(hwnd, s, s.text.substr(s.scroll, i + 1 - s.scroll)) -
                                        widthOf(hwnd, s, s.text.substr(i, 1)) / 2 < x)
        ++i;
    return i;
}

LRESULT keyDown(HWND hwnd, EditState& s, WPARAM key) {
    bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
        case VK_LEFT: moveCaret(hwnd, s, s.caret ? s.caret - 1 : 0, shift); break;
        case VK_RIGHT: moveCaret(hwnd, s, s.caret + 1, shift); break;
        case VK_HOME: moveCaret(hwnd, s, 0, shift); break;
        case VK_END: moveCaret(hwnd, s, s.text.size(), shift); break;
        case VK_DELETE:
            if (readOnly(hwnd)) break;
            if (selStart(s) == selEnd(s)) {
                if (s.caret >= s.text.size()) break;
                s.anchor = s.caret + 1;
            }
            if (shift) copySelection(s);
            replaceSelection(hwnd, s, {});
            break;
        case VK_INSERT:
            if (control) copySelection(s);
            else if (shift && !readOnly(hwnd)) replaceSelection(hwnd, s, clipboard());
            break;
        default: break;
    }
    return 0;
}

LRESULT character(HWND hwnd, EditState& s, WPARAM ch) {
    switch (ch) {
        case 0x01: s.anchor = 0, s.caret = s.text.size(); InvalidateRect(hwnd, nullptr, TRUE); return 0;  // Ctrl+A
        case 0x03: copySelection(s); return 0;                                                          // Ctrl+C
        case 0x16: if (!readOnly(hwnd)) replaceSelection(hwnd, s, clipboard()); return 0;               // Ctrl+V
        case 0x18:                                                                                       // Ctrl+X
            if (readOnly(hwnd)) return 0;
            copySelection(s);
            replaceSelection(hwnd, s, {});
            return 0;
        case '\b':
            if (readOnly(hwnd)) return 0;
            if (selStart(s) == selEnd(s)) {
                if (s.caret == 0) return 0;
                s.anchor = s.caret - 1;
            }
            replaceSelection(hwnd, s, {});
            return 0;
        default: break;
    }
    if (ch < 0x20 || ch > 0xFF || readOnly(hwnd)) return 0;
    char c = static_cast<char>(ch);
    LONG style = styleOf(hwnd);
    if ((style & ES_NUMBER) && !(c >= '0' && c <= '9')) {
        MessageBeep(0);
        return 0;
    }
    if (style & ES_UPPERCASE) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (style & ES_LOWERCASE) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    replaceSelection(hwnd, s, std::string(1, c));
    return 0;
}

LRESULT handle(HWND hwnd, EditState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            s.text = cs && cs->lpszName ? cs->lpszName : "";
            return 0;
        }
        case WM_PAINT: paint(hwnd, s); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_NCPAINT: {
            DefWindowProcA(hwnd, message, wParam, lParam);
            if (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
                HDC dc = GetWindowDC(hwnd);
                RECT w;
                GetWindowRect(hwnd, &w);
                RECT r{0, 0, w.right - w.left, w.bottom - w.top};
                if (dc) drawThemeElement(dc, WINPLAT_THEME_EDITFRAME, controlEnabled(hwnd) ? 0 : WINPLAT_THEME_DISABLED, r);
                if (dc) ReleaseDC(hwnd, dc);
            }
            return 0;
        }
        case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        case WM_SETTEXT:
            s.text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
            s.anchor = s.caret = s.scroll = 0;
            s.modified = false;
            InvalidateRect(hwnd, nullptr, TRUE);
            DefWindowProcA(hwnd, message, wParam, lParam);
            notifyParent(hwnd, EN_UPDATE);
            notifyParent(hwnd, EN_CHANGE);
            return TRUE;
        case WM_GETTEXT:
            if (!lParam || wParam == 0) return 0;
            return static_cast<LRESULT>(copyBounded(reinterpret_cast<LPSTR>(lParam), wParam, s.text));
        case WM_GETTEXTLENGTH: return static_cast<LRESULT>(s.text.size());
        case WM_SETFOCUS:
            s.focused = true;
            InvalidateRect(hwnd, nullptr, TRUE);
            notifyParent(hwnd, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            s.focused = false;
            InvalidateRect(hwnd, nullptr, TRUE);
            notifyParent(hwnd, EN_KILLFOCUS);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
            moveCaret(hwnd, s, indexAt(hwnd, s, GET_X_LPARAM(lParam)), GetKeyState(VK_SHIFT) < 0);
            return 0;
        case WM_KEYDOWN: return keyDown(hwnd, s, wParam);
        case WM_CHAR: return character(hwnd, s, wParam);
        case WM_COPY: copySelection(s); return 0;
        case WM_CUT:
            if (!readOnly(hwnd)) copySelection(s), replaceSelection(hwnd, s, {});
            return 0;
        case WM_PASTE:
            if (!readOnly(hwnd)) replaceSelection(hwnd, s, clipboard());
            return 0;
        case WM_CLEAR:
            if (!readOnly(hwnd)) replaceSelection(hwnd, s, {});
            return 0;
        case EM_LIMITTEXT: s.limit = wParam ? wParam : 0x7FFFFFFE; return 0;
        case EM_GETLIMITTEXT: return static_cast<LRESULT>(s.limit);
        case EM_SETSEL: {
            auto start = static_cast<long long>(static_cast<int>(wParam)), end = static_cast<long long>(static_cast<int>(lParam));
            size_t size = s.text.size();
            if (start < 0) {
                s.anchor = s.caret;  // -1: no selection, the caret stays
            } else {
                s.anchor = std::min(static_cast<size_t>(start), size);
                s.caret = end < 0 ? size : std::min(static_cast<size_t>(end), size);
            }
            scrollToCaret(hwnd, s);
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case EM_GETSEL: {
            auto start = static_cast<DWORD>(selStart(s)), end = static_cast<DWORD>(selEnd(s));
            if (wParam) *reinterpret_cast<DWORD*>(wParam) = start;
            if (lParam) *reinterpret_cast<DWORD*>(lParam) = end;
            return MAKELRESULT(std::min<DWORD>(start, 0xFFFF), std::min<DWORD>(end, 0xFFFF));
        }
        case EM_REPLACESEL: replaceSelection(hwnd, s, lParam ? reinterpret_cast<LPCSTR>(lParam) : ""); return 0;
        case EM_GETMODIFY: return s.modified;
        case EM_SETMODIFY: s.modified = wParam != 0; return 0;
        case EM_SETREADONLY: {
            LONG style = styleOf(hwnd);
            SetWindowLongPtrA(hwnd, GWL_STYLE, wParam ? (style | ES_READONLY) : (style & ~ES_READONLY));
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        }
        default: return controlDefault(hwnd, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return runControl<EditState>(hwnd, message, wParam, lParam, handle);
}

}  // namespace winplat::detail
