// The GUI driver's interface: two versioned tables of C function pointers between libwinplat
// (which holds every Win32 export and all process state) and libwinplat_qt (the only code that
// includes Qt). libwinplat loads the driver with dlopen on the first call that needs pixels, a
// real window or a font, and calls its one export:
//
//   extern "C" BOOL winplat_qt_driver_init(int version, const WinplatHostFunctions* host,
//                                          WinplatDriverFunctions* driver);
//
// Coordinates are desktop pixels (the primary monitor's corner is (0, 0)) unless a comment says
// otherwise; rectangles are half-open. Surfaces are 32-bit 0x00RRGGBB words, top row first.
#pragma once

#include <cstdint>

#include "win32.h"

extern "C" {

#define WINPLAT_DRIVER_VERSION 3

typedef struct WinplatSurface WinplatSurface;
typedef struct WinplatDriverWindow WinplatDriverWindow;
typedef struct WinplatFont WinplatFont;
typedef struct WinplatTrayIcon WinplatTrayIcon;

// The memory of a surface; valid until the surface is resized or destroyed.
typedef struct WinplatSurfaceBits {
    int width;
    int height;
    int stride;  // bytes from one row to the next
    uint8_t* bits;
} WinplatSurfaceBits;

#define WINPLAT_DISPLAY_VIRTUAL 0
#define WINPLAT_DISPLAY_X11 1

// Window kinds for createWindow.
#define WINPLAT_WINDOW_FRAMELESS 0x1  // the surface is the whole window rectangle
#define WINPLAT_WINDOW_TOPMOST 0x2
#define WINPLAT_WINDOW_TOOL 0x4       // no task bar entry

// The style's elements for drawThemeElement, as uxtheme names its parts.
#define WINPLAT_THEME_PUSHBUTTON 1
#define WINPLAT_THEME_CHECKBOX 2         // the box alone
#define WINPLAT_THEME_RADIOBUTTON 3      // the circle alone
#define WINPLAT_THEME_GROUPBOX 4         // the frame
#define WINPLAT_THEME_EDITFRAME 5        // a sunken field frame with its base colour inside
#define WINPLAT_THEME_COMBOBOX 6         // a drop-down list's face with its arrow
#define WINPLAT_THEME_TRACKCHANNEL 7
#define WINPLAT_THEME_TRACKTHUMB 8
#define WINPLAT_THEME_PROGRESSGROOVE 9
#define WINPLAT_THEME_PROGRESSCHUNK 10   // the filled part
#define WINPLAT_THEME_MENUITEM 11        // a highlighted menu item's background
#define WINPLAT_THEME_ICONERROR 12       // message box icons, as the style draws them
#define WINPLAT_THEME_ICONQUESTION 13
#define WINPLAT_THEME_ICONWARNING 14
#define WINPLAT_THEME_ICONINFORMATION 15
#define WINPLAT_THEME_FOCUSFRAME 16
#define WINPLAT_THEME_TABITEM 17         // one tab (CHECKED: the selected one)
#define WINPLAT_THEME_TABPANE 18         // the frame under the tabs
// States, or-ed.
#define WINPLAT_THEME_PRESSED 0x01
#define WINPLAT_THEME_CHECKED 0x02
#define WINPLAT_THEME_DISABLED 0x04
#define WINPLAT_THEME_FOCUSED 0x08
#define WINPLAT_THEME_HOT 0x10
#define WINPLAT_THEME_DEFAULT 0x20
#define WINPLAT_THEME_VERTICAL 0x40

typedef struct WinplatFontRequest {
    LONG emPixels;  // em height in pixels (> 0)
    LONG width;     // average width wanted, 0 for the face's own
    BOOL bold;
    BOOL italic;
    BOOL underline;
    BOOL strikeOut;
    int face;  // 0 Liberation Sans, 1 Liberation Serif, 2 Liberation Mono
} WinplatFontRequest;

typedef struct WinplatFontMetrics {
    LONG ascent;
    LONG descent;
    LONG internalLeading;
    LONG externalLeading;
    LONG averageWidth;
    LONG maxWidth;
    LONG widths[256];  // advance of each Windows-1252 character
} WinplatFontMetrics;

typedef struct WinplatHostFunctions {
    int version;
    int display;  // WINPLAT_DISPLAY_*
    // The monitors of the display backend in the suite's order, in desktop coordinates;
    // returns their number (at most `capacity` are written).
    int (*monitors)(RECT* rects, int capacity);
    // Root-window coordinates of the desktop's origin on x11 ((0, 0) on the virtual display).
    POINT desktopOrigin;
    // Input from the display, on the thread that waits (the GUI thread). `message` is
    // WM_MOUSEMOVE, WM_LBUTTONDOWN, ... with the point in desktop coordinates.
    void (*mouseInput)(HWND window, UINT message, LONG x, LONG y);
    // A key went down or up: its virtual key, scan code and whether it is an extended key.
    void (*keyInput)(HWND window, UINT virtualKey, BOOL down, UINT scanCode, BOOL extended);
    // The window manager moved or resized a top-level window (its client area on x11).
    void (*windowMoved)(HWND window, const RECT* rect);
    // The user asked the window manager to close the window.
    void (*closeRequested)(HWND window);
    // The UTF-16 unit of a Windows-1252 byte, the host's conversion of every "A" text.
    uint16_t (*unitFromWindows1252)(unsigned char byte);
    // The user clicked a tray icon: WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
    // WM_RBUTTONDOWN or WM_RBUTTONUP, one call each.
    void (*trayClicked)(HWND owner, UINT id, UINT mouseMessage);
} WinplatHostFunctions;

typedef struct WinplatDriverFunctions {
    int version;
    // Screens as Qt sees them; on the virtual display one per monitor, in the same order.
    int (*screenCount)(void);
    BOOL (*screenGeometry)(int index, RECT* rect);
    // Makes the virtual display's screens these rectangles (display changes); FALSE on x11.
    BOOL (*configureScreens)(const RECT* rects, int count);

    // Surfaces of bitmaps: white when made.
    WinplatSurface* (*createSurface)(int width, int height);
    void (*destroySurface)(WinplatSurface* surface);
    BOOL (*surfaceBits)(WinplatSurface* surface, WinplatSurfaceBits* bits);
    // Writes the part (surface pixels) as an 8-bit RGB PNG.
    BOOL (*saveSurfacePng)(WinplatSurface* surface, const RECT* part, const char* path);

    // Top-level windows, each over its own surface (the whole window when frameless, else the
    // client area, which `rect` then gives).
    WinplatDriverWindow* (*createWindow)(HWND hwnd, const RECT* rect, UINT kind);
    void (*destroyWindow)(WinplatDriverWindow* window);
    // Moves and resizes; the surface keeps the pixels of the area both sizes share.
    void (*setWindowRect)(WinplatDriverWindow* window, const RECT* rect);
    void (*showWindow)(WinplatDriverWindow* window, BOOL visible, BOOL activate);
    // Stacks the window above (top TRUE) or below every other window of the process.
    void (*stackWindow)(WinplatDriverWindow* window, BOOL top, BOOL topmost);
    void (*setWindowTitle)(WinplatDriverWindow* window, const char* text1252);
    WinplatSurface* (*windowSurface)(WinplatDriverWindow* window);
    // Shows what was painted in the part (surface coordinates) at once.
    void (*presentWindow)(WinplatDriverWindow* window, const RECT* part);
    void (*setWindowCursor)(WinplatDriverWindow* window, int systemCursor);
    // A cursor of the program's own: 0xAARRGGBB pixels, top row first, and its hot spot.
    void (*setWindowCursorImage)(WinplatDriverWindow* window, const uint32_t* argb, int width, int height,
                                 POINT hotSpot);

    // Fonts: the Liberation faces only, aliased.
    WinplatFont* (*createFont)(const WinplatFontRequest* request);
    void (*destroyFont)(WinplatFont* font);
    void (*fontMetrics)(WinplatFont* font, WinplatFontMetrics* metrics);
    // Draws each character with its left edge at x[i] and the baseline at `baseline`, in
    // surface coordinates, touching only glyph pixels inside the clip rectangles.
    void (*drawText)(WinplatSurface* surface, const RECT* clip, int clipCount, WinplatFont* font,
                     const char* text1252, int length, const int* x, int baseline,
                     uint32_t colour);

    // The wait of the GUI thread: returns once `fd` is readable, the display delivered input
    // (through the host functions), or `timeoutMs` passed (-1: no limit).
    void (*wait)(int fd, int timeoutMs);
    // The style's palette as the system colours (COLOR_* index -> 0x00BBGGRR), 31 entries.
    void (*systemColours)(COLORREF* colours, int count);

    // Draws a style element (WINPLAT_THEME_*) in `state` over `rect`, touching only the clip
    // rectangles (surface coordinates).
    void (*drawThemeElement)(WinplatSurface* surface, const RECT* clip, int clipCount, int element,
                             UINT state, const RECT* rect);
    // The clipboard's text as UTF-16 units: sets it, or copies at most `capacity` units of it
    // and returns its whole length (-1: no text).
    BOOL (*setClipboardText)(const uint16_t* units, int length);
    int (*clipboardText)(uint16_t* units, int capacity);
    // The display's own id of a top-level window (the X window on x11), 0 where it has none.
    unsigned long (*nativeWindow)(WinplatDriverWindow* window);

    // Icons in the desktop's notification area, shown at once; null where the desktop has none.
    // `argb` (0xAARRGGBB, top row first) may be null for the style's own application icon.
    WinplatTrayIcon* (*addTrayIcon)(HWND owner, UINT id, const uint32_t* argb, int width, int height,
                                     const char* tip1252);
    void (*changeTrayIcon)(WinplatTrayIcon* icon, const uint32_t* argb, int width, int height, const char* tip1252);
    void (*removeTrayIcon)(WinplatTrayIcon* icon);
} WinplatDriverFunctions;

typedef BOOL (*WinplatDriverInit)(int version, const WinplatHostFunctions* host,
                                  WinplatDriverFunctions* driver);

}  // extern "C"

namespace winplat::detail {

// The driver, loaded on first need from $SPECTRINE_GUI_DRIVER or beside libwinplat; null when
// it is missing or failed to start (remembered for the life of the process).
const WinplatDriverFunctions* guiDriver();
// The driver when it has been loaded already, else null; never loads it.
const WinplatDriverFunctions* loadedGuiDriver();

}  // namespace winplat::detail
