// The windows of a session's processes (internal). Every process that makes a window joins
// its session (the system root's session folder): a row in session.db (SQLite, WAL), a
// listening socket for messages, and blocks of 1024 window handles taken from the session, so
// a handle names one window of one process for the life of the session and its process is
// known from its value alone. Each process writes its windows (class, title, styles, parent,
// owner, place among its siblings) into the table before its threads sleep and before a
// message or a reply leaves for another process; other processes read them from there without
// asking, as Win32 answers IsWindow and GetWindowTextA. Rows of processes found dead are
// removed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "win32.h"

namespace winplat::detail {

// A handle for a new window, never used before in the session (from the process's own count
// when it has no session).
HWND takeWindowHandle();
// Writes what changed of this process's windows into the session's table.
void publishWindows();

// A window of another live process, as its process last published it.
struct ForeignWindow {
    HWND handle = nullptr;
    int64_t process = 0;  // the session's number of its process
    DWORD pid = 0;
    DWORD thread = 0;
    std::string className;
    std::string title;
    LONG style = 0;
    LONG exStyle = 0;
};
// The process (session number) a handle belongs to when that is another process of the
// session; 0 for this process's handles and for values no process was given.
int64_t foreignProcessOf(HWND hwnd);
// The window of `hwnd` when it is another live process's; nothing otherwise.
std::optional<ForeignWindow> foreignWindow(HWND hwnd);
// Other live processes' windows whose parent is `parent` (null: top-level windows), in the
// session's order: processes that joined last first, each in its own z-order.
std::vector<ForeignWindow> foreignWindowsUnder(HWND parent);
// The same number in every process of the session for a name (ignoring case); 0 when the
// numbers 0xC000..0xFFFF are used up, nothing when this process has no session.
std::optional<UINT> sessionMessageNumber(const std::string& name);

// The process with that number ended or left: its windows go from the table.
void forgetProcess(int64_t process);
// Leaves the session (WinplatResetProcessState).
void resetSession();

}  // namespace winplat::detail
