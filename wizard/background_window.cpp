#include "background_window.h"

#include "gdi_handle.h"
#include "resource_ids.h"
#include "text_table.h"
#include "window_helpers.h"

namespace huevista {
namespace {

// The viewing-angle pattern: 24-pixel squares at a pitch of 48 over the top half of each
// monitor, alternately of grey 16 and black, on grey 8.
constexpr int kSquare = 24, kRowPitch = 48, kColumnPitch = 96, kFirstOffset = 12, kSecondOffset = 60;
constexpr COLORREF kPatternGround = RGB(8, 8, 8);
constexpr COLORREF kLitSquare = RGB(16, 16, 16);
constexpr COLORREF kTextGrey = RGB(64, 64, 64);

void fillSquares(HDC dc, const RECT& m, HBRUSH brush, bool firstOnEvenRows) {
    const int width = m.right - m.left, height = m.bottom - m.top;
    for (int y = kFirstOffset; y < height / 2; y += kRowPitch) {
        const bool evenRow = (y / kRowPitch) % 2 == 0;
        for (int x = evenRow == firstOnEvenRows ? kFirstOffset : kSecondOffset; x < width - kSquare; x += kColumnPitch) {
            const RECT square{m.left + x, m.top + y, m.left + x + kSquare, m.top + y + kSquare};
            FillRect(dc, &square, brush);
        }
    }
}

}  // namespace

void BackgroundWindow::registerClass(HINSTANCE instance) {
    registerWindowClass(instance, kBackgroundClass, procedure, nullptr);
}

BackgroundWindow::BackgroundWindow(HINSTANCE instance, const MonitorList& monitors, const Fonts& fonts)
    : monitors_(monitors), fonts_(fonts), notice_(loadString(IDS_TILTFIT_NOTICE)) {
    registerClass(instance);
    // The bounding rectangle grown by the dialog frame on every side, so no edge shows.
    const int frameX = GetSystemMetrics(SM_CXDLGFRAME), frameY = GetSystemMetrics(SM_CYDLGFRAME);
    const RECT& b = monitors.bounds;
    origin_ = POINT{b.left - frameX, b.top - frameY};
    window_ = CreateWindowExA(0, kBackgroundClass, kBackgroundClass, WS_POPUP | WS_SYSMENU, origin_.x, origin_.y,
                              b.right - b.left + 2 * frameX, b.bottom - b.top + 2 * frameY, nullptr, nullptr, instance,
                              this);
    if (window_) ShowWindow(window_, SW_SHOWNOACTIVATE);
}

BackgroundWindow::~BackgroundWindow() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

void BackgroundWindow::setPattern(bool on) {
    pattern_ = on;
    if (window_) RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void BackgroundWindow::paintPattern(HDC dc, const RECT& m) const {
    GdiHandle<HBRUSH> lit(CreateSolidBrush(kLitSquare));
    fillSquares(dc, m, lit.get(), true);
    fillSquares(dc, m, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), false);
    RECT box{m.right - 160, m.bottom - 80, m.right, m.bottom};
    Selected font(dc, fonts_.get(FontKind::Regular8));
    DrawTextA(dc, notice_.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK);
}

void BackgroundWindow::paint(HDC dc, const RECT& clip) const {
    GdiHandle<HBRUSH> ground(CreateSolidBrush(pattern_ ? kPatternGround : RGB(0, 0, 0)));
    FillRect(dc, &clip, ground.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextGrey);
    for (int i = 0; i < monitors_.count(); ++i) {
        // Each monitor in the window's coordinates: the desktop's, less the window's origin.
        RECT m = monitors_.monitors[static_cast<size_t>(i)];
        OffsetRect(&m, -origin_.x, -origin_.y);
        if (pattern_) paintPattern(dc, m);
        if (monitors_.count() > 1) {
            const std::string label = formatString(IDS_MONITOR_LABEL, i + 1);
            RECT box{m.left + 10, m.bottom - 50, m.left + 250, m.bottom};
            Selected font(dc, fonts_.get(FontKind::Regular32));
            DrawTextA(dc, label.c_str(), -1, &box, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        }
    }
}

LRESULT CALLBACK BackgroundWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<BackgroundWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<BackgroundWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_ERASEBKGND: return 1;  // painted whole in WM_PAINT
        case WM_PAINT:
            if (self) {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(window, &ps);
                self->paint(dc, ps.rcPaint);
                EndPaint(window, &ps);
                return 0;
            }
            break;
        case WM_NCDESTROY: SetWindowLongPtrA(window, GWLP_USERDATA, 0); break;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace huevista
