// The process-wide window table shared by the parts of user/ (internal). Window procedures are
// always called with the lock released, so they may call back into any function.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "driver.h"
#include "rectset.h"
#include "win32.h"

namespace winplat::detail {

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    // The fields as registered (lpszClassName and lpszMenuName not kept: the caller's memory).
    WNDCLASSEXA info{};
    std::string menuName;
    std::vector<unsigned char> extra;  // cbClsExtra bytes, zeroed
    int windows = 0;                   // windows alive of this class
};

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> windowClass;
    WNDPROC proc = nullptr;
    DWORD thread = 0;       // the thread whose queue receives the window's messages
    bool messageOnly = false;
    HWND parent = nullptr;  // child windows only
    HWND owner = nullptr;   // top-level windows only
    std::vector<HWND> children;  // z-order, top first; a new child goes to the bottom
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    LONG style = 0;
    LONG exStyle = 0;
    HINSTANCE instance = nullptr;
    std::vector<unsigned char> extra;  // cbWndExtra bytes, zeroed
    std::string text;
    std::vector<std::pair<std::string, HANDLE>> props;
    bool destroying = false;

    // Geometry: the window rectangle in the parent's client coordinates (desktop coordinates
    // for a top-level window), and the client rectangle in window coordinates.
    RECT rect{};
    RECT client{};

    // Painting: the update region as rectangles in client coordinates.
    std::vector<RECT> update;
    bool eraseNeeded = false;
    bool ncPaintNeeded = false;
    // Top-level windows shown with the driver: the Qt window over their surface.
    WinplatDriverWindow* driverWindow = nullptr;
    bool surfaceIsClient = false;  // a decorated x11 window's surface is its client area

    bool visible() const { return (style & WS_VISIBLE) != 0; }
    bool isChild() const { return (style & WS_CHILD) != 0 && parent != nullptr; }
};

struct WindowTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
    std::vector<std::shared_ptr<WindowClass>> classes;
    std::vector<HWND> topLevels;  // z-order of the top-level windows with places, top first
    ATOM nextAtom = 0xC000;  // class atoms live in 0xC000..0xFFFF, as on Windows
    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
};

WindowTable& windowTable();

// The table's active, focus or capture window while it exists, else null.
HWND liveWindow(HWND WindowTable::*which);

// The LONG_PTR at `index` of a window's or class's extra bytes: returns the old value and, when
// `replacement` is given, stores it. 0 with ERROR_INVALID_INDEX outside the bytes.
LONG_PTR exchangeExtra(std::vector<unsigned char>& bytes, int index, const LONG_PTR* replacement);

// A copy of the top-level windows in z-order, top first, taken under the lock.
std::vector<HWND> topLevelWindows();

// A class name that is an atom (MAKEINTATOM: a value below 0x10000).
bool isAtomName(LPCSTR name);
// Callers hold the lock. A class by name (case-insensitive) or atom.
std::shared_ptr<WindowClass> findClass(WindowTable& t, LPCSTR name);

// Callers hold the lock.
std::shared_ptr<Window> findWindow(WindowTable& t, HWND hwnd);
// Whether a handle is one of this process's windows (IsWindow also answers for other processes').
bool windowHasRecord(HWND hwnd);

// Runs `body(table, window)` with the lock held; `onFailure`, with ERROR_INVALID_WINDOW_HANDLE,
// for a handle that is no window.
template <typename R, typename Body>
R withWindow(HWND hwnd, R onFailure, Body&& body) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return onFailure;
    }
    return body(t, w);
}
// The window's top-level ancestor (itself for a top-level window).
std::shared_ptr<Window> topLevelOf(WindowTable& t, const std::shared_ptr<Window>& w);
// The desktop coordinates of the window's rectangle and of its client area's corner.
RECT screenRectOf(WindowTable& t, const Window& w);
POINT clientOriginOf(WindowTable& t, const Window& w);
// Whether the window and all its ancestors are visible.
bool reallyVisible(WindowTable& t, const Window& w);

// The handle of the desktop window (the primary monitor); it has no record in the table.
HWND desktopWindow();

// Frame sizes of a style (nonclient.cpp): the frame's thickness, the caption's height, the
// client area inside a window rectangle and where a point falls (HTCLIENT, HTCAPTION, ...).
int frameThickness(LONG style, LONG exStyle);
// On x11 the window manager's frame replaces ours once one reports it (_NET_FRAME_EXTENTS):
// records its thicknesses (true when they changed; all zero: no window manager), forgets them,
// and gives a frame or caption metric as it then is.
bool noteManagerFrame(const RECT& margins);
void resetManagerFrame();
int managerMetric(int index, int ours);
int captionHeight(LONG style);
RECT clientInside(const RECT& windowRect, LONG style, LONG exStyle);
LRESULT hitTest(const RECT& windowRect, LONG style, LONG exStyle, POINT p);

// Creates, places, shows, hides or stacks the driver's window of a top-level window to match
// its record (surface.cpp); nothing without the driver.
void syncDriverWindow(HWND hwnd);
// Whether a top-level window's surface is its client area (a decorated x11 window).
bool windowSurfaceIsClient(HWND hwnd);
// WINPLAT_DISPLAY_* of the loaded driver.
int guiDisplayKind();

// Activation and focus when a window hides (focus.cpp).
void activateAnother(HWND leaving);
void releaseHiddenFocus(HWND hidden);
// The window that takes mouse input at a desktop point (input.cpp): capture first, else the
// deepest visible window; `hit` receives the hit-test code when not null.
HWND windowAt(POINT desktop, LRESULT* hit);

// Draws the caption and frame of a window whose surface holds them (paint.cpp).
void paintNonClient(HWND hwnd);

// What a device context of a window paints on (surface.cpp): the surface of its top-level
// window, where the window's client corner (or, for `wholeWindow`, its window corner) lies on
// it, and the visible part, all in surface coordinates. False without a surface.
struct WindowSurface {
    WinplatSurface* surface = nullptr;
    HWND topLevel = nullptr;
    POINT origin{};
    RectSet visible;
};
bool windowSurfaceOf(HWND hwnd, bool wholeWindow, WindowSurface& out);
// Shows what was painted in a part of a top-level window's surface.
void presentSurface(HWND topLevel, const RECT& part);
// Marks part of a window (client coordinates; null: all) for repainting (paint.cpp).
void invalidateWindow(HWND hwnd, const RECT* rect, bool erase, bool frame, bool children);

// Calls a window procedure as SendMessageA does on the window's own thread.
LRESULT callWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Reset hooks of the GUI parts, called by resetWindows().
void resetQueues();
void resetTimers();
void resetInput();
void resetGdi();
// Forgets a window's timers (timer.cpp) and its place in the paint and input state.
void killWindowTimers(HWND hwnd);
void windowGone(HWND hwnd);

}  // namespace winplat::detail
