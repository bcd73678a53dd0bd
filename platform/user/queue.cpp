// Message queues, one per thread: posted messages in order, input, messages sent from other
// threads and other processes, the quit flag, and the wait (Qt's dispatcher on the GUI thread
// when the driver is loaded, else poll). Each thread waits on an epoll set of its own eventfd
// and the process's watched descriptors (the session's sockets, children that ended), so a
// message from another process wakes whichever thread waits. Retrieval order: sent messages
// (dispatched inside the call), posted messages, the quit flag, input, WM_PAINT, WM_TIMER.
// Nothing is locked while a window procedure runs, so loops nest freely.
#include "queue.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "detail.h"
#include "gdi_internal.h"
#include "ipc.h"
#include "process.h"
#include "process_events.h"
#include "session.h"
#include "startup.h"
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

// A message sent from another thread: its sender waits until `done`. One sent from another
// process has no sender thread here: `reply` takes its result.
struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    std::atomic<bool> done{false};
    DWORD sender = 0;
    std::function<void(LRESULT)> reply;

    void finish(LRESULT value) {
        result = value;
        if (reply) {
            reply(value);
            return;
        }
        done.store(true, std::memory_order_release);
        wakeThread(sender);
    }
};

// An epoll set of the thread's eventfd and the process's watched descriptors.
int makeWaitSet(int wakeFd) {
    int set = epoll_create1(EPOLL_CLOEXEC);
    if (set < 0) return -1;
    for (int fd : {wakeFd, eventsFd()}) {
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.fd = fd;
        epoll_ctl(set, EPOLL_CTL_ADD, fd, &e);
    }
    return set;
}

struct ThreadQueue {
    explicit ThreadQueue(DWORD id)
        : thread(id), wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), waitFd(makeWaitSet(wakeFd)) {}
    ~ThreadQueue() {
        if (waitFd >= 0) close(waitFd);
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
    const int waitFd;  // what the thread sleeps on
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
    for (auto& s : pending) s->finish(0);
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
thread_local bool eventsJustRun = false;  // by the wait that just ended
thread_local std::chrono::steady_clock::time_point nextEventsLook;

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

bool isGuiThread() { return GetCurrentThreadId() == currentProcessId(); }

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

// Watches more descriptors in the thread's epoll set while it lives, for the driver's wait
// (copies of them, so that nested waits on the same descriptor keep their own entries).
class ExtraWatches {
public:
    ExtraWatches(const ThreadQueue& q, const std::vector<int>& fds) : set_(q.waitFd) {
        for (int fd : fds) {
            int copy = fcntl(fd, F_DUPFD_CLOEXEC, 3);
            if (copy < 0) continue;
            epoll_event e{};
            e.events = EPOLLIN;
            e.data.fd = copy;
            if (epoll_ctl(set_, EPOLL_CTL_ADD, copy, &e) == 0) {
                copies_.push_back(copy);
            } else {
                close(copy);
            }
        }
    }
    ~ExtraWatches() {
        for (int copy : copies_) {
            epoll_ctl(set_, EPOLL_CTL_DEL, copy, nullptr);
            close(copy);
        }
    }
    ExtraWatches(const ExtraWatches&) = delete;
    ExtraWatches& operator=(const ExtraWatches&) = delete;

private:
    int set_;
    std::vector<int> copies_;
};

// Sleeps on the thread's eventfd, the process's watched descriptors and `extra` until one is
// readable or `timeoutMs` passes (-1: no limit); drains the eventfd and runs the watched
// descriptors' handlers when they woke it. Returns the index of a readable `extra`, else -1.
int sleepOn(ThreadQueue& q, int timeoutMs, const std::vector<int>& extra) {
    std::vector<pollfd> set{{q.wakeFd, POLLIN, 0}, {eventsFd(), POLLIN, 0}};
    for (int fd : extra) set.push_back({fd, POLLIN, 0});
    int n = poll(set.data(), set.size(), timeoutMs);
    q.waiting.store(false);
    if (n <= 0) return -1;
    if (set[0].revents) q.drain();
    if (set[1].revents) eventsJustRun = runReadyEvents();
    for (size_t i = 2; i < set.size(); ++i)
        if (set[i].revents) return static_cast<int>(i - 2);
    return -1;
}

void waitOnQueue(ThreadQueue& q, int timeoutMs, const std::vector<int>& extra = {}) {
    presentPainted();  // what was painted shows before the thread sleeps
    publishWindows();  // and other processes see its windows as they are
    // Posters write the eventfd only while `waiting` is set: set it, then look once more.
    q.waiting.store(true);
    if (hasWork(q)) {
        q.waiting.store(false);
        return;
    }
    signalInputIdle();
    int timer = msUntilNextTimer(q.thread);
    if (timer >= 0 && (timeoutMs < 0 || timer < timeoutMs)) timeoutMs = timer;
    const WinplatDriverFunctions* driver = isGuiThread() ? loadedGuiDriver() : nullptr;
    if (!driver) {
        sleepOn(q, timeoutMs, extra);
        return;
    }
    ExtraWatches watching(q, extra);
    driver->wait(q.waitFd, timeoutMs);
    q.waiting.store(false);
    q.drain();
}

// The index of the first readable descriptor of `fds`, else -1.
int firstReadable(const std::vector<int>& fds) {
    for (size_t i = 0; i < fds.size(); ++i) {
        pollfd p{fds[i], POLLIN, 0};
        if (poll(&p, 1, 0) > 0) return static_cast<int>(i);
    }
    return -1;
}

// Milliseconds left of `timeoutMs` since `start` (-1: no limit).
int timeLeft(DWORD start, DWORD timeoutMs) {
    if (timeoutMs == INFINITE) return -1;
    DWORD passed = GetTickCount() - start;
    return passed >= timeoutMs ? 0 : static_cast<int>(timeoutMs - passed);
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
        LRESULT result = callWindow(s->hwnd, s->message, s->wParam, s->lParam);
        --servicingSend;
        s->finish(result);
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

// Whether a peek should look at the watched descriptors (another process's messages): not
// right after the wait that ran them, and while local messages keep the thread busy, once a
// millisecond (without local work the next wait looks anyway).
bool timeToLookAtEvents() {
    if (std::exchange(eventsJustRun, false) || !anyWatched()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextEventsLook) return false;
    nextEventsLook = now + std::chrono::milliseconds(1);
    return true;
}

bool peek(ThreadQueue& q, const MessageFilter& f, UINT flags, MSG& out) {
    if (timeToLookAtEvents()) runReadyEvents();
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
    serveSendsUntil([&] { return s->done.load(std::memory_order_acquire) || !queueOf(thread); }, {}, INFINITE);
    return s->done.load(std::memory_order_acquire) ? s->result : 0;
}

}  // namespace

int serveSendsUntil(const std::function<bool()>& done, const std::vector<int>& fds, DWORD timeoutMs) {
    ThreadQueue& q = myQueue();
    const DWORD start = GetTickCount();
    for (;;) {
        if (serviceSentMessages(q)) continue;
        if (done && done()) return -1;
        int left = timeLeft(start, timeoutMs);
        q.waiting.store(true);
        if (q.sentCount.load() > 0 || (done && done())) {
            q.waiting.store(false);
            continue;
        }
        if (int ready = sleepOn(q, left, fds); ready >= 0) return ready;
        if (left == 0) return -2;
    }
}

bool queueSendFromProcess(DWORD thread, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                          std::function<void(LRESULT)> reply) {
    auto target = queueOf(thread);
    if (!target) return false;
    auto s = std::make_shared<SentMessage>();
    s->hwnd = hwnd;
    s->message = message;
    s->wParam = wParam;
    s->lParam = lParam;
    s->reply = std::move(reply);
    {
        std::lock_guard lock(target->mutex);
        target->sent.push_back(s);
        ++target->sentCount;
    }
    target->wake();
    return true;
}

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
    DWORD thread = withWindow(hWnd, DWORD{0}, [&](WindowTable&, const std::shared_ptr<Window>& w) -> DWORD {
        if (lpdwProcessId) *lpdwProcessId = currentProcessId();
        return w->thread;
    });
    if (thread) return thread;
    auto other = foreignWindow(hWnd);
    if (!other) return 0;
    if (lpdwProcessId) *lpdwProcessId = other->pid;
    return other->thread;
}

namespace {

// The top-level windows of the session's other processes that a message may reach.
std::vector<ForeignWindow> broadcastTargets(UINT message) {
    return carriesPointer(message) ? std::vector<ForeignWindow>{} : foreignWindowsUnder(nullptr);
}

// A send or post to a window that is not this process's: to its process when it is another's,
// with integer parameters. Sets the last error and returns false otherwise.
bool otherProcessTakes(HWND hwnd, UINT message, int64_t& process) {
    process = foreignProcessOf(hwnd);
    if (!process) return false;  // ERROR_INVALID_WINDOW_HANDLE stays
    if (carriesPointer(message)) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return false;
    }
    return true;
}

}  // namespace

WINPLAT_API LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd == HWND_BROADCAST) {
        std::vector<HWND> all = topLevelWindows();
        for (HWND h : all) SendMessageA(h, Msg, wParam, lParam);
        for (const ForeignWindow& w : broadcastTargets(Msg)) sendToProcess(w.process, w.handle, Msg, wParam, lParam);
        return 0;
    }
    DWORD thread = withWindow(hWnd, DWORD{0}, [](WindowTable&, const std::shared_ptr<Window>& w) { return w->thread; });
    if (!thread) {
        int64_t process = 0;
        return otherProcessTakes(hWnd, Msg, process) ? sendToProcess(process, hWnd, Msg, wParam, lParam) : 0;
    }
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
            for (const ForeignWindow& w : broadcastTargets(Msg)) postToProcess(w.process, w.handle, Msg, wParam, lParam);
            return TRUE;
        }
        DWORD thread = GetCurrentThreadId();
        if (hWnd) {
            thread = withWindow(hWnd, DWORD{0}, [](WindowTable&, const std::shared_ptr<Window>& w) { return w->thread; });
            if (!thread) {
                int64_t process = 0;
                return otherProcessTakes(hWnd, Msg, process) ? postToProcess(process, hWnd, Msg, wParam, lParam)
                                                              : FALSE;
            }
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

// Ends with the first of the handles that is signalled (WAIT_OBJECT_0 + its index), then with
// a message the mask asks for (WAIT_OBJECT_0 + nCount), else WAIT_TIMEOUT. Processes are the
// objects that can be waited for; waiting for all of them at once is not supported.
WINPLAT_API DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll,
                                            DWORD dwMilliseconds, DWORD dwWakeMask) {
    return guardedCall(DWORD{WAIT_FAILED}, [&]() -> DWORD {
        if (nCount >= MAXIMUM_WAIT_OBJECTS || (nCount > 0 && !pHandles) || (fWaitAll && nCount > 0)) {
            SetLastError(fWaitAll && nCount > 0 && nCount < MAXIMUM_WAIT_OBJECTS ? ERROR_NOT_SUPPORTED
                                                                                : ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
        std::vector<std::shared_ptr<KernelObject>> objects;  // held while waiting
        std::vector<int> fds;
        for (DWORD i = 0; i < nCount; ++i) {
            auto object = lookupAnyObject(pHandles[i]);
            if (!object || object->waitFd() < 0) {
                SetLastError(ERROR_INVALID_HANDLE);
                return WAIT_FAILED;
            }
            fds.push_back(object->waitFd());
            objects.push_back(std::move(object));
        }
        ThreadQueue& q = myQueue();
        const DWORD start = GetTickCount();
        for (;;) {
            if (int ready = firstReadable(fds); ready >= 0) return WAIT_OBJECT_0 + static_cast<DWORD>(ready);
            if (GetQueueStatus(dwWakeMask) >> 16) return WAIT_OBJECT_0 + nCount;
            int left = timeLeft(start, dwMilliseconds);
            if (left == 0) return WAIT_TIMEOUT;
            waitOnQueue(q, left, fds);
        }
    });
}

WINPLAT_API DWORD WaitForInputIdle(HANDLE hProcess, DWORD dwMilliseconds) {
    return guardedCall(DWORD{WAIT_FAILED}, [&]() -> DWORD {
        auto process = processOf(hProcess);
        if (!process) return WAIT_FAILED;
        const DWORD start = GetTickCount();
        for (;;) {
            switch (process->idleState()) {
            case ProcessObject::IdleState::Idle: return 0;
            case ProcessObject::IdleState::Never: {
                // The pipe closes as the process ends: let it finish ending (briefly: a program
                // it replaced itself with may run on).
                const int left = timeLeft(start, dwMilliseconds);
                pollfd ended{process->waitFd(), POLLIN, 0};
                poll(&ended, 1, left < 0 || left > 1000 ? 1000 : left);
                SetLastError(ERROR_NOT_GUI_PROCESS);
                return WAIT_FAILED;
            }
            case ProcessObject::IdleState::Pending: break;
            }
            int left = timeLeft(start, dwMilliseconds);
            if (left == 0) return WAIT_TIMEOUT;
            serveSendsUntil(nullptr, {process->idleFd()}, static_cast<DWORD>(left));
        }
    });
}

// The high word says what kinds of message wait; this platform does not track which arrived
// since the last call, so the low word repeats it.
WINPLAT_API DWORD GetQueueStatus(UINT flags) {
    ThreadQueue& q = myQueue();
    runReadyEvents();
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
