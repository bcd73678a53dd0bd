#include "ipc.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "files.h"
#include "process_events.h"
#include "queue.h"
#include "session.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

enum class Kind : uint32_t { Post = 1, Send = 2, Reply = 3 };

// Everything a message between processes carries: integers only.
struct Packet {
    Kind kind;
    uint32_t message;
    uint64_t id;  // of a send, echoed by its reply
    uint64_t hwnd;
    uint64_t wParam;
    int64_t lParam;
    int64_t result;
    uint32_t error;  // of a reply: why no procedure ran
    uint32_t unused;
};

struct Connection {
    explicit Connection(int fd) : socket(fd) {}
    UniqueFd socket;
    int64_t peer = 0;  // the process connected to, for connections this one made
};

struct PendingSend {
    std::atomic<bool> done{false};
    LRESULT result = 0;
    DWORD error = 0;
    DWORD thread = 0;
    const Connection* via = nullptr;
};

struct Links {
    std::mutex mutex;
    std::string folder;
    int64_t self = 0;
    UniqueFd listener;
    std::string socketPath;
    std::unordered_map<int, std::shared_ptr<Connection>> connections;  // by descriptor
    std::unordered_map<int64_t, std::shared_ptr<Connection>> toProcess;
    std::unordered_map<uint64_t, std::shared_ptr<PendingSend>> pending;
    std::atomic<uint64_t> nextId{1};
};

Links& links() {
    static Links* l = new Links;  // lives for the process: handlers may run during exit
    return *l;
}

std::string socketOf(const std::string& folder, int64_t process) {
    return folder + "/p" + std::to_string(process) + ".sock";
}

bool sameUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

bool fillAddress(sockaddr_un& address, const std::string& path) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Sends one packet. A reply or a send waits while the peer's queue is full (it drains as
// the peer runs); a post waits at most 100 ms. False when the connection is gone or full.
bool writePacket(int fd, const Packet& p) {
    const int patience = p.kind == Kind::Post ? 100 : -1;
    for (;;) {
        ssize_t n = send(fd, &p, sizeof p, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n == static_cast<ssize_t>(sizeof p)) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return false;
        pollfd out{fd, POLLOUT, 0};
        if (poll(&out, 1, patience) <= 0 || (out.revents & (POLLHUP | POLLERR))) {
            if (!(out.revents & (POLLHUP | POLLERR))) errno = EAGAIN;
            return false;
        }
    }
}

void closeConnection(const std::shared_ptr<Connection>& c);
void readConnection(const std::shared_ptr<Connection>& c);

void watchConnection(const std::shared_ptr<Connection>& c) {
    std::weak_ptr<Connection> weak = c;
    watchReadable(c->socket.get(), [weak] {
        if (auto c = weak.lock()) readConnection(c);
    });
}

// Adds a connection; callers hold the lock.
void addLocked(Links& l, const std::shared_ptr<Connection>& c) {
    l.connections[c->socket.get()] = c;
    if (c->peer) l.toProcess[c->peer] = c;
    watchConnection(c);
}

void acceptConnections() {
    Links& l = links();
    for (;;) {
        int fd = accept4(l.listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return;
        }
        auto c = std::make_shared<Connection>(fd);
        if (!sameUser(fd)) continue;  // closed with `c`
        std::lock_guard lock(l.mutex);
        if (!l.listener) return;
        addLocked(l, c);
    }
}

DWORD threadOfWindow(HWND hwnd) {
    return withWindow(hwnd, DWORD{0}, [](WindowTable&, const std::shared_ptr<Window>& w) { return w->thread; });
}

void route(const std::shared_ptr<Connection>& c, const Packet& p) {
    HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(p.hwnd));
    switch (p.kind) {
    case Kind::Post: {
        if (DWORD thread = threadOfWindow(hwnd)) {
            MSG msg{hwnd, p.message, static_cast<WPARAM>(p.wParam), static_cast<LPARAM>(p.lParam), GetTickCount(),
                    lastPointerPosition()};
            postToThread(thread, msg, false);
        }
        return;
    }
    case Kind::Send: {
        const uint64_t id = p.id;
        std::weak_ptr<Connection> back = c;
        auto reply = [back, id](LRESULT result, DWORD error) {
            publishWindows();  // whatever the procedure made is visible before its result
            Packet answer{Kind::Reply, 0, id, 0, 0, 0, result, error, 0};
            if (auto c = back.lock()) writePacket(c->socket.get(), answer);
        };
        DWORD thread = threadOfWindow(hwnd);
        if (!thread || !queueSendFromProcess(thread, hwnd, p.message, static_cast<WPARAM>(p.wParam),
                                             static_cast<LPARAM>(p.lParam),
                                             [reply](LRESULT result) { reply(result, 0); }))
            reply(0, ERROR_INVALID_WINDOW_HANDLE);
        return;
    }
    case Kind::Reply: {
        std::shared_ptr<PendingSend> waiting;
        {
            Links& l = links();
            std::lock_guard lock(l.mutex);
            auto it = l.pending.find(p.id);
            if (it == l.pending.end()) return;
            waiting = it->second;
        }
        waiting->result = static_cast<LRESULT>(p.result);
        waiting->error = p.error;
        waiting->done.store(true, std::memory_order_release);
        wakeThread(waiting->thread);
        return;
    }
    }
}

// One packet per call: the descriptor stays ready while more wait, and the next look at the
// watched descriptors takes the next one.
void readConnection(const std::shared_ptr<Connection>& c) {
    Packet p{};
    ssize_t n;
    do n = recv(c->socket.get(), &p, sizeof p, MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    if (n == static_cast<ssize_t>(sizeof p)) route(c, p);
    if (n > 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))) return;  // odd sizes are no packets of ours
    closeConnection(c);  // ended, or reset by a peer that died
}

// Forgets a connection; the sends waiting on it fail.
void closeConnection(const std::shared_ptr<Connection>& c) {
    Links& l = links();
    std::vector<std::shared_ptr<PendingSend>> failed;
    {
        std::lock_guard lock(l.mutex);
        unwatch(c->socket.get());
        l.connections.erase(c->socket.get());
        if (c->peer) {
            auto it = l.toProcess.find(c->peer);
            if (it != l.toProcess.end() && it->second == c) l.toProcess.erase(it);
        }
        for (auto& [id, p] : l.pending)
            if (p->via == c.get()) failed.push_back(p);
    }
    for (auto& p : failed) {
        p->error = ERROR_INVALID_WINDOW_HANDLE;
        p->done.store(true, std::memory_order_release);
        wakeThread(p->thread);
    }
}

bool hungUp(int fd) {
    pollfd p{fd, POLLRDHUP, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLRDHUP | POLLERR | POLLNVAL));
}

// The connection to a process, made on first use; null when it is gone. A kept connection is
// checked for a hang-up only when `checkAlive` (a message on a dead one fails anyway).
std::shared_ptr<Connection> connectionTo(int64_t process, bool checkAlive) {
    Links& l = links();
    std::string path;
    std::shared_ptr<Connection> ended;
    {
        std::lock_guard lock(l.mutex);
        if (!l.listener) return nullptr;
        auto it = l.toProcess.find(process);
        if (it != l.toProcess.end()) {
            if (!checkAlive || !hungUp(it->second->socket.get())) return it->second;
            ended = it->second;
        }
        path = socketOf(l.folder, process);
    }
    if (ended) closeConnection(ended);
    sockaddr_un address;
    if (!fillAddress(address, path)) return nullptr;
    auto c = std::make_shared<Connection>(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    c->peer = process;
    if (!c->socket || connect(c->socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        !sameUser(c->socket.get()))
        return nullptr;
    int flags = 1 << 20;  // room for a burst of posts
    setsockopt(c->socket.get(), SOL_SOCKET, SO_SNDBUF, &flags, sizeof flags);
    std::lock_guard lock(l.mutex);
    if (!l.listener) return nullptr;
    // Another thread may have connected meanwhile: its connection serves.
    if (auto it = l.toProcess.find(process); it != l.toProcess.end()) return it->second;
    addLocked(l, c);
    return c;
}

}  // namespace

bool startListening(const std::string& folder, int64_t process) {
    Links& l = links();
    const std::string path = socketOf(folder, process);
    sockaddr_un address;
    if (!fillAddress(address, path)) return false;
    UniqueFd listener(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener) return false;
    unlink(path.c_str());
    if (bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener.get(), 64) != 0)
        return false;
    std::lock_guard lock(l.mutex);
    l.folder = folder;
    l.self = process;
    l.socketPath = path;
    l.listener = std::move(listener);
    watchReadable(l.listener.get(), acceptConnections);
    return true;
}

void stopListening() {
    Links& l = links();
    std::unordered_map<int, std::shared_ptr<Connection>> connections;
    std::unordered_map<uint64_t, std::shared_ptr<PendingSend>> pending;
    {
        std::lock_guard lock(l.mutex);
        if (l.listener) {
            unwatch(l.listener.get());
            l.listener.reset();
            unlink(l.socketPath.c_str());
        }
        for (auto& [fd, c] : l.connections) unwatch(fd);
        connections.swap(l.connections);
        l.toProcess.clear();
        pending.swap(l.pending);
    }
    for (auto& [id, p] : pending) {
        p->error = ERROR_INVALID_WINDOW_HANDLE;
        p->done.store(true, std::memory_order_release);
        wakeThread(p->thread);
    }
}

bool processAlive(int64_t process) {
    {
        Links& l = links();
        std::lock_guard lock(l.mutex);
        if (process == l.self && l.listener) return true;
    }
    if (connectionTo(process, true)) return true;
    forgetProcess(process);
    return false;
}

namespace {

// The connection a message to another process leaves on, after this process's windows are
// published (so that handles the message names can be looked up); null, with the process
// forgotten and ERROR_INVALID_WINDOW_HANDLE, when the process is gone.
std::shared_ptr<Connection> connectionForMessage(int64_t process) {
    publishWindows();
    auto c = connectionTo(process, false);
    if (!c) {
        forgetProcess(process);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return c;
}

}  // namespace

BOOL postToProcess(int64_t process, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto c = connectionForMessage(process);
    if (!c) return FALSE;
    Packet p{Kind::Post, message, 0, reinterpret_cast<uintptr_t>(hwnd), wParam, lParam, 0, 0, 0};
    if (writePacket(c->socket.get(), p)) return TRUE;
    SetLastError(errno == EAGAIN ? ERROR_NOT_ENOUGH_QUOTA : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
}

LRESULT sendToProcess(int64_t process, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto c = connectionForMessage(process);
    if (!c) return 0;
    Links& l = links();
    auto waiting = std::make_shared<PendingSend>();
    waiting->thread = GetCurrentThreadId();
    waiting->via = c.get();
    const uint64_t id = l.nextId.fetch_add(1);
    {
        std::lock_guard lock(l.mutex);
        l.pending[id] = waiting;
    }
    Packet p{Kind::Send, message, id, reinterpret_cast<uintptr_t>(hwnd), wParam, lParam, 0, 0, 0};
    if (writePacket(c->socket.get(), p))
        serveSendsUntil([&] { return waiting->done.load(std::memory_order_acquire); }, {}, INFINITE);
    else
        waiting->error = ERROR_INVALID_WINDOW_HANDLE;
    {
        std::lock_guard lock(l.mutex);
        l.pending.erase(id);
    }
    if (waiting->error) SetLastError(waiting->error);
    return waiting->error ? 0 : waiting->result;
}

bool carriesPointer(UINT message) {
    // System messages (below WM_USER) whose wParam or lParam points into the sender.
    static constexpr UINT kPointers[] = {
        0x0001 /*WM_CREATE*/,        0x000C /*WM_SETTEXT*/,         0x000D /*WM_GETTEXT*/,
        0x001A /*WM_SETTINGCHANGE*/, 0x001B /*WM_DEVMODECHANGE*/,   0x0024 /*WM_GETMINMAXINFO*/,
        0x002B /*WM_DRAWITEM*/,      0x002C /*WM_MEASUREITEM*/,     0x002D /*WM_DELETEITEM*/,
        0x0039 /*WM_COMPAREITEM*/,   0x0046 /*WM_WINDOWPOSCHANGING*/, 0x0047 /*WM_WINDOWPOSCHANGED*/,
        0x004A /*WM_COPYDATA*/,      0x004E /*WM_NOTIFY*/,          0x0053 /*WM_HELP*/,
        0x007C /*WM_STYLECHANGING*/, 0x007D /*WM_STYLECHANGED*/,    0x0081 /*WM_NCCREATE*/,
        0x0083 /*WM_NCCALCSIZE*/,    0x0087 /*WM_GETDLGCODE*/,      0x00B0 /*EM_GETSEL*/,
        0x00B2 /*EM_GETRECT*/,       0x00B3 /*EM_SETRECT*/,         0x00B4 /*EM_SETRECTNP*/,
        0x00C2 /*EM_REPLACESEL*/,    0x00C4 /*EM_GETLINE*/,         0x00CB /*EM_SETTABSTOPS*/,
        0x0140 /*CB_GETEDITSEL*/,    0x0143 /*CB_ADDSTRING*/,       0x0145 /*CB_DIR*/,
        0x0148 /*CB_GETLBTEXT*/,     0x014A /*CB_INSERTSTRING*/,    0x014C /*CB_FINDSTRING*/,
        0x014D /*CB_SELECTSTRING*/,  0x0152 /*CB_GETDROPPEDCONTROLRECT*/, 0x0158 /*CB_FINDSTRINGEXACT*/,
        0x0180 /*LB_ADDSTRING*/,     0x0181 /*LB_INSERTSTRING*/,    0x0189 /*LB_GETTEXT*/,
        0x018C /*LB_SELECTSTRING*/,  0x018D /*LB_DIR*/,             0x018F /*LB_FINDSTRING*/,
        0x0191 /*LB_GETSELITEMS*/,   0x0192 /*LB_SETTABSTOPS*/,     0x0196 /*LB_ADDFILE*/,
        0x0198 /*LB_GETITEMRECT*/,   0x01A2 /*LB_FINDSTRINGEXACT*/, 0x0214 /*WM_SIZING*/,
        0x0216 /*WM_MOVING*/,
    };
    return message < WM_USER && std::find(std::begin(kPointers), std::end(kPointers), message) != std::end(kPointers);
}

}  // namespace winplat::detail
