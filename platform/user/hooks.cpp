// The GUI test hooks of winplat.h: saving a window's surface and changing the virtual display.
#include <cstring>
#include <vector>

#include "detail.h"
#include "display_backend.h"
#include "winplat.h"
#include "wintable.h"

using namespace winplat::detail;

WINPLAT_API BOOL WinplatSaveWindowImage(HWND w, LPCSTR pngPath) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        if (!pngPath) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const WinplatDriverFunctions* driver = loadedGuiDriver();
        WinplatDriverWindow* window = nullptr;
        {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            auto record = findWindow(t, w);
            if (!record) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return FALSE;
            }
            if (!record->isChild()) window = record->driverWindow;
        }
        if (!driver || !window) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        GdiFlush();
        WinplatSurface* surface = driver->windowSurface(window);
        WinplatSurfaceBits bits{};
        if (!surface || !driver->surfaceBits(surface, &bits)) return FALSE;
        RECT all{0, 0, bits.width, bits.height};
        if (!driver->saveSurfacePng(surface, &all, pngPath)) {
            SetLastError(ERROR_WRITE_FAULT);
            return FALSE;
        }
        return TRUE;
    });
}

WINPLAT_API BOOL WinplatVirtualDisplayChanged(void) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        std::vector<RECT> rects;
        int bits = 32;
        {
            auto access = displayBackend();
            if (std::strcmp(access.backend.name(), "virtual") != 0) {
                SetLastError(ERROR_NOT_SUPPORTED);
                return FALSE;
            }
        }
        reloadDisplay();
        RECT primary{};
        {
            auto access = displayBackend();
            for (const MonitorDesc& m : access.backend.monitors()) {
                rects.push_back(m.rect);
                if (m.primary) primary = m.rect, bits = m.bitsPerPixel * m.planes;
            }
        }
        if (const WinplatDriverFunctions* driver = loadedGuiDriver())
            driver->configureScreens(rects.data(), static_cast<int>(rects.size()));
        std::vector<HWND> tops = topLevelWindows();
        for (HWND h : tops)
            SendMessageA(h, WM_DISPLAYCHANGE, static_cast<WPARAM>(bits),
                         MAKELPARAM(primary.right - primary.left, primary.bottom - primary.top));
        return TRUE;
    });
}
