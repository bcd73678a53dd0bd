// Timers: they belong to the thread that set them and fire in any of its loops, with or without
// the driver. WM_TIMER is generated when a timer is due and retrieved, so at most one is ever
// pending per timer; the next due time is due + period, or now + period when that has already
// passed, so a late timer never fires twice in a row.
#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

#include "detail.h"
#include "queue.h"
#include "winplat.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;
    TIMERPROC proc = nullptr;
    DWORD thread = 0;
    Clock::time_point due;
};

constexpr UINT kDefaultLimit = 10000;

struct TimerTable {
    std::mutex mutex;
    std::vector<Timer> timers;
    UINT limit = kDefaultLimit;
    UINT_PTR nextThreadTimerId = 0x7FFE;  // ids of window-less timers count down, as on Windows
};

TimerTable& timers() {
    static TimerTable t;
    return t;
}

UINT clampPeriod(UINT elapse) {
    return std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
}

}  // namespace

bool nextTimerMessage(DWORD thread, const MessageFilter& filter, bool remove, MSG& msg) {
    TimerTable& t = timers();
    std::lock_guard lock(t.mutex);
    auto now = Clock::now();
    Timer* best = nullptr;
    for (Timer& timer : t.timers) {
        if (timer.thread != thread || timer.due > now || !filter.takesWindow(timer.hwnd)) continue;
        if (!best || timer.due < best->due) best = &timer;
    }
    if (!best) return false;
    msg = {best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), GetTickCount(),
           lastPointerPosition()};
    if (remove) {
        auto period = std::chrono::milliseconds(best->period);
        best->due += period;
        if (best->due <= now) best->due = now + period;
    }
    return true;
}

int msUntilNextTimer(DWORD thread) {
    TimerTable& t = timers();
    std::lock_guard lock(t.mutex);
    auto now = Clock::now();
    long long best = -1;
    for (const Timer& timer : t.timers) {
        if (timer.thread != thread) continue;
        long long wait = timer.due <= now ? 0
                         : std::chrono::ceil<std::chrono::milliseconds>(timer.due - now).count();
        if (best < 0 || wait < best) best = wait;
    }
    return static_cast<int>(std::min<long long>(best, 0x7FFFFFFF));
}

bool isTimerProcedure(HWND hwnd, UINT_PTR id, LPARAM proc) {
    TimerTable& t = timers();
    std::lock_guard lock(t.mutex);
    for (const Timer& timer : t.timers)
        if (timer.hwnd == hwnd && timer.id == id && reinterpret_cast<LPARAM>(timer.proc) == proc)
            return true;
    return false;
}

void killWindowTimers(HWND hwnd) {
    TimerTable& t = timers();
    std::lock_guard lock(t.mutex);
    std::erase_if(t.timers, [&](const Timer& timer) { return timer.hwnd == hwnd; });
}

void resetTimers() {
    TimerTable& t = timers();
    std::lock_guard lock(t.mutex);
    t.timers.clear();
    t.limit = kDefaultLimit;
    t.nextThreadTimerId = 0x7FFE;
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    return guardedCall(UINT_PTR{0}, [&]() -> UINT_PTR {
        DWORD thread = GetCurrentThreadId();
        if (hWnd) {
            // A stale window, or one of another thread, gets no timer.
            if (GetWindowThreadProcessId(hWnd, nullptr) != thread) {
                SetLastError(IsWindow(hWnd) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
        }
        TimerTable& t = timers();
        std::lock_guard lock(t.mutex);
        auto due = Clock::now() + std::chrono::milliseconds(clampPeriod(uElapse));
        if (hWnd) {
            for (Timer& timer : t.timers)
                if (timer.hwnd == hWnd && timer.id == nIDEvent) {
                    timer.period = clampPeriod(uElapse);
                    timer.proc = lpTimerFunc;
                    timer.due = due;
                    return nIDEvent ? nIDEvent : 1;
                }
        } else {
            // A timer without a window gets an id of its own; the one asked for is ignored
            // unless it names an existing timer of the thread.
            for (Timer& timer : t.timers)
                if (!timer.hwnd && timer.id == nIDEvent && timer.thread == thread) {
                    timer.period = clampPeriod(uElapse);
                    timer.proc = lpTimerFunc;
                    timer.due = due;
                    return nIDEvent;
                }
        }
        if (t.timers.size() >= t.limit) {
            SetLastError(ERROR_NO_SYSTEM_RESOURCES);
            return 0;
        }
        UINT_PTR id = nIDEvent;
        if (!hWnd) {
            auto taken = [&](UINT_PTR candidate) {
                return std::any_of(t.timers.begin(), t.timers.end(), [&](const Timer& timer) {
                    return !timer.hwnd && timer.id == candidate;
                });
            };
            do {
                id = t.nextThreadTimerId--;
                if (t.nextThreadTimerId == 0) t.nextThreadTimerId = 0x7FFE;
            } while (taken(id));
        }
        t.timers.push_back({hWnd, id, clampPeriod(uElapse), lpTimerFunc, thread, due});
        return hWnd && id == 0 ? 1 : id;
    });
}

WINPLAT_API BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    TimerTable& t = timers();
    std::lock_guard lock(t.mutex);
    auto it = std::find_if(t.timers.begin(), t.timers.end(), [&](const Timer& timer) {
        return timer.hwnd == hWnd && timer.id == uIDEvent;
    });
    if (it == t.timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    t.timers.erase(it);
    return TRUE;
}

WINPLAT_API void WinplatSetTimerLimit(UINT count) {
    TimerTable& t = timers();
    std::lock_guard lock(t.mutex);
    t.limit = count;
}
