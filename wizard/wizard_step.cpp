#include "wizard_step.h"

#include "text_table.h"
#include "window_helpers.h"

namespace huevista {
namespace {

constexpr int kFrameInset = 2, kFrameTrim = 3, kFrameCorner = 15, kFramePen = 4;

}  // namespace

WizardStep::WizardStep(WizardHost& host, const StepInfo& info, COLORREF background)
    : host_(host), info_(info), background_(background), brush_(CreateSolidBrush(background)),
      pen_(CreatePen(PS_SOLID, kFramePen, RGB(128, 128, 128))) {}

WizardStep::~WizardStep() { destroy(); }

std::string WizardStep::title() const { return loadString(info_.title); }

std::string WizardStep::instruction() const { return loadString(info_.instruction); }

void WizardStep::setBackground(COLORREF colour) {
    background_ = colour;
    brush_.reset(CreateSolidBrush(colour));
    frame_.reset();
}

bool WizardStep::create(HWND dialog, const RECT& place) {
    destroy();
    place_ = place;
    HWND made = CreateDialogParamA(host_.instance(), MAKEINTRESOURCEA(info_.templateId), dialog, procedure,
                                   reinterpret_cast<LPARAM>(this));
    if (!made) return false;
    ShowWindow(made, SW_SHOW);
    shown();
    return true;
}

void WizardStep::destroy() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
}

POINT WizardStep::pictureOrigin(int width, int height) const {
    RECT client{};
    GetClientRect(window_, &client);
    return POINT{(client.right - width) / 2, (client.bottom - height) / 2};
}

void WizardStep::repaint() const {
    if (window_) InvalidateRect(window_, nullptr, TRUE);
}

void WizardStep::paintFrame(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    HDC frame = CreateCompatibleDC(dc);
    if (!frame_ || frameSize_.cx != client.right || frameSize_.cy != client.bottom) {
        frame_.reset(CreateCompatibleBitmap(dc, client.right, client.bottom));
        frameSize_ = SIZE{client.right, client.bottom};
        Selected bitmap(frame, frame_.get());
        FillRect(frame, &client, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
        Selected pen(frame, pen_.get()), brush(frame, brush_.get());
        RoundRect(frame, kFrameInset, kFrameInset, client.right - kFrameTrim - kFrameInset,
                  client.bottom - kFrameTrim - kFrameInset, kFrameCorner, kFrameCorner);
    }
    {
        Selected bitmap(frame, frame_.get());
        BitBlt(dc, 0, 0, client.right, client.bottom, frame, 0, 0, SRCCOPY);
    }
    DeleteDC(frame);
}

INT_PTR CALLBACK WizardStep::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WizardStep* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<WizardStep*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->window_ = window;
        // Centred in the place the main dialog gives it.
        RECT r{};
        GetWindowRect(window, &r);
        const int width = r.right - r.left, height = r.bottom - r.top;
        const RECT& p = self->place_;
        SetWindowPos(window, nullptr, p.left + (p.right - p.left - width) / 2, p.top + (p.bottom - p.top - height) / 2, 0,
                     0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        self->created();
        return FALSE;
    }
    self = reinterpret_cast<WizardStep*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self || self->window_ != window) return FALSE;
    INT_PTR result = 0;
    if (self->handle(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_ERASEBKGND:
            // WM_PAINT covers the whole step.
            SetWindowLongPtrA(window, DWLP_MSGRESULT, 1);
            return TRUE;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            self->paintFrame(dc);
            self->paint(dc);
            EndPaint(window, &ps);
            return TRUE;
        }
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return dialogGrey(wParam);
        case WM_DESTROY:
            self->destroying();
            self->window_ = nullptr;
            SetWindowLongPtrA(window, DWLP_USER, 0);
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace huevista
