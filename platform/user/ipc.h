// Messages between the processes of a session (internal): one SOCK_SEQPACKET listening socket
// per process in the session folder, connections made on first use and kept, and fixed-size
// packets of integers. Sockets are read by whichever thread of the process waits (they are
// among the process's watched descriptors); a post joins the owner thread's queue, a send is
// served like a send from another thread and its result goes back on the connection it came
// from. Peers of another user are refused (SO_PEERCRED). A connection that ends fails the
// sends waiting on it at once, so a process that dies never leaves a sender hanging.
#pragma once

#include <cstdint>
#include <string>

#include "win32.h"

namespace winplat::detail {

// Listens on `path` as process `process` of the session folder `folder`; false on failure.
bool startListening(const std::string& folder, int64_t process);
// Stops listening and closes every connection; waiting sends fail.
void stopListening();
// Whether the process with that number still takes part (its socket answers).
bool processAlive(int64_t process);
// A message to a window of another process; failures set the last error
// (ERROR_INVALID_WINDOW_HANDLE when the process is gone, ERROR_NOT_ENOUGH_QUOTA when it does
// not take messages).
BOOL postToProcess(int64_t process, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// A message sent to a window of another process and its result, serving sends to this thread
// meanwhile; 0 with the last error set when the process is gone or goes.
LRESULT sendToProcess(int64_t process, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Whether a message must not leave the process: system messages whose parameters point into
// it (WM_SETTEXT, WM_NOTIFY, CB_ADDSTRING, ...). Messages from WM_USER up and registered
// messages cross as integers.
bool carriesPointer(UINT message);

}  // namespace winplat::detail
