// Win32 display functions: argument checks, HDC and HMONITOR handles, the system families'
// differences and Win32 result codes, over the display backend of the process.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "ascii_case.h"
#include "detail.h"
#include "display_backend.h"
#include "gdi_internal.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

// A machine whose chosen X server does not answer: no monitor at all.
class NoDisplay final : public DisplayBackend {
public:
    const char* name() const override { return "none"; }
    const std::vector<MonitorDesc>& monitors() const override { return none_; }
    std::string adapterDescription() const override { return {}; }
    bool getRamp(size_t, GammaRamp&) override { return false; }
    bool setRamp(size_t, const GammaRamp&) override { return false; }

private:
    std::vector<MonitorDesc> none_;
};

constexpr long kWholeScreen = -1;

struct DeviceContext {
    long monitor = kWholeScreen;  // a display device, or the whole screen
    bool fromGetDC = false;       // released with ReleaseDC, else deleted with DeleteDC
    int icmMode = ICM_OFF;        // SetICMMode's state of the context
};

struct DisplayState {
    std::recursive_mutex mutex;
    std::unique_ptr<DisplayBackend> backend;
    std::unordered_map<uintptr_t, DeviceContext> contexts;
    // Device context handles are 1 modulo 4 (file handles are multiples of 4, windows 2 modulo
    // 4) and never reused within the process.
    uintptr_t nextContext = 0x20001;
    // Monitor handles carry the generation of the backend they came from, so a handle from
    // before a reset of the process state can only miss.
    uintptr_t generation = 1;
};

DisplayState& state() {
    static DisplayState s;
    return s;
}

std::unique_ptr<DisplayBackend> chooseBackend() {
    const char* wanted = std::getenv("SPECTRINE_DISPLAY");
    std::string choice = wanted ? wanted : "";
    if (equalsIgnoringCase(choice, "virtual")) return makeVirtualDisplay(systemRoot());
    if (equalsIgnoringCase(choice, "x11")) {
        if (auto x11 = makeX11Display()) return x11;
        std::fprintf(stderr, "winplat: SPECTRINE_DISPLAY=x11 but the X server of DISPLAY does "
                             "not answer; there is no monitor\n");
        return std::make_unique<NoDisplay>();
    }
    if (auto x11 = makeX11Display()) return x11;
    return makeVirtualDisplay(systemRoot());
}

bool multiMonitorFamily() { return family() == Family::Win98 || family() == Family::NT5; }

// The functions Windows 95 and NT 4 lacked fail as if they were missing.
bool refuseOnOldFamilies() {
    if (multiMonitorFamily()) return false;
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return true;
}

long primaryIndex(const std::vector<MonitorDesc>& monitors) {
    for (size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].primary) return static_cast<long>(i);
    return monitors.empty() ? -1 : 0;
}

RECT virtualScreen(const std::vector<MonitorDesc>& monitors) {
    if (monitors.empty()) return {};
    RECT r = monitors[0].rect;
    for (const auto& m : monitors) {
        r.left = std::min(r.left, m.rect.left);
        r.top = std::min(r.top, m.rect.top);
        r.right = std::max(r.right, m.rect.right);
        r.bottom = std::max(r.bottom, m.rect.bottom);
    }
    return r;
}

bool intersect(RECT& out, const RECT& a, const RECT& b) {
    out = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (out.left >= out.right || out.top >= out.bottom) {
        out = {};
        return false;
    }
    return true;
}

HMONITOR monitorHandle(const DisplayState& s, size_t index) {
    return reinterpret_cast<HMONITOR>((s.generation << 16) | (index + 1));
}

// The monitor index of a handle of the current generation, or -1.
long monitorIndex(const DisplayState& s, HMONITOR h, size_t count) {
    auto v = reinterpret_cast<uintptr_t>(h);
    if ((v >> 16) != s.generation) return -1;
    size_t index = (v & 0xFFFF) - 1;
    return (v & 0xFFFF) != 0 && index < count ? static_cast<long>(index) : -1;
}

HDC newContext(DisplayState& s, const DeviceContext& dc) {
    uintptr_t h = s.nextContext;
    s.nextContext += 4;
    s.contexts.emplace(h, dc);
    return reinterpret_cast<HDC>(h);
}

// The monitor a device context stands for (the primary one for the whole screen), or -1 for an
// unknown handle.
long contextMonitor(DisplayState& s, const std::vector<MonitorDesc>& monitors, HDC hdc) {
    auto it = s.contexts.find(reinterpret_cast<uintptr_t>(hdc));
    if (it == s.contexts.end()) return -1;
    long m = it->second.monitor == kWholeScreen ? primaryIndex(monitors) : it->second.monitor;
    return m >= 0 && static_cast<size_t>(m) < monitors.size() ? m : -1;
}

// "\\.\DISPLAYn" with n from 1 to the device count: the index n - 1, else -1.
long deviceIndexOf(LPCSTR name, size_t count) {
    if (!name) return -1;
    constexpr std::string_view prefix = "\\\\.\\DISPLAY";
    size_t len = std::strlen(name);
    if (len <= prefix.size() || !startsWithIgnoringCase(name, prefix)) return -1;
    long n = 0;
    for (size_t i = prefix.size(); i < len; ++i) {
        if (name[i] < '0' || name[i] > '9' || n > 1000) return -1;
        n = n * 10 + (name[i] - '0');
    }
    if (name[prefix.size()] == '0') return -1;
    return n >= 1 && static_cast<size_t>(n) <= count ? n - 1 : -1;
}

int colourDepth(const MonitorDesc& m) { return m.bitsPerPixel * m.planes; }

int numColours(const MonitorDesc& m) {
    int depth = colourDepth(m);
    if (depth > 8) return -1;
    if (depth == 8) return 20;  // the static colours of the system palette
    return 1 << depth;
}

// Physical size in millimetres: the EDID's centimetres when it has them, else 96 pixels to
// the inch.
int physicalSize(const MonitorDesc& m, bool horizontal) {
    size_t byte = horizontal ? 21 : 22;
    if (m.edid.size() >= 128 && m.edid[byte] != 0) return m.edid[byte] * 10;
    LONG pixels = horizontal ? m.rect.right - m.rect.left : m.rect.bottom - m.rect.top;
    return static_cast<int>(std::lround(pixels * 25.4 / 96.0));
}

int deviceCaps(const MonitorDesc& m, int index) {
    int depth = colourDepth(m);
    switch (index) {
        case DRIVERVERSION: return 0x4000;
        case TECHNOLOGY: return DT_RASDISPLAY;
        case HORZSIZE: return physicalSize(m, true);
        case VERTSIZE: return physicalSize(m, false);
        case HORZRES:
        case DESKTOPHORZRES: return m.rect.right - m.rect.left;
        case VERTRES:
        case DESKTOPVERTRES: return m.rect.bottom - m.rect.top;
        case BITSPIXEL: return m.bitsPerPixel;
        case PLANES: return m.planes;
        case NUMCOLORS: return numColours(m);
        case RASTERCAPS:
            return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT |
                   (depth == 8 ? RC_PALETTE : 0);
        case LOGPIXELSX:
        case LOGPIXELSY: return 96;
        case SIZEPALETTE: return depth == 8 ? 256 : 0;
        case NUMRESERVED: return depth == 8 ? 20 : 0;
        case COLORRES: return depth == 8 ? 18 : std::min(depth, 24);
        case VREFRESH: return 60;
        case COLORMGMTCAPS: return m.hasRamp ? CM_GAMMA_RAMP : CM_NONE;
        default: return 0;
    }
}

// Copies into a fixed field of a DISPLAY_DEVICEA, zero-filled past the text.
template <size_t N>
void putField(CHAR (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    copyBounded(field, N, text);
}

}  // namespace

GammaRamp identityRamp() {
    GammaRamp r{};
    for (size_t i = 0; i < r.size(); ++i) r[i] = static_cast<WORD>((i % 256) * 257);
    return r;
}

std::string displayDeviceName(size_t monitor) {
    return "\\\\.\\DISPLAY" + std::to_string(monitor + 1);
}

long displayDeviceMonitor(LPCSTR name) {
    auto access = displayBackend();
    return deviceIndexOf(name, access.backend.monitors().size());
}

long deviceContextMonitor(HDC hdc) {
    auto access = displayBackend();
    return contextMonitor(state(), access.backend.monitors(), hdc);
}

bool deviceContextIcmMode(HDC hdc, int mode, int& current) {
    auto access = displayBackend();
    auto it = state().contexts.find(reinterpret_cast<uintptr_t>(hdc));
    if (it == state().contexts.end()) return false;
    if (mode != 0) it->second.icmMode = mode;
    current = it->second.icmMode;
    return true;
}

DisplayAccess displayBackend() {
    DisplayState& s = state();
    std::unique_lock lock(s.mutex);
    if (!s.backend) s.backend = chooseBackend();
    return {*s.backend, std::move(lock)};
}

void reloadDisplay() {
    DisplayState& s = state();
    std::lock_guard lock(s.mutex);
    s.backend.reset();
    ++s.generation;
}

void resetDisplay() {
    DisplayState& s = state();
    std::lock_guard lock(s.mutex);
    s.backend.reset();
    s.contexts.clear();
    ++s.generation;
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HDC GetDC(HWND hWnd) {
    return winplat::detail::guardedCall(HDC{}, [&]() -> HDC {
        if (hWnd && !IsWindow(hWnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        // A window with a place paints its client area; a message-only window, like the
        // desktop, has the whole screen's context.
        if (hWnd && windowHasPlace(hWnd)) return windowDeviceContext(hWnd, false, nullptr);
        auto access = displayBackend();
        if (access.backend.monitors().empty()) {
            SetLastError(ERROR_DC_NOT_FOUND);
            return nullptr;
        }
        return newContext(state(), {kWholeScreen, true});
    });
}

WINPLAT_API int ReleaseDC(HWND, HDC hDC) {
    return winplat::detail::guardedCall(0, [&]() -> int {
        if (isPaintingContext(hDC)) return releasePaintingContext(hDC);
        auto access = displayBackend();
        DisplayState& s = state();
        auto it = s.contexts.find(reinterpret_cast<uintptr_t>(hDC));
        if (it == s.contexts.end() || !it->second.fromGetDC) return 0;
        s.contexts.erase(it);
        return 1;
    });
}

WINPLAT_API HDC CreateDCA(LPCSTR lpszDriver, LPCSTR lpszDevice, LPCSTR, const DEVMODEA*) {
    return winplat::detail::guardedCall(HDC{}, [&]() -> HDC {
        auto access = displayBackend();
        const auto& monitors = access.backend.monitors();
        bool driverIsDisplay = lpszDriver && winplat::equalsIgnoringCase(lpszDriver, "DISPLAY");
        long device = -1;
        bool wholeScreen = false;
        if (long n = deviceIndexOf(lpszDriver, monitors.size()); n >= 0) {
            device = n;
        } else if ((!lpszDriver || driverIsDisplay) && lpszDevice) {
            device = deviceIndexOf(lpszDevice, monitors.size());
        } else if (driverIsDisplay) {
            wholeScreen = true;
        }
        // Display device names came with the multiple-monitor systems.
        if (device >= 0 && !multiMonitorFamily()) device = -1;
        if (monitors.empty() || (device < 0 && !wholeScreen)) {
            SetLastError(monitors.empty() ? ERROR_DC_NOT_FOUND : ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        return newContext(state(), {wholeScreen ? kWholeScreen : device, false});
    });
}

WINPLAT_API BOOL DeleteDC(HDC hdc) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (isPaintingContext(hdc)) return deletePaintingContext(hdc);
        auto access = displayBackend();
        DisplayState& s = state();
        auto it = s.contexts.find(reinterpret_cast<uintptr_t>(hdc));
        if (it == s.contexts.end() || it->second.fromGetDC) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        s.contexts.erase(it);
        return TRUE;
    });
}

WINPLAT_API int GetDeviceCaps(HDC hdc, int index) {
    return winplat::detail::guardedCall(0, [&]() -> int {
        auto access = displayBackend();
        const auto& monitors = access.backend.monitors();
        long m = contextMonitor(state(), monitors, hdc);
        // Painting contexts answer as the primary screen.
        if (m < 0 && isPaintingContext(hdc)) m = primaryIndex(monitors);
        if (m < 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        return deviceCaps(monitors[static_cast<size_t>(m)], index);
    });
}

namespace {

// The monitor whose ramp a Get/SetDeviceGammaRamp call reaches, or -1 with the last error set:
// NT 4 has no ramp functions of its own, then the context and the ramp buffer are checked.
long rampMonitor(DisplayAccess& access, HDC hdc, LPVOID ramp) {
    if (family() == Family::NT4) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return -1;
    }
    long m = contextMonitor(state(), access.backend.monitors(), hdc);
    if (m < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    if (!ramp) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return m;
}

}  // namespace

WINPLAT_API BOOL GetDeviceGammaRamp(HDC hdc, LPVOID lpRamp) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        auto access = displayBackend();
        long m = rampMonitor(access, hdc, lpRamp);
        if (m < 0) return FALSE;
        GammaRamp ramp{};
        if (!access.backend.getRamp(static_cast<size_t>(m), ramp)) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        std::memcpy(lpRamp, ramp.data(), sizeof ramp);
        return TRUE;
    });
}

WINPLAT_API BOOL SetDeviceGammaRamp(HDC hdc, LPVOID lpRamp) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        auto access = displayBackend();
        long m = rampMonitor(access, hdc, lpRamp);
        if (m < 0) return FALSE;
        GammaRamp ramp{};
        std::memcpy(ramp.data(), lpRamp, sizeof ramp);
        if (!access.backend.setRamp(static_cast<size_t>(m), ramp)) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        return TRUE;
    });
}

WINPLAT_API BOOL EnumDisplayDevicesA(LPCSTR lpDevice, DWORD iDevNum, PDISPLAY_DEVICEA dd, DWORD) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (refuseOnOldFamilies()) return FALSE;
        if (!dd || dd->cb < offsetof(DISPLAY_DEVICEA, DeviceID)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        auto access = displayBackend();
        const auto& monitors = access.backend.monitors();
        std::string name, text, id, key;
        DWORD flags = 0;
        if (!lpDevice) {
            if (iDevNum >= monitors.size()) return FALSE;
            name = displayDeviceName(iDevNum);
            text = access.backend.adapterDescription();
            flags = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP |
                    (monitors[iDevNum].primary ? DISPLAY_DEVICE_PRIMARY_DEVICE : 0);
            id = adapterPnpId(access.backend);
            char index[16];
            std::snprintf(index, sizeof index, "%04u", static_cast<unsigned>(iDevNum));
            key = std::string("System\\CurrentControlSet\\Services\\Class\\Display\\") + index;
        } else {
            long adapter = deviceIndexOf(lpDevice, monitors.size());
            if (adapter < 0 || iDevNum != 0) return FALSE;
            auto n = static_cast<size_t>(adapter);
            name = displayDeviceName(n) + "\\Monitor0";
            text = monitors[n].description;
            flags = DISPLAY_DEVICE_ACTIVE | DISPLAY_DEVICE_ATTACHED;
            MonitorPnp pnp = monitorPnp(monitors, n);
            id = "MONITOR\\" + pnp.id + "\\{4D36E96E-E325-11CE-BFC1-08002BE10318}\\" +
                 pnp.enumKey.substr(pnp.enumKey.rfind('\\') + 1);
            char index[16];
            std::snprintf(index, sizeof index, "%04u", static_cast<unsigned>(n));
            key = std::string("System\\CurrentControlSet\\Services\\Class\\Monitor\\") + index;
        }
        putField(dd->DeviceName, name);
        putField(dd->DeviceString, text);
        dd->StateFlags = flags;
        if (dd->cb >= offsetof(DISPLAY_DEVICEA, DeviceKey)) putField(dd->DeviceID, id);
        if (dd->cb >= sizeof(DISPLAY_DEVICEA)) putField(dd->DeviceKey, key);
        return TRUE;
    });
}

WINPLAT_API BOOL EnumDisplayMonitors(HDC hdc, LPCRECT lprcClip, MONITORENUMPROC lpfnEnum,
                                     LPARAM dwData) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (refuseOnOldFamilies()) return FALSE;
        if (!lpfnEnum) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        struct Visit {
            HMONITOR monitor;
            RECT rect;
        };
        std::vector<Visit> visits;
        {
            auto access = displayBackend();
            DisplayState& s = state();
            const auto& monitors = access.backend.monitors();
            // The area the context covers, in desktop coordinates, and its origin there.
            RECT limit{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
            POINT origin{0, 0};
            if (hdc) {
                auto it = s.contexts.find(reinterpret_cast<uintptr_t>(hdc));
                if (it == s.contexts.end()) {
                    SetLastError(ERROR_INVALID_HANDLE);
                    return FALSE;
                }
                if (it->second.monitor == kWholeScreen) {
                    limit = virtualScreen(monitors);
                } else if (static_cast<size_t>(it->second.monitor) < monitors.size()) {
                    limit = monitors[static_cast<size_t>(it->second.monitor)].rect;
                    origin = {limit.left, limit.top};
                }
            }
            if (lprcClip) {
                RECT clip{lprcClip->left + origin.x, lprcClip->top + origin.y,
                          lprcClip->right + origin.x, lprcClip->bottom + origin.y};
                if (!intersect(limit, limit, clip)) return TRUE;
            }
            for (size_t i = 0; i < monitors.size(); ++i) {
                RECT r;
                if (!intersect(r, monitors[i].rect, limit)) continue;
                r = {r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
                visits.push_back({monitorHandle(s, i), r});
            }
        }
        // The callback runs without the lock: it may call any display function.
        for (Visit& v : visits)
            if (!lpfnEnum(v.monitor, hdc, &v.rect, dwData)) return FALSE;
        return TRUE;
    });
}

WINPLAT_API BOOL GetMonitorInfoA(HMONITOR hMonitor, LPMONITORINFO lpmi) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (refuseOnOldFamilies()) return FALSE;
        if (!lpmi || (lpmi->cbSize != sizeof(MONITORINFO) && lpmi->cbSize != sizeof(MONITORINFOEXA))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        auto access = displayBackend();
        const auto& monitors = access.backend.monitors();
        long m = monitorIndex(state(), hMonitor, monitors.size());
        if (m < 0) {
            SetLastError(ERROR_INVALID_MONITOR_HANDLE);
            return FALSE;
        }
        const MonitorDesc& desc = monitors[static_cast<size_t>(m)];
        lpmi->rcMonitor = desc.rect;
        lpmi->rcWork = workAreaOf(access.backend, desc.rect);
        lpmi->dwFlags = desc.primary ? MONITORINFOF_PRIMARY : 0;
        if (lpmi->cbSize == sizeof(MONITORINFOEXA)) {
            auto* ex = reinterpret_cast<LPMONITORINFOEXA>(lpmi);
            putField(ex->szDevice, displayDeviceName(static_cast<size_t>(m)));
        }
        return TRUE;
    });
}

WINPLAT_API HMONITOR MonitorFromRect(LPCRECT lprc, DWORD dwFlags) {
    return winplat::detail::guardedCall(HMONITOR{}, [&]() -> HMONITOR {
        if (refuseOnOldFamilies()) return nullptr;
        if (!lprc) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        auto access = displayBackend();
        const auto& monitors = access.backend.monitors();
        RECT r = *lprc;
        if (r.right <= r.left || r.bottom <= r.top) r = {r.left, r.top, r.left + 1, r.top + 1};
        // The monitor with the largest share of the rectangle; else, as the flags say, the primary
        // monitor or the nearest one (by the squared distance between the edges).
        long best = -1, nearest = -1;
        int64_t bestArea = 0;
        uint64_t nearestDistance = UINT64_MAX;
        for (size_t i = 0; i < monitors.size(); ++i) {
            const RECT& m = monitors[i].rect;
            RECT common;
            if (intersect(common, m, r)) {
                int64_t area = int64_t{common.right - common.left} * (common.bottom - common.top);
                if (area > bestArea) bestArea = area, best = static_cast<long>(i);
                continue;
            }
            int64_t dx = r.right <= m.left ? m.left - r.right : m.right <= r.left ? r.left - m.right : 0;
            int64_t dy = r.bottom <= m.top ? m.top - r.bottom : m.bottom <= r.top ? r.top - m.bottom : 0;
            auto distance = static_cast<uint64_t>(dx * dx + dy * dy);
            if (distance < nearestDistance) nearestDistance = distance, nearest = static_cast<long>(i);
        }
        if (best < 0 && (dwFlags & MONITOR_DEFAULTTOPRIMARY)) best = primaryIndex(monitors);
        else if (best < 0 && (dwFlags & MONITOR_DEFAULTTONEAREST)) best = nearest;
        return best < 0 ? nullptr : monitorHandle(state(), static_cast<size_t>(best));
    });
}

WINPLAT_API HMONITOR MonitorFromPoint(POINT pt, DWORD dwFlags) {
    return winplat::detail::guardedCall(HMONITOR{}, [&]() -> HMONITOR {
        RECT r{pt.x, pt.y, pt.x + 1, pt.y + 1};
        return MonitorFromRect(&r, dwFlags);
    });
}

WINPLAT_API HMONITOR MonitorFromWindow(HWND hwnd, DWORD dwFlags) {
    return winplat::detail::guardedCall(HMONITOR{}, [&]() -> HMONITOR {
        if (refuseOnOldFamilies()) return nullptr;
        // A window belongs to the monitor with the largest share of its rectangle (message-only
        // windows lie at the desktop's origin); a handle that is no window has no place at all.
        RECT r{};
        if (!hwnd || !GetWindowRect(hwnd, &r)) {
            if (!(dwFlags & (MONITOR_DEFAULTTOPRIMARY | MONITOR_DEFAULTTONEAREST))) return nullptr;
            auto access = displayBackend();
            long primary = primaryIndex(access.backend.monitors());
            return primary < 0 ? nullptr : monitorHandle(state(), static_cast<size_t>(primary));
        }
        return MonitorFromRect(&r, dwFlags);
    });
}

WINPLAT_API int GetSystemMetrics(int nIndex) {
    return winplat::detail::guardedCall(0, [&]() -> int {
        auto access = displayBackend();
        const auto& monitors = access.backend.monitors();
        long primary = primaryIndex(monitors);
        RECT screen = primary >= 0 ? monitors[static_cast<size_t>(primary)].rect : RECT{};
        RECT desktop = virtualScreen(monitors);
        bool multi = multiMonitorFamily();
        switch (nIndex) {
            case SM_CXSCREEN: return screen.right - screen.left;
            case SM_CYSCREEN: return screen.bottom - screen.top;
            case SM_XVIRTUALSCREEN: return multi ? desktop.left : 0;
            case SM_YVIRTUALSCREEN: return multi ? desktop.top : 0;
            case SM_CXVIRTUALSCREEN: return multi ? desktop.right - desktop.left : 0;
            case SM_CYVIRTUALSCREEN: return multi ? desktop.bottom - desktop.top : 0;
            case SM_CMONITORS: return multi ? static_cast<int>(monitors.size()) : 0;
            case SM_SAMEDISPLAYFORMAT: {
                if (!multi) return 0;
                for (const auto& m : monitors)
                    if (colourDepth(m) != colourDepth(monitors[0])) return 0;
                return 1;
            }
            default: return userSystemMetric(nIndex);
        }
    });
}
