// System metrics of the window frames, the work area, and the system colours: the style's
// palette when the driver runs (so programs wear the user's theme), else the classic colours.
#include <mutex>

#include "detail.h"
#include "display_backend.h"
#include "driver.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

constexpr int kColours = 31;

// The classic scheme, 0x00BBGGRR.
constexpr COLORREF kClassic[kColours] = {
    0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
    0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xD08410, 0xB5B5B5, 0x800000, 0xC0C0C0,
};

struct Colours {
    std::once_flag loaded;
    COLORREF values[kColours];
};

Colours& colours() {
    static Colours c;
    return c;
}

const COLORREF* systemColours() {
    Colours& c = colours();
    std::call_once(c.loaded, [&] {
        std::copy(std::begin(kClassic), std::end(kClassic), c.values);
        if (const WinplatDriverFunctions* driver = guiDriver()) driver->systemColours(c.values, kColours);
    });
    return c.values;
}

RECT primaryRect(DisplayAccess& access) {
    for (const MonitorDesc& m : access.backend.monitors())
        if (m.primary) return m.rect;
    return {};
}

}  // namespace

RECT workAreaOf(DisplayBackend& backend, const RECT& monitor) {
    RECT area{};
    if (!backend.workArea(area)) return monitor;
    RECT common = intersectionOf(area, monitor);
    return common.right > common.left ? common : monitor;
}

bool DisplayBackend::taskbar(TaskbarPlace& bar) {
    const RECT* primary = nullptr;
    for (const MonitorDesc& m : monitors())
        if (m.primary) primary = &m.rect;
    RECT area{};
    if (!primary || !workArea(area)) return false;
    RECT work = intersectionOf(area, *primary);
    // The side the work area leaves free; the thickest one when it leaves several.
    const std::pair<UINT, LONG> sides[] = {{ABE_BOTTOM, primary->bottom - work.bottom},
                                           {ABE_TOP, work.top - primary->top},
                                           {ABE_LEFT, work.left - primary->left},
                                           {ABE_RIGHT, primary->right - work.right}};
    bar = TaskbarPlace{};
    for (const auto& [edge, size] : sides)
        if (size > bar.size) bar = TaskbarPlace{edge, size, false};
    return bar.size > 0 && work.right > work.left;
}

RECT intersectionOf(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return r.right > r.left && r.bottom > r.top ? r : RECT{};
}

int userSystemMetric(int index) {
    switch (index) {
        case SM_CXVSCROLL: case SM_CYHSCROLL: return 16;
        case SM_CYCAPTION: return managerMetric(index, 19);
        case SM_CYMENU: return 19;
        case SM_CXBORDER: case SM_CYBORDER: return 1;
        case SM_CXDLGFRAME: case SM_CYDLGFRAME: return managerMetric(index, 3);
        case SM_CXFRAME: case SM_CYFRAME: return managerMetric(index, 4);
        case SM_CXEDGE: case SM_CYEDGE: return 2;
        case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
        case SM_CXSMICON: case SM_CYSMICON: return 16;
        case SM_CYSMCAPTION: return 15;
        case SM_CXSIZE: case SM_CYSIZE: return 18;
        case SM_CXMIN: return 112;
        case SM_CYMIN: return 27;
        case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: case SM_CXDRAG: case SM_CYDRAG: return 4;
        case SM_MOUSEPRESENT: return 1;
        case SM_CXFULLSCREEN: case SM_CYFULLSCREEN: case SM_CXMAXIMIZED: case SM_CYMAXIMIZED: {
            auto access = displayBackend();
            RECT work = workAreaOf(access.backend, primaryRect(access));
            if (index == SM_CXFULLSCREEN) return work.right - work.left;
            if (index == SM_CYFULLSCREEN) return work.bottom - work.top - 19;
            if (index == SM_CXMAXIMIZED) return work.right - work.left + 8;
            return work.bottom - work.top + 8;
        }
        default: return 0;
    }
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API BOOL SystemParametersInfoA(UINT uiAction, UINT, PVOID pvParam, UINT) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        if (uiAction != SPI_GETWORKAREA) {
            SetLastError(ERROR_INVALID_SPI_VALUE);
            return FALSE;
        }
        if (!pvParam) {
            SetLastError(ERROR_NOACCESS);
            return FALSE;
        }
        auto access = displayBackend();
        *static_cast<RECT*>(pvParam) = workAreaOf(access.backend, primaryRect(access));
        return TRUE;
    });
}

WINPLAT_API DWORD GetSysColor(int nIndex) {
    if (nIndex < 0 || nIndex >= kColours) return 0;
    return systemColours()[nIndex];
}
