// The style's elements on a device context, as uxtheme's DrawThemeBackground: the rectangle in
// logical coordinates, clipped as the context clips.
#include "gdi_internal.h"
#include "gdi_state.h"

namespace winplat::detail {

bool drawThemeElement(HDC hdc, int element, UINT state, const RECT& rect) {
    return withContext(hdc, false, [&](GdiTable& g, PaintDc& dc) -> bool {
        const WinplatDriverFunctions* driver = loadedGuiDriver();
        if (!driver || !driver->drawThemeElement || !prepareRaster(g, dc)) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return false;
        }
        Raster& r = dc.raster;
        POINT a = toDevice(dc, rect.left, rect.top), b = toDevice(dc, rect.right, rect.bottom);
        RECT device{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
        RectSet touched = r.clip;
        clipTo(touched, device);
        if (touched.empty()) return true;
        driver->drawThemeElement(surfaceOf(g, dc), touched.data(), static_cast<int>(touched.size()), element, state, &device);
        RECT bound = boundingBox(touched);
        r.changed = emptyRect(r.changed) ? bound : boundingBox(RectSet{r.changed, bound});
        notePainted(g, dc);
        return true;
    });
}

}  // namespace winplat::detail
