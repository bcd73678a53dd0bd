// "msctls_progress32": a range and a position, painted as the style's groove with the filled
// part of its chunk colour.
#include <algorithm>

#include "controls.h"
#include "driver.h"
#include "gdi_internal.h"

namespace winplat::detail {
namespace {

struct ProgressState : ControlState {
    int min = 0, max = 100, pos = 0, step = 10;
};

void paint(HWND hwnd, ProgressState& s) {
    ControlPaint p(hwnd, s.font, WM_CTLCOLORSTATIC);
    HDC dc = p.dc();
    if (!dc) return;
    RECT r = p.client();
    bool vert = (GetWindowLongPtrA(hwnd, GWL_STYLE) & PBS_VERTICAL) != 0;
    UINT state = vert ? WINPLAT_THEME_VERTICAL : 0;
    drawThemeElement(dc, WINPLAT_THEME_PROGRESSGROOVE, state, r);
    int span = std::max(1, s.max - s.min);
    RECT inner = r;
    InflateRect(&inner, -1, -1);
    RECT filled = inner;
    if (vert) filled.top = inner.bottom - MulDiv(inner.bottom - inner.top, s.pos - s.min, span);
    else filled.right = inner.left + MulDiv(inner.right - inner.left, s.pos - s.min, span);
    if (!IsRectEmpty(&filled)) drawThemeElement(dc, WINPLAT_THEME_PROGRESSCHUNK, state, filled);
}

int setPos(HWND hwnd, ProgressState& s, int pos) {
    int old = s.pos;
    s.pos = std::clamp(pos, s.min, std::max(s.min, s.max));
    if (s.pos != old) InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

LRESULT handle(HWND hwnd, ProgressState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: paint(hwnd, s); return 0;
        case WM_ERASEBKGND: return 1;
        case PBM_SETRANGE:
        case PBM_SETRANGE32: {
            LRESULT old = MAKELRESULT(s.min, s.max);
            if (message == PBM_SETRANGE) s.min = LOWORD(lParam), s.max = HIWORD(lParam);
            else s.min = static_cast<int>(wParam), s.max = static_cast<int>(lParam);
            setPos(hwnd, s, s.pos);
            InvalidateRect(hwnd, nullptr, TRUE);
            return old;
        }
        case PBM_GETRANGE: return wParam ? s.min : s.max;
        case PBM_SETPOS: return setPos(hwnd, s, static_cast<int>(wParam));
        case PBM_DELTAPOS: return setPos(hwnd, s, s.pos + static_cast<int>(wParam));
        case PBM_SETSTEP: return std::exchange(s.step, static_cast<int>(wParam));
        case PBM_STEPIT: {
            int next = s.pos + s.step;
            if (next > s.max) next = s.min + (next - s.max);  // the bar starts over, as Win32's does
            return setPos(hwnd, s, next);
        }
        case PBM_GETPOS: return s.pos;
        default: return controlDefault(hwnd, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK progressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return runControl<ProgressState>(hwnd, message, wParam, lParam, handle);
}

}  // namespace winplat::detail
