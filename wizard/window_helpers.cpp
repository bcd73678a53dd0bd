#include "window_helpers.h"

#include "gdi_handle.h"

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

void drawPictureButton(const DRAWITEMSTRUCT& item, bool chosen, const HBITMAP (&faces)[3]) {
    const bool down = (item.itemState & ODS_SELECTED) || chosen;
    HBITMAP bitmap = faces[down ? 2 : ((item.itemState & ODS_FOCUS) ? 1 : 0)];
    BITMAP size{};
    if (!bitmap || !GetObjectA(bitmap, sizeof size, &size)) return;
    HDC source = CreateCompatibleDC(item.hDC);
    {
        Selected picture(source, bitmap);
        StretchBlt(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right - item.rcItem.left,
                   item.rcItem.bottom - item.rcItem.top, source, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    }
    DeleteDC(source);
}

int clickedButton(WPARAM wParam, std::span<const int> ids) {
    if (HIWORD(wParam) != BN_CLICKED) return -1;
    for (size_t k = 0; k < ids.size(); ++k)
        if (LOWORD(wParam) == ids[k]) return static_cast<int>(k);
    return -1;
}

}  // namespace huevista
