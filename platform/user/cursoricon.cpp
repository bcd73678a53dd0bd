// Cursors and icons: the system ones (IDC_*, IDI_*) as handles that name them, the current
// cursor, and the driver's shape for the window under the pointer.
#include <mutex>
#include <vector>

#include "cursoricon.h"
#include "icons.h"
#include "detail.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

// System cursor handles: 0x00C0000 + the IDC number; system icons 0x00D0000 + the IDI number.
constexpr uintptr_t kCursorBase = 0xC0000;
constexpr uintptr_t kIconBase = 0xD0000;

struct CursorState {
    std::mutex mutex;
    HCURSOR current = nullptr;
    HWND under = nullptr;  // the window the pointer is over, whose Qt window shows the cursor
};

CursorState& cursors() {
    static CursorState s;
    return s;
}

bool knownCursor(uintptr_t id) {
    switch (id) {
        case 32512: case 32513: case 32514: case 32515: case 32516: case 32642: case 32643:
        case 32644: case 32645: case 32646: case 32648: case 32649: case 32650: case 32651:
            return true;
        default:
            return false;
    }
}

}  // namespace

int systemCursorOf(HCURSOR cursor) {
    auto v = reinterpret_cast<uintptr_t>(cursor);
    return v > kCursorBase && knownCursor(v - kCursorBase) ? static_cast<int>(v - kCursorBase) : 0;
}

void pointerOver(HWND hwnd) {
    CursorState& s = cursors();
    std::lock_guard lock(s.mutex);
    s.under = hwnd;
}

void resetCursors() {
    resetIcons();
    CursorState& s = cursors();
    std::lock_guard lock(s.mutex);
    s.current = nullptr;
    s.under = nullptr;
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    if (hInstance)
        return static_cast<HCURSOR>(LoadImageA(hInstance, lpCursorName, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    auto id = reinterpret_cast<uintptr_t>(lpCursorName);
    if (!IS_INTRESOURCE(lpCursorName) || !knownCursor(id)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HCURSOR>(kCursorBase + id);
}

WINPLAT_API HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    if (hInstance) return static_cast<HICON>(LoadImageA(hInstance, lpIconName, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    auto id = reinterpret_cast<uintptr_t>(lpIconName);
    if (!IS_INTRESOURCE(lpIconName) || id < 32512 || id > 32517) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HICON>(kIconBase + id);
}

WINPLAT_API HCURSOR SetCursor(HCURSOR hCursor) {
    HWND under;
    HCURSOR previous;
    {
        CursorState& s = cursors();
        std::lock_guard lock(s.mutex);
        previous = std::exchange(s.current, hCursor);
        under = s.under;
    }
    if (previous != hCursor && under) {
        const WinplatDriverFunctions* driver = loadedGuiDriver();
        WinplatDriverWindow* window = nullptr;
        {
            WindowTable& t = windowTable();
            std::lock_guard lock(t.mutex);
            if (auto w = findWindow(t, under)) window = topLevelOf(t, w)->driverWindow;
        }
        if (driver && window) {
            auto made = iconPixels(hCursor);
            if (made) {
                std::vector<uint32_t> argb = argbPixels(*made);
                driver->setWindowCursorImage(window, argb.data(), made->width, made->height, made->hotSpot);
            } else {
                driver->setWindowCursor(window, hCursor ? systemCursorOf(hCursor) : -1);
            }
        }
    }
    return previous;
}

WINPLAT_API HCURSOR GetCursor(void) {
    CursorState& s = cursors();
    std::lock_guard lock(s.mutex);
    return s.current;
}

// System cursors and icons are shared: destroying one succeeds and changes nothing.
WINPLAT_API BOOL DestroyCursor(HCURSOR hCursor) {
    return systemCursorOf(hCursor) || forgetIcon(hCursor) ? TRUE : FALSE;
}

WINPLAT_API BOOL DestroyIcon(HICON hIcon) {
    auto v = reinterpret_cast<uintptr_t>(hIcon);
    return (v > kIconBase && v <= kIconBase + 32517) || forgetIcon(hIcon) ? TRUE : FALSE;
}
