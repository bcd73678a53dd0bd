// What the built-in controls share, and the system classes every process state starts with.
#include "controls.h"

#include <cctype>

#include "gdi_internal.h"

namespace winplat::detail {
namespace {

struct SystemClass {
    const char* name;
    ATOM atom;  // 0: the next free one
    WNDPROC proc;
    UINT style;
    int windowExtra;
    LPCSTR cursor;
    int background;  // COLOR_* + 1, or 0
};

LRESULT CALLBACK dialogClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefDlgProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void registerSystemClasses(WindowTable& t) {
    constexpr int kPointer = sizeof(void*);
    const SystemClass classes[] = {
        {"Button", 0, buttonProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, kPointer, IDC_ARROW, 0},
        {"Static", 0, staticProc, CS_DBLCLKS | CS_PARENTDC, kPointer, IDC_ARROW, 0},
        {"Edit", 0, editProc, CS_DBLCLKS | CS_PARENTDC, kPointer, IDC_IBEAM, 0},
        {"ComboBox", 0, comboProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, kPointer, IDC_ARROW, 0},
        {"ComboLBox", 0, comboListProc, CS_DBLCLKS | CS_SAVEBITS, kPointer, IDC_ARROW, 0},
        {"#32768", 0x8000, menuWindowProc, CS_DBLCLKS | CS_SAVEBITS, kPointer, IDC_ARROW, COLOR_MENU + 1},
        {"#32770", 0x8002, dialogClassProc, CS_DBLCLKS | CS_SAVEBITS, DLGWINDOWEXTRA, IDC_ARROW, 0},
        {TRACKBAR_CLASSA, 0, trackbarProc, CS_DBLCLKS | CS_PARENTDC, kPointer, IDC_ARROW, 0},
        {PROGRESS_CLASSA, 0, progressProc, CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, kPointer, IDC_ARROW, 0},
        {ANIMATE_CLASSA, 0, animateProc, CS_DBLCLKS | CS_PARENTDC, kPointer, IDC_ARROW, 0},
        {WC_TABCONTROLA, 0, tabProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, kPointer, IDC_ARROW, 0},
    };
    for (const SystemClass& s : classes) {
        auto c = std::make_shared<WindowClass>();
        c->name = s.name;
        c->atom = s.atom ? s.atom : t.nextAtom++;
        c->info.cbSize = sizeof c->info;
        c->info.style = s.style | CS_GLOBALCLASS;
        c->info.lpfnWndProc = s.proc;
        c->info.cbWndExtra = s.windowExtra;
        c->info.hCursor = LoadCursorA(nullptr, s.cursor);
        c->info.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(s.background));
        t.classes.push_back(std::move(c));
    }
}

UINT controlId(HWND control) { return static_cast<UINT>(GetWindowLongPtrA(control, GWLP_ID)); }

bool controlEnabled(HWND control) { return IsWindowEnabled(control) != FALSE; }

void notifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (parent)
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(controlId(control), code), reinterpret_cast<LPARAM>(control));
}

HBRUSH parentBrush(HWND control, HDC dc, UINT colourMessage) {
    HWND parent = GetParent(control);
    auto brush = reinterpret_cast<HBRUSH>(
        parent ? SendMessageA(parent, colourMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)) : 0);
    if (!brush)
        brush = reinterpret_cast<HBRUSH>(
            DefWindowProcA(control, colourMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    return brush;
}

ControlPaint::ControlPaint(HWND control, HFONT font, UINT colourMessage, bool fill) : hwnd_(control) {
    BeginPaint(control, &ps_);
    GetClientRect(control, &client_);
    if (!ps_.hdc) return;
    if (font) oldFont_ = SelectObject(ps_.hdc, font);
    brush_ = parentBrush(control, ps_.hdc, colourMessage);
    if (fill && brush_) FillRect(ps_.hdc, &client_, brush_);
    SetBkMode(ps_.hdc, TRANSPARENT);
}

ControlPaint::ControlPaint(HWND control, HFONT font, HBRUSH background) : hwnd_(control), brush_(background) {
    BeginPaint(control, &ps_);
    GetClientRect(control, &client_);
    if (!ps_.hdc) return;
    if (font) oldFont_ = SelectObject(ps_.hdc, font);
    FillRect(ps_.hdc, &client_, background);
    SetBkMode(ps_.hdc, TRANSPARENT);
}

ControlPaint::~ControlPaint() {
    if (ps_.hdc && oldFont_) SelectObject(ps_.hdc, oldFont_);
    EndPaint(hwnd_, &ps_);
}

TextMeasure::TextMeasure(HWND control, HFONT font) : hwnd_(control), dc_(GetDC(control)) {
    if (dc_ && font) old_ = SelectObject(dc_, font);
}

TextMeasure::~TextMeasure() {
    if (!dc_) return;
    if (old_) SelectObject(dc_, old_);
    ReleaseDC(hwnd_, dc_);
}

int TextMeasure::height() const {
    TEXTMETRICA tm{};
    return dc_ && GetTextMetricsA(dc_, &tm) ? static_cast<int>(tm.tmHeight) : 13;
}

int TextMeasure::width(const std::string& text) const {
    SIZE size{};
    if (!dc_ || !GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size))
        return static_cast<int>(text.size()) * 6;
    return static_cast<int>(size.cx);
}

LRESULT controlDefault(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ENABLE: InvalidateRect(control, nullptr, TRUE); return 0;
        case WM_SETTEXT: {
            LRESULT r = DefWindowProcA(control, message, wParam, lParam);
            InvalidateRect(control, nullptr, TRUE);
            return r;
        }
        default: return DefWindowProcA(control, message, wParam, lParam);
    }
}

char mnemonicOf(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API void InitCommonControls(void) {}

WINPLAT_API BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
