// The per-thread message queues (internal): posted messages, input, cross-thread sends, the
// quit flag and the one wait of each thread.
#pragma once

#include <functional>
#include <vector>

#include "win32.h"

namespace winplat::detail {

// What GetMessageA/PeekMessageA ask for: a window (null: any; (HWND)-1: thread messages only,
// which have no window; otherwise the window and its children) and a message range (0, 0: all).
struct MessageFilter {
    HWND hwnd = nullptr;
    UINT first = 0;
    UINT last = 0;
    bool takesMessage(UINT message) const;
    bool takesWindow(HWND window) const;
};

// Queues a message for the thread that owns `msg.hwnd` (the calling thread when the window is
// null), in order behind the others of its kind; input messages wait behind posted ones.
bool postToThread(DWORD thread, const MSG& msg, bool input);
// Makes the calling thread's queue (a thread gets one with its first window or message call).
void ensureThreadQueue();
// Wakes the thread's wait so that it looks at its queue again.
void wakeThread(DWORD thread);
// Waits, serving the messages other threads and processes send to this thread and running
// nothing else, until `done()` holds (-1), one of `fds` is readable (its index) or `timeoutMs`
// passes (-2; INFINITE: no limit).
int serveSendsUntil(const std::function<bool()>& done, const std::vector<int>& fds, DWORD timeoutMs);
// Queues a message another process sent to a window of `thread`, served as a send from
// another thread; `reply` gets the result (0 when the thread ends first). False when the
// thread has no queue.
bool queueSendFromProcess(DWORD thread, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                          std::function<void(LRESULT)> reply);
// The process's last known pointer position (desktop coordinates) and the time now, as
// messages carry them.
POINT lastPointerPosition();
void setLastPointerPosition(POINT p);

// Generated messages, asked for in retrieval order after posted messages and input:
// WM_PAINT for the thread's windows that need it, parents first (paint.cpp) ...
bool nextPaintMessage(DWORD thread, const MessageFilter& filter, MSG& msg);
// ... and WM_TIMER for its due timers (timer.cpp). `remove` reschedules the timer.
bool nextTimerMessage(DWORD thread, const MessageFilter& filter, bool remove, MSG& msg);
// Milliseconds until the thread's next timer is due (0 when one is due; -1 when none).
int msUntilNextTimer(DWORD thread);
// A timer procedure that DispatchMessageA may call for WM_TIMER (a live timer's).
bool isTimerProcedure(HWND hwnd, UINT_PTR id, LPARAM proc);
// Called when an input message leaves the queue (input.cpp): key state, WM_SETCURSOR.
void inputRetrieved(const MSG& msg);

}  // namespace winplat::detail
