// Services of the platform layer that have no Win32 counterpart: the system root, the process-wide
// message-box handler, and resetting process state between tests.
#pragma once

#include "win32.h"

// Directory that stands for the machine: $SPECTRINE_ROOT, else $XDG_DATA_HOME/spectrine, else
// ~/.local/share/spectrine. Copies at most size - 1 characters and returns the full length.
WINPLAT_API DWORD WinplatGetSystemRoot(LPSTR buffer, DWORD size);

// Native Linux path of a Windows-style path: '\' becomes '/', and each component that does not
// exist with its exact name is replaced by an existing one that matches case-insensitively.
// Returns the length written (0 on failure or when the buffer is too small).
WINPLAT_API DWORD WinplatNativePath(LPCSTR path, LPSTR buffer, DWORD size);

// Receives every MessageBoxA call; returns the button pressed (IDOK, IDYES, ...).
typedef int (*WinplatMessageBoxHandler)(HWND owner, LPCSTR text, LPCSTR caption, UINT type,
                                        void* context);
// Installs the handler (null restores the default: the text goes to standard error and the
// default button is answered). Returns the previous handler.
WINPLAT_API WinplatMessageBoxHandler WinplatSetMessageBoxHandler(WinplatMessageBoxHandler handler,
                                                                 void* context);

// Closes the registry database, forgets every open handle and window, and reads the environment
// again ($SPECTRINE_ROOT, $SPECTRINE_WINVER, $SPECTRINE_DISPLAY, the display's monitors). For
// tests that switch system roots in one process.
WINPLAT_API void WinplatResetProcessState(void);

// snprintf and strtod in the C locale whatever the process's locale is, for every number that
// is stored or written as text (registry values, INI and INF files, logs, profile texts).
WINPLAT_API int WinplatFormatC(char* out, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
WINPLAT_API double WinplatParseDoubleC(const char* text, char** end);

// ---- GUI test hooks ----------------------------------------------------------------------
// Writes the surface of a shown top-level window (the whole window on the virtual display, the
// client area of a decorated x11 window) as a PNG. FALSE without the driver or a surface.
WINPLAT_API BOOL WinplatSaveWindowImage(HWND w, LPCSTR pngPath);
// The virtual display's display.ini changed: the monitors are read again, the driver's screens
// follow, and every top-level window receives WM_DISPLAYCHANGE. FALSE on another display.
WINPLAT_API BOOL WinplatVirtualDisplayChanged(void);
// Holds (or releases) a modifier key or mouse button on the virtual display, as every process
// of the system root sees it through GetAsyncKeyState (and GetKeyState before any input).
WINPLAT_API BOOL WinplatVirtualSetKeyState(int virtualKey, BOOL down);
// The process's limit of timers (10000 by default); SetTimer fails beyond it.
WINPLAT_API void WinplatSetTimerLimit(UINT count);

// Called after WM_INITDIALOG of every dialog and message box (templateName: the resource name
// or MAKEINTRESOURCE id; null for in-memory templates and message boxes), before a modal loop
// starts and before the dialog shows, so that a test can drive its controls by id.
typedef void (*WinplatDialogHook)(HWND dialog, HINSTANCE instance, LPCSTR templateName, void* ctx);
WINPLAT_API WinplatDialogHook WinplatSetDialogHook(WinplatDialogHook hook, void* ctx);
// Receives every TrackPopupMenu in place of the menu loop: the menu, the call's flags, point and
// owner; returns the chosen id (0: none).
typedef UINT (*WinplatPopupMenuHandler)(HMENU menu, UINT flags, int x, int y, HWND owner, void* ctx);
WINPLAT_API WinplatPopupMenuHandler WinplatSetPopupMenuHandler(WinplatPopupMenuHandler handler, void* ctx);
// Receives every sound (MessageBeep's system aliases): the name, its module and SND_* flags.
// The default plays nothing and answers TRUE.
typedef BOOL (*WinplatSoundHandler)(LPCSTR name, HMODULE module, DWORD flags, void* ctx);
WINPLAT_API WinplatSoundHandler WinplatSetSoundHandler(WinplatSoundHandler handler, void* ctx);
// Receives every WinHelpA call: the window, the help file as given, the HELP_* command and
// its data; answers as WinHelpA does. The default opens the HTML help (winuser.h).
typedef BOOL (*WinplatHelpHandler)(HWND w, LPCSTR file, UINT command, ULONG_PTR data, void* ctx);
WINPLAT_API WinplatHelpHandler WinplatSetHelpHandler(WinplatHelpHandler handler, void* ctx);
// Receives every ShellExecuteA, ShellExecuteExA and WinExec: the window, the verb ("open" for
// ShellExecuteA's null verb; null from WinExec, which only runs programs), the file and the
// parameters (null when none). TRUE when done; FALSE with the last error telling why. The
// default runs programs and opens files and addresses with xdg-open (shellapi.h).
typedef BOOL (*WinplatShellExecuteHandler)(HWND w, LPCSTR verb, LPCSTR file, LPCSTR params, void* ctx);
WINPLAT_API WinplatShellExecuteHandler WinplatSetShellExecuteHandler(WinplatShellExecuteHandler handler,
                                                                     void* ctx);
// A click on the tray icon `id` of `w` as the desktop reports one: its callback message is
// posted with `mouseMessage` (WM_LBUTTONDOWN, WM_RBUTTONUP, ...). FALSE when the window has no
// such icon. Works where the desktop has no notification area (the virtual display).
WINPLAT_API BOOL WinplatClickTrayIcon(HWND w, UINT id, UINT mouseMessage);
// Receives every ExitWindowsEx request (its EWX_* flags) and answers it. The default never
// restarts or logs off Linux: it writes the request to standard error and answers TRUE.
typedef BOOL (*WinplatRebootHandler)(UINT flags, void* ctx);
WINPLAT_API WinplatRebootHandler WinplatSetRebootHandler(WinplatRebootHandler handler, void* ctx);
