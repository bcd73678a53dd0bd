#include "slider_control.h"

#include "gdi_handle.h"

namespace huevista {
namespace {

constexpr char kChannelProperty[] = "HuevistaSliderChannel";
constexpr char kThumbProperty[] = "HuevistaSliderThumb";
WNDPROC systemTrackbar = nullptr;

void stretch(HDC dc, HBITMAP bitmap, const RECT& r) {
    BITMAP size{};
    if (!bitmap || !GetObjectA(bitmap, sizeof size, &size)) return;
    HDC source = CreateCompatibleDC(dc);
    {
        Selected picture(source, bitmap);
        StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, size.bmWidth, size.bmHeight,
                   SRCCOPY);
    }
    DeleteDC(source);
}

LRESULT CALLBACK sliderProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return CallWindowProcA(systemTrackbar, window, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client{}, channel{}, thumb{};
    GetClientRect(window, &client);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
    FillRect(dc, &client, brush ? brush : static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    CallWindowProcA(systemTrackbar, window, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    CallWindowProcA(systemTrackbar, window, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    stretch(dc, static_cast<HBITMAP>(GetPropA(window, kChannelProperty)), channel);
    stretch(dc, static_cast<HBITMAP>(GetPropA(window, kThumbProperty)), thumb);
    EndPaint(window, &ps);
    return 0;
}

}  // namespace

void registerSliderClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    if (!GetClassInfoA(nullptr, "msctls_trackbar32", &wc)) return;
    systemTrackbar = wc.lpfnWndProc;
    wc.lpfnWndProc = sliderProcedure;
    wc.hInstance = instance;
    wc.lpszClassName = kSliderClass;
    RegisterClassA(&wc);  // already registered by an earlier run of this process: kept
}

void setSliderBitmaps(HWND slider, HBITMAP channel, HBITMAP thumb) {
    SetPropA(slider, kChannelProperty, channel);
    SetPropA(slider, kThumbProperty, thumb);
    InvalidateRect(slider, nullptr, TRUE);
}

}  // namespace huevista
