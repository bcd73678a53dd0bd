// The test COM server's window onto the tests (header of the double, for the tests only): its
// class, and an observer that hears what its page is told and answers its notifications.
#pragma once

#include "win32.h"

// {5B2A4C10-7E3D-4F21-9A6B-1C2D3E4F5A60}
inline constexpr CLSID kTestServerClass = {0x5B2A4C10, 0x7E3D, 0x4F21, {0x9A, 0x6B, 0x1C, 0x2D, 0x3E, 0x4F, 0x5A, 0x60}};
inline constexpr const char* kTestServerKey = "CLSID\\{5B2A4C10-7E3D-4F21-9A6B-1C2D3E4F5A60}";
inline constexpr const char* kTestServerName = "Winplat Test Page";

struct WinplatTestObserver {
    // "init", "setactive", "killactive", "apply ok", "apply now", "reset", "querycancel", "help",
    // "release"
    void (*event)(const char* what, HWND page, void* ctx);
    // The page's answer to a PSN_* notification (its DWLP_MSGRESULT).
    LRESULT (*answer)(UINT code, HWND page, void* ctx);
    void* ctx;
};

// Exports of the double, found with GetProcAddress.
using WinplatTestServerObserveFn = void (*)(const WinplatTestObserver* observer);
using WinplatTestServerObjectsFn = LONG (*)();
