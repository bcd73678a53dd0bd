// The display page double's window onto the wizard's tests: what its page is told, reported
// as it happens (the page's window, the message's name and its wParam).
#pragma once

#include "win32.h"

// "init", "show wizard button", "apply silently", "apply", "reset", "release"
using PageDoubleListener = void (*)(const char* what, HWND page, WPARAM wParam, void* ctx);
// Exported by the double: sets (or with null clears) the listener.
using PageDoubleListenFn = void (*)(PageDoubleListener listener, void* ctx);
// Exported by the double: its objects alive (factories, extensions, pages).
using PageDoubleObjectsFn = LONG (*)();
