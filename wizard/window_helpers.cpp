#include "window_helpers.h"

namespace huevista {

void registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, HCURSOR cursor) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

INT_PTR dialogGrey(WPARAM dc) {
    SetTextColor(reinterpret_cast<HDC>(dc), RGB(0, 0, 0));
    SetBkColor(reinterpret_cast<HDC>(dc), RGB(192, 192, 192));
    return reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH));
}

}  // namespace huevista
