// Message queues, one per thread: posted messages in order, input, messages sent from other
// threads, the quit flag, and the wait (Qt's dispatcher on the GUI thread when the driver is
// loaded, else poll on the thread's eventfd). Retrieval order: sent messages (dispatched inside
// the call), posted messages, the quit flag, input, WM_PAINT, WM_TIMER. Nothing is locked while
// a window procedure runs, so loops nest freely.
#include "queue.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "detail.h"
#include "gdi_internal.h"
#include "wintable.h"

namespace winplat::detail {

bool MessageFilter::takesMessage(UINT message) const {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool MessageFilter::takesWindow(HWND window) const {
    if (!hwnd) return true;
    if (hwnd == reinterpret_cast<HWND>(-1)) return window == nullptr;
    return window == hwnd || IsChild(hwnd, window);
}

namespace {

struct ThreadQueue;

// A message sent from another thread: its sender waits until `done`.
struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    std::atomic<bool> done{false};
    DWORD sender = 0;
};

struct ThreadQueue {
    explicit ThreadQueue(DWORD id) : thread(id), wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~ThreadQueue() {
        if (wakeFd >= 0) close(wakeFd);
    }
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    // Only a thread that sleeps (or is about to) needs its eventfd written; one that runs will
    // look at its queue before it sleeps.
    void wake() const {
        uint64_t one = 1;
        if (wakeFd >= 0 && waiting.load()) (void)!write(wakeFd, &one, sizeof one);
    }
    void drain() const {
        uint64_t count = 0;
        if (wakeFd >= 0) (void)!read(wakeFd, &count, sizeof count);
    }

    const DWORD thread;
    const int wakeFd;
    std::atomic<bool> waiting{false};
    std::mutex mutex;
    std::deque<MSG> posted;
    std::deque<MSG> input;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::atomic<int> sentCount{0};  // how many wait in `sent`, read without the lock
    bool quit = false;
    int quitCode = 0;
    MSG last{};  // the last message retrieved (GetMessageTime, GetMessagePos)
};

struct QueueRegistry {
    std::mutex mutex;
    std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues;
    std::atomic<uint64_t> pointer{0};  // x in the low half, y in the high half
};

uint64_t packPoint(POINT p) {
    return static_cast<uint32_t>(p.x) | static_cast<uint64_t>(static_cast<uint32_t>(p.y)) << 32;
}

QueueRegistry& registry() {
    static QueueRegistry r;
    return r;
}

std::shared_ptr<ThreadQueue> queueOf(DWORD thread) {
    QueueRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.queues.find(thread);
    return it == r.queues.end() ? nullptr : it->second;
}

// Finishes every send still waiting on a queue whose thread has ended: its senders get 0.
void abandon(ThreadQueue& q) {
    std::deque<std::shared_ptr<SentMessage>> pending;
    {
        std::lock_guard lock(q.mutex);
        pending.swap(q.sent);
        q.sentCount.store(0);
    }
    for (auto& s : pending) {
        s->done.store(true, std::memory_order_release);
        wakeThread(s->sender);
    }
}

// The calling thread's queue, made at first use and removed when the thread ends.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder() {
        if (!queue) return;
        {
            QueueRegistry& r = registry();
            std::lock_guard lock(r.mutex);
            r.queues.erase(queue->thread);
        }
        abandon(*queue);
    }
};
thread_local QueueHolder holder;
thread_local int servicingSend = 0;  // InSendMessage

ThreadQueue& myQueue() {
    if (!holder.queue) {
        auto q = std::make_shared<ThreadQueue>(GetCurrentThreadId());
        QueueRegistry& r = registry();
        std::lock_guard lock(r.mutex);
        r.queues[q->thread] = q;
        holder.queue = q;
    }
    return *holder.queue;
}

bool isGuiThread() { return GetCurrentThreadId() == static_cast<DWORD>(getpid()); }

// Blocks until the queue is woken, the display delivers input, or `timeoutMs` passes
// (-1: no limit); the next timer shortens the wait.
// Whether anything waits for the thread: sent, posted or input messages, the quit flag or
// a window to paint.
bool hasWork(ThreadQueue& q) {
    {
        std::lock_guard lock(q.mutex);
        if (!q.sent.empty() || !q.posted.empty() || !q.input.empty() || q.quit) return true;
    }
    MSG msg;
    return nextPaintMessage(q.thread, {}, msg);
}

void waitOnQueue(ThreadQueue& q, int timeoutMs) {
    presentPainted();  // what was painted shows before the thread sleeps
    // Posters write the eventfd only while `waiting` is set: set it, then look once more.
    q.waiting.store(true);
    if (hasWork(q)) {
        q.waiting.store(false);
        return;
    }
    int timer = msUntilNextTimer(q.thread);
    if (timer >= 0 && (timeoutMs < 0 || timer < timeoutMs)) timeoutMs = timer;
    const WinplatDriverFunctions* driver = isGuiThread() ? loadedGuiDriver() : nullptr;
    if (driver) {
        driver->wait(q.wakeFd, timeoutMs);
    } else {
        pollfd p{q.wakeFd, POLLIN, 0};
        poll(&p, 1, timeoutMs);
    }
    q.waiting.store(false);
    q.drain();
}

// Runs the messages other threads sent to this one; true when there were any.
bool serviceSentMessages(ThreadQueue& q) {
    bool any = false;
    while (q.sentCount.load() > 0) {
        std::shared_ptr<SentMessage> s;
        {
            std::lock_guard lock(q.mutex);
            if (q.sent.empty()) return any;
            s = q.sent.front();
            q.sent.pop_front();
            --q.sentCount;
        }
        any = true;
        ++servicingSend;
        s->result = callWindow(s->hwnd, s->message, s->wParam, s->lParam);
        --servicingSend;
        s->done.store(true, std::memory_order_release);
        wakeThread(s->sender);
    }
    return any;
}

// Takes the first message of `from` that the filter accepts.
bool takeFrom(std::deque<MSG>& from, const MessageFilter& f, bool remove, MSG& out) {
    for (auto it = from.begin(); it != from.end(); ++it) {
        if (!f.takesMessage(it->message) || !f.takesWindow(it->hwnd)) continue;
        out = *it;
        if (remove) from.erase(it);
        return true;
    }
    return false;
}

bool peek(ThreadQueue& q, const MessageFilter& f, UINT flags, MSG& out) {
    serviceSentMessages(q);
    bool remove = (flags & PM_REMOVE) != 0;
    bool found = false, fromInput = false;
    {
        std::lock_guard lock(q.mutex);
        if (takeFrom(q.posted, f, remove, out)) {
            found = true;
        } else if (q.quit && f.takesMessage(WM_QUIT) && (!f.hwnd || f.hwnd == reinterpret_cast<HWND>(-1))) {
            out = {nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, GetTickCount(), lastPointerPosition()};
            if (remove) q.quit = false;
            found = true;
        } else if (takeFrom(q.input, f, remove, out)) {
            found = fromInput = true;
        }
    }
    if (!found && f.takesMessage(WM_PAINT) && nextPaintMessage(q.thread, f, out)) found = true;
    if (!found && f.takesMessage(WM_TIMER) && nextTimerMessage(q.thread, f, remove, out)) found = true;
    if (!found) return false;
    if (remove) {
        q.last = out;
        if (fromInput) inputRetrieved(out);
    }
    return true;
}

LRESULT sendToOtherThread(ThreadQueue& mine, DWORD thread, HWND hwnd, UINT message, WPARAM wParam,
                          LPARAM lParam) {
    auto target = queueOf(thread);
    if (!target) return 0;  // the receiving thread has ended
    auto s = std::make_shared<SentMessage>();
    s->hwnd = hwnd;
    s->message = message;
    s->wParam = wParam;
    s->lParam = lParam;
    s->sender = mine.thread;
    {
        std::lock_guard lock(target->mutex);
        target->sent.push_back(s);
        ++target->sentCount;
    }
    target->wake();
    // Sends to this thread are serviced meanwhile, so A -> B -> A cannot deadlock.
    while (!s->done.load(std::memory_order_acquire)) {
        if (serviceSentMessages(mine)) continue;
        mine.waiting.store(true);
        bool pending = false;
        {
            std::lock_guard lock(mine.mutex);
            pending = !mine.sent.empty();
        }
        if (!pending && !s->done.load(std::memory_order_acquire)) {
            pollfd p{mine.wakeFd, POLLIN, 0};
            poll(&p, 1, 100);
        }
        mine.waiting.store(false);
        mine.drain();
        if (!queueOf(thread)) break;
    }
    return s->result;
}

}  // namespace

bool postToThread(DWORD thread, const MSG& msg, bool input) {
    auto q = thread == GetCurrentThreadId() ? holder.queue : queueOf(thread);
    if (!q && thread == GetCurrentThreadId()) {
        myQueue();
        q = holder.queue;
    }
    if (!q) return false;
    {
        std::lock_guard lock(q->mutex);
        (input ? q->input : q->posted).push_back(msg);
    }
    q->wake();
    return true;
}

void ensureThreadQueue() { myQueue(); }

void wakeThread(DWORD thread) {
    if (auto q = queueOf(thread)) q->wake();
}

POINT lastPointerPosition() {
    uint64_t v = registry().pointer.load(std::memory_order_relaxed);
    return {static_cast<LONG>(static_cast<uint32_t>(v)), static_cast<LONG>(static_cast<uint32_t>(v >> 32))};
}

void setLastPointerPosition(POINT p) { registry().pointer.store(packPoint(p), std::memory_order_relaxed); }

void resetQueues() {
    QueueRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    for (auto& [thread, q] : r.queues) {
        std::lock_guard qlock(q->mutex);
        q->posted.clear();
        q->input.clear();
        q->quit = false;
        q->last = {};
    }
    r.pointer.store(0);
}

LRESULT callWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = nullptr;
    std::shared_ptr<Window> hold;  // keeps the record while the procedure runs
    {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        hold = findWindow(t, hwnd);
        if (!hold) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        proc = hold->proc;
    }
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

}  // namespace winplat::detail

using namespace winplat::detail;

namespace {

// The thread's id, asked of the kernel once; a child made by fork asks again.
thread_local DWORD cachedThreadId = 0;

void forgetThreadIdInChild() { cachedThreadId = 0; }

}  // namespace

WINPLAT_API DWORD GetCurrentThreadId(void) {
    if (!cachedThreadId) {
        static std::once_flag registered;
        std::call_once(registered, [] { pthread_atfork(nullptr, nullptr, forgetThreadIdInChild); });
        cachedThreadId = static_cast<DWORD>(syscall(SYS_gettid));
    }
    return cachedThreadId;
}

WINPLAT_API DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    return withWindow(hWnd, DWORD{0}, [&](WindowTable&, const std::shared_ptr<Window>& w) -> DWORD {
        if (lpdwProcessId) *lpdwProcessId = static_cast<DWORD>(getpid());
        return w->thread;
    });
}

WINPLAT_API LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd == HWND_BROADCAST) {
        std::vector<HWND> all = topLevelWindows();
        for (HWND h : all) SendMessageA(h, Msg, wParam, lParam);
        return 0;
    }
    DWORD thread = withWindow(hWnd, DWORD{0}, [](WindowTable&, const std::shared_ptr<Window>& w) { return w->thread; });
    if (!thread) return 0;
    if (thread == GetCurrentThreadId() || !queueOf(thread)) return callWindow(hWnd, Msg, wParam, lParam);
    return sendToOtherThread(myQueue(), thread, hWnd, Msg, wParam, lParam);
}

WINPLAT_API BOOL InSendMessage(void) { return servicingSend > 0; }

WINPLAT_API LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                                    LPARAM lParam) {
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

WINPLAT_API BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        if (hWnd == HWND_BROADCAST) {
            std::vector<HWND> all = topLevelWindows();
            for (HWND h : all) PostMessageA(h, Msg, wParam, lParam);
            return TRUE;
        }
        DWORD thread = GetCurrentThreadId();
        if (hWnd) {
            thread = withWindow(hWnd, DWORD{0}, [](WindowTable&, const std::shared_ptr<Window>& w) { return w->thread; });
            if (!thread) return FALSE;
        }
        MSG msg{hWnd, Msg, wParam, lParam, GetTickCount(), lastPointerPosition()};
        if (!postToThread(thread, msg, false)) {
            SetLastError(ERROR_INVALID_THREAD_ID);
            return FALSE;
        }
        return TRUE;
    });
}

WINPLAT_API BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        MSG msg{nullptr, Msg, wParam, lParam, GetTickCount(), lastPointerPosition()};
        if (!postToThread(idThread, msg, false)) {
            SetLastError(ERROR_INVALID_THREAD_ID);
            return FALSE;
        }
        return TRUE;
    });
}

WINPLAT_API void PostQuitMessage(int nExitCode) {
    ThreadQueue& q = myQueue();
    {
        std::lock_guard lock(q.mutex);
        q.quit = true;
        q.quitCode = nExitCode;
    }
    q.wake();
}

WINPLAT_API BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                              UINT wRemoveMsg) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        if (!lpMsg) {
            SetLastError(ERROR_NOACCESS);
            return FALSE;
        }
        ThreadQueue& q = myQueue();
        // Lets the display deliver what it has, without waiting.
        if (const WinplatDriverFunctions* driver = isGuiThread() ? loadedGuiDriver() : nullptr)
            driver->wait(-1, 0);
        MSG msg{};
        if (!peek(q, {hWnd, wMsgFilterMin, wMsgFilterMax}, wRemoveMsg, msg)) return FALSE;
        *lpMsg = msg;
        return TRUE;
    });
}

WINPLAT_API BOOL GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    return guardedCall(BOOL{-1}, [&]() -> BOOL {
        if (!lpMsg) {
            SetLastError(ERROR_NOACCESS);
            return -1;
        }
        if (hWnd && hWnd != reinterpret_cast<HWND>(-1) && !IsWindow(hWnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return -1;
        }
        ThreadQueue& q = myQueue();
        MessageFilter f{hWnd, wMsgFilterMin, wMsgFilterMax};
        MSG msg{};
        while (!peek(q, f, PM_REMOVE, msg)) waitOnQueue(q, -1);
        *lpMsg = msg;
        return msg.message == WM_QUIT ? FALSE : TRUE;
    });
}

WINPLAT_API BOOL WaitMessage(void) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        ThreadQueue& q = myQueue();
        MSG msg{};
        if (peek(q, {}, PM_NOREMOVE, msg)) return TRUE;
        waitOnQueue(q, -1);
        return TRUE;
    });
}

WINPLAT_API DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL,
                                            DWORD dwMilliseconds, DWORD dwWakeMask) {
    return guardedCall(DWORD{WAIT_FAILED}, [&]() -> DWORD {
        if (nCount > 0 || (nCount > 0 && !pHandles)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        ThreadQueue& q = myQueue();
        auto start = GetTickCount();
        for (;;) {
            if (GetQueueStatus(dwWakeMask) >> 16) return WAIT_OBJECT_0;
            DWORD passed = GetTickCount() - start;
            if (dwMilliseconds != INFINITE && passed >= dwMilliseconds) return WAIT_TIMEOUT;
            int left = dwMilliseconds == INFINITE ? -1 : static_cast<int>(dwMilliseconds - passed);
            waitOnQueue(q, left);
        }
    });
}

// The high word says what kinds of message wait; this platform does not track which arrived
// since the last call, so the low word repeats it.
WINPLAT_API DWORD GetQueueStatus(UINT flags) {
    ThreadQueue& q = myQueue();
    serviceSentMessages(q);
    UINT kinds = 0;
    {
        std::lock_guard lock(q.mutex);
        if (!q.posted.empty() || q.quit) kinds |= QS_POSTMESSAGE;
        for (const MSG& m : q.input)
            kinds |= (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) ? QS_KEY
                     : m.message == WM_MOUSEMOVE                            ? QS_MOUSEMOVE
                                                                            : QS_MOUSEBUTTON;
    }
    MSG msg{};
    if ((flags & QS_PAINT) && nextPaintMessage(q.thread, {}, msg)) kinds |= QS_PAINT;
    if ((flags & QS_TIMER) && msUntilNextTimer(q.thread) == 0) kinds |= QS_TIMER;
    kinds &= flags;
    return (kinds << 16) | kinds;
}

WINPLAT_API LONG GetMessageTime(void) { return static_cast<LONG>(myQueue().last.time); }

WINPLAT_API DWORD GetMessagePos(void) {
    POINT p = myQueue().last.pt;
    return static_cast<DWORD>(MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
}

WINPLAT_API LRESULT DispatchMessageA(const MSG* lpMsg) {
    return guardedCall(LRESULT{0}, [&]() -> LRESULT {
        if (!lpMsg) return 0;
        if ((lpMsg->message == WM_TIMER) && lpMsg->lParam) {
            // A timer with a procedure: the procedure runs instead of the window's.
            if (!isTimerProcedure(lpMsg->hwnd, lpMsg->wParam, lpMsg->lParam)) return 0;
            auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
            proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
            return 0;
        }
        if (!lpMsg->hwnd) return 0;
        return callWindow(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
    });
}
