// The system classes (internal): window procedures of the built-in controls, dialogs and
// menus, registered in every process state, and what the controls share: their state in the
// first pointer of their extra bytes, fonts, colours from the parent and notifications.
#pragma once

#include <memory>
#include <string>

#include "win32.h"
#include "wintable.h"

namespace winplat::detail {

LRESULT CALLBACK buttonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK staticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK editProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK comboProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK comboListProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK menuWindowProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK trackbarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK progressProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK animateProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK tabProc(HWND, UINT, WPARAM, LPARAM);

// Registers the system classes into a table emptied by a reset (callers hold the lock).
void registerSystemClasses(WindowTable& t);

// What every control keeps: its font.
struct ControlState {
    HFONT font = nullptr;
    virtual ~ControlState() = default;
};

// Runs a control's procedure over its state, made at WM_NCCREATE and dropped after
// WM_NCDESTROY; the state lives while any call on the stack uses it. WM_SETFONT and
// WM_GETFONT are answered here (the handler hears of WM_SETFONT too); messages before the state exists go to DefWindowProcA.
template <typename State>
LRESULT runControl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                   LRESULT (*handler)(HWND, State&, UINT, WPARAM, LPARAM)) {
    using Holder = std::shared_ptr<State>;
    if (message == WM_NCCREATE) SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(new Holder(std::make_shared<State>())));
    auto* holder = reinterpret_cast<Holder*>(GetWindowLongPtrA(hwnd, 0));
    if (!holder) return DefWindowProcA(hwnd, message, wParam, lParam);
    Holder keep = *holder;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, 0, 0);
        delete holder;
    }
    switch (message) {
        case WM_SETFONT:
            // Kept here; the control's handler hears of it too (to measure itself again).
            keep->font = reinterpret_cast<HFONT>(wParam);
            handler(hwnd, *keep, message, wParam, lParam);
            if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(keep->font);
        default: return handler(hwnd, *keep, message, wParam, lParam);
    }
}

// Sends WM_COMMAND(MAKEWPARAM(id, code), control) to the control's parent.
void notifyParent(HWND control, WORD code);
// The control's id.
UINT controlId(HWND control);
// Whether the control's window is enabled.
bool controlEnabled(HWND control);

// A control's WM_PAINT: BeginPaint, its font selected, the parent's WM_CTLCOLOR* brush (and
// colours) asked for and the client area filled with it unless `fill` is false.
class ControlPaint {
public:
    ControlPaint(HWND control, HFONT font, UINT colourMessage, bool fill = true);
    // The same with a brush of its own instead of the parent's (popups: lists and menus).
    ControlPaint(HWND control, HFONT font, HBRUSH background);
    ~ControlPaint();
    ControlPaint(const ControlPaint&) = delete;
    ControlPaint& operator=(const ControlPaint&) = delete;
    HDC dc() const { return ps_.hdc; }
    const RECT& client() const { return client_; }
    HBRUSH brush() const { return brush_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    RECT client_{};
    HBRUSH brush_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
};

// The control's font on a context of its own, for measuring (a 6 x 13 cell without the
// driver).
class TextMeasure {
public:
    TextMeasure(HWND control, HFONT font);
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;
    int height() const;  // tmHeight
    int width(const std::string& text) const;

private:
    HWND hwnd_;
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

// The brush a control's parent answers WM_CTLCOLOR* with (DefWindowProcA's when it answers
// none), the DC's colours set.
HBRUSH parentBrush(HWND control, HDC dc, UINT colourMessage);

// What every control does with the messages it leaves alone: WM_ENABLE and WM_SETTEXT
// repaint it, the rest is DefWindowProcA's.
LRESULT controlDefault(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// Text without the '&' of mnemonics, and the mnemonic's letter (0: none), upper case.
char mnemonicOf(const std::string& text);

}  // namespace winplat::detail
