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

namespace {

void drawPictureButton(const DRAWITEMSTRUCT& item, bool chosen, const ButtonFaces& faces) {
    const bool down = (item.itemState & ODS_SELECTED) || chosen;
    HBITMAP bitmap = faces[down ? 2 : ((item.itemState & ODS_FOCUS) ? 1 : 0)].get();
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

}  // namespace

bool pictureButtonMessage(UINT message, WPARAM wParam, LPARAM lParam, std::span<const int> ids,
                          std::span<const ButtonFaces> faces, int chosen, const std::function<void(int)>& choose,
                          INT_PTR& result) {
    if (message == WM_DRAWITEM) {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        for (size_t k = 0; k < ids.size() && k < faces.size(); ++k)
            if (ids[k] == static_cast<int>(item.CtlID)) drawPictureButton(item, chosen == static_cast<int>(k), faces[k]);
        result = TRUE;
        return true;
    }
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
    for (size_t k = 0; k < ids.size(); ++k) {
        if (LOWORD(wParam) != ids[k]) continue;
        choose(static_cast<int>(k));
        result = TRUE;
        return true;
    }
    return false;
}

}  // namespace huevista
