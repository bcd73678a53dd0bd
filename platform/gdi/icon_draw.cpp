// DrawIconEx: an icon's or cursor's pixels, nearest-neighbour to the size asked for, leaving
// the destination where the mask is transparent.
#include "detail.h"
#include "gdi_state.h"
#include "icons.h"

using namespace winplat::detail;

WINPLAT_API BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT,
                            HBRUSH, UINT diFlags) {
    auto icon = iconPixels(hIcon);
    if (!icon) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    int width = cxWidth ? cxWidth : icon->width, height = cyWidth ? cyWidth : icon->height;
    return withContext(hdc, BOOL{FALSE}, [&](GdiTable& g, PaintDc& dc) -> BOOL {
        if (!prepareRaster(g, dc)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        POINT origin = toDevice(dc, xLeft, yTop);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                size_t at = static_cast<size_t>((y * icon->height / height) * icon->width + x * icon->width / width);
                bool clear = (diFlags & DI_MASK) && icon->transparent[at];
                if (clear || !(diFlags & DI_IMAGE)) continue;
                setPixel(dc.raster, origin.x + x, origin.y + y, icon->colours[at], R2_COPYPEN);
            }
        notePainted(g, dc);
        return TRUE;
    });
}
