// Loading the GUI driver: libwinplat_qt.so from $SPECTRINE_GUI_DRIVER or beside libwinplat,
// once per process; a failure is remembered and said once on standard error.
#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "detail.h"
#include "codepage.h"
#include "display_backend.h"
#include "driver.h"
#include "wintable.h"

namespace winplat::detail {

void inputFromDriver(WinplatHostFunctions& host);

namespace {

struct DriverSlot {
    std::once_flag once;
    std::atomic<bool> loaded{false};
    WinplatHostFunctions host{};
    WinplatDriverFunctions functions{};
};

DriverSlot& slot() {
    static DriverSlot s;
    return s;
}

std::string driverPath() {
    if (const char* wanted = std::getenv("SPECTRINE_GUI_DRIVER")) return wanted;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&guiDriver), &info) && info.dli_fname) {
        std::string self = info.dli_fname;
        size_t slash = self.rfind('/');
        return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/libwinplat_qt.so";
    }
    return "libwinplat_qt.so";
}

void noteFrameExtents(HWND hwnd);

int hostMonitors(RECT* rects, int capacity) {
    auto access = displayBackend();
    const auto& monitors = access.backend.monitors();
    for (size_t i = 0; i < monitors.size() && static_cast<int>(i) < capacity; ++i) rects[i] = monitors[i].rect;
    return static_cast<int>(monitors.size());
}

void hostWindowMoved(HWND hwnd, const RECT* rect) {
    if (!rect) return;
    RECT r = *rect;
    RECT now{};
    if (!GetWindowRect(hwnd, &now)) return;
    // A decorated window's surface is its client area: keep the frame around it, the window
    // manager's as it reports it, else ours.
    if (windowSurfaceIsClient(hwnd)) {
        noteFrameExtents(hwnd);
        LONG style = static_cast<LONG>(GetWindowLongPtrA(hwnd, GWL_STYLE));
        LONG ex = static_cast<LONG>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
        AdjustWindowRectEx(&r, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(ex));
    }
    if (r.left == now.left && r.top == now.top && r.right == now.right && r.bottom == now.bottom) return;
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Reads the window manager's frame of a decorated window; a new one reshapes every decorated
// window around its client area.
void noteFrameExtents(HWND hwnd) {
    const WinplatDriverFunctions* driver = loadedGuiDriver();
    WinplatDriverWindow* window = nullptr;
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        if (auto w = findWindow(t, hwnd)) window = w->driverWindow;
    }
    if (!driver || !driver->nativeWindow || !window) return;
    RECT margins{};
    bool found = false;
    {
        auto access = displayBackend();
        found = access.backend.frameExtents(driver->nativeWindow(window), margins);
    }
    if (!found || !noteManagerFrame(margins)) return;
    for (HWND other : topLevelWindows()) {
        if (other == hwnd || !windowSurfaceIsClient(other)) continue;
        RECT client{};
        GetClientRect(other, &client);
        MapWindowPoints(other, nullptr, reinterpret_cast<POINT*>(&client), 2);
        AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongPtrA(other, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrA(other, GWL_EXSTYLE)));
        SetWindowPos(other, nullptr, client.left, client.top, client.right - client.left, client.bottom - client.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void hostCloseRequested(HWND hwnd) { PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

uint16_t hostUnitFromWindows1252(unsigned char byte) { return fromWindows1252(byte); }

void hostTrayClicked(HWND owner, UINT id, UINT mouseMessage) { trayIconClicked(owner, id, mouseMessage); }

void load(DriverSlot& s) {
    std::string path = driverPath();
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "winplat: no GUI driver (%s): windows have no pixels\n", dlerror());
        return;
    }
    auto init = reinterpret_cast<WinplatDriverInit>(dlsym(library, "winplat_qt_driver_init"));
    WinplatHostFunctions& host = s.host;
    host.version = WINPLAT_DRIVER_VERSION;
    {
        auto access = displayBackend();
        host.display = std::strcmp(access.backend.name(), "x11") == 0 ? WINPLAT_DISPLAY_X11 : WINPLAT_DISPLAY_VIRTUAL;
        host.desktopOrigin = access.backend.desktopOrigin();
    }
    host.monitors = hostMonitors;
    host.windowMoved = hostWindowMoved;
    host.closeRequested = hostCloseRequested;
    host.unitFromWindows1252 = hostUnitFromWindows1252;
    host.trayClicked = hostTrayClicked;
    inputFromDriver(host);
    if (!init || !init(WINPLAT_DRIVER_VERSION, &host, &s.functions) ||
        s.functions.version != WINPLAT_DRIVER_VERSION) {
        std::fprintf(stderr, "winplat: the GUI driver %s did not start: windows have no pixels\n", path.c_str());
        return;  // the library stays loaded: Qt may have left state behind
    }
    s.loaded.store(true, std::memory_order_release);
}

}  // namespace

const WinplatDriverFunctions* guiDriver() {
    DriverSlot& s = slot();
    std::call_once(s.once, [&] { load(s); });
    return s.loaded.load(std::memory_order_acquire) ? &s.functions : nullptr;
}

const WinplatDriverFunctions* loadedGuiDriver() {
    DriverSlot& s = slot();
    return s.loaded.load(std::memory_order_acquire) ? &s.functions : nullptr;
}

int guiDisplayKind() { return slot().host.display; }

}  // namespace winplat::detail
