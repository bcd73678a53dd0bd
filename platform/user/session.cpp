#include "session.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "ascii_case.h"
#include "detail.h"
#include "ipc.h"
#include "session_folder.h"
#include "sqlite_db.h"
#include "wintable.h"

namespace winplat::detail {
namespace {

// Handles are 2 modulo 4 from 0x10002 on, below 2^31; block b (from 1) holds 1024 of them.
constexpr uintptr_t kFirstHandle = 0x10002;
constexpr uintptr_t kHandlesPerBlock = 1024;
constexpr int64_t kLastBlock = static_cast<int64_t>((0x7FFFFFFEu - kFirstHandle) / 4 / kHandlesPerBlock);

int64_t blockOf(uintptr_t handle) {
    if (handle < kFirstHandle || (handle - kFirstHandle) % 4) return 0;
    return static_cast<int64_t>((handle - kFirstHandle) / 4 / kHandlesPerBlock) + 1;
}

uintptr_t firstHandleOf(int64_t block) {
    return kFirstHandle + static_cast<uintptr_t>(block - 1) * kHandlesPerBlock * 4;
}

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS processes(serial INTEGER PRIMARY KEY AUTOINCREMENT, pid INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS blocks(id INTEGER PRIMARY KEY AUTOINCREMENT, process INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS windows(handle INTEGER PRIMARY KEY, process INTEGER NOT NULL, pid INTEGER,"
    " thread INTEGER, class TEXT, title TEXT, style INTEGER, exstyle INTEGER, parent INTEGER, owner INTEGER,"
    " place INTEGER);"
    "CREATE INDEX IF NOT EXISTS windows_by_parent ON windows(parent, process);"
    "CREATE TABLE IF NOT EXISTS atoms(number INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE COLLATE NOCASE);";

// What a process publishes of one window.
struct Row {
    DWORD thread = 0;
    std::string className;
    std::string title;
    LONG style = 0;
    LONG exStyle = 0;
    uintptr_t parent = 0;
    uintptr_t owner = 0;
    int place = -1;  // among its siblings in z-order; -1 for message-only windows
    bool operator==(const Row&) const = default;
};

struct Joined {
    std::shared_ptr<SessionFolder> folder;
    std::unique_ptr<Database> db;
    int64_t serial = 0;
    pid_t pid = 0;
    uintptr_t nextHandle = 0;  // in the current block; 0: none yet
    uintptr_t blockEnd = 0;
    std::set<int64_t> ownBlocks;
    std::unordered_map<int64_t, int64_t> blockOwners;  // other processes' blocks
    std::map<std::string, UINT, LessIgnoringCase> messages;
};

struct State {
    std::mutex mutex;  // the joined session and its database
    std::unique_ptr<Joined> joined;
    std::string failedRoot;         // a root whose session could not be joined
    uintptr_t ownCount = kFirstHandle;  // handles without a session
    int64_t highestBlock = 0;  // of every session this process took part in
    std::atomic<bool> active{false};
    std::mutex publishing;  // one publisher at a time; guards `published`
    std::unordered_map<uintptr_t, Row> published;
    uint64_t publishedFingerprint = 0;
};

State& state() {
    static State* s = new State;  // lives for the process: exit handlers use it
    return *s;
}

void leaveLocked(State& s) {
    if (!s.joined) return;
    s.active.store(false);
    if (s.joined->pid == static_cast<pid_t>(currentProcessId())) {
        stopListening();
        Database& db = *s.joined->db;
        for (const char* sql : {"DELETE FROM windows WHERE process=?", "DELETE FROM processes WHERE serial=?",
                                "DELETE FROM blocks WHERE process=?"})
            db.prepare(sql).bind(1, s.joined->serial).step();
    }
    s.joined.reset();
}

void leaveAtExit() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.joined && s.joined->pid == static_cast<pid_t>(currentProcessId())) leaveLocked(s);
}

// Joins the session of the system root; callers hold the lock. Null without a session.
Joined* joinLocked(State& s) {
    if (s.joined && s.joined->pid == static_cast<pid_t>(currentProcessId())) return s.joined.get();
    if (s.joined) {
        // Inherited through fork: the parent's membership is not this process's.
        (void)s.joined.release();  // its descriptors and database belong to the parent
        s.active.store(false);
    }
    const std::string& root = systemRoot();
    if (s.failedRoot == root) return nullptr;
    auto j = std::make_unique<Joined>();
    j->folder = sessionFolder();
    if (j->folder) {
        j->db = std::make_unique<Database>(j->folder->file("session.db"));
        j->pid = static_cast<pid_t>(currentProcessId());
        Database& db = *j->db;
        bool ok = db.status() == SQLITE_OK && db.exec("PRAGMA journal_mode=WAL") == SQLITE_OK &&
                  db.exec("PRAGMA synchronous=OFF") == SQLITE_OK && db.exec(kSchema) == SQLITE_OK;
        if (ok) {
            Statement add = db.prepare("INSERT INTO processes(pid) VALUES(?)");
            ok = add.valid() && add.bind(1, static_cast<sqlite3_int64>(j->pid)).step() == SQLITE_DONE;
            j->serial = sqlite3_last_insert_rowid(db.handle());
        }
        if (ok && startListening(j->folder->path(), j->serial)) {
            s.joined = std::move(j);
            s.active.store(true);
            static std::once_flag registered;
            std::call_once(registered, [] { std::atexit(leaveAtExit); });
            return s.joined.get();
        }
        if (ok) db.prepare("DELETE FROM processes WHERE serial=?").bind(1, j->serial).step();
    }
    s.failedRoot = root;
    return nullptr;
}

// The owner of another process's handle block; 0 when unknown. Callers hold the lock.
int64_t blockOwnerLocked(Joined& j, int64_t block) {
    if (block == 0 || j.ownBlocks.count(block)) return 0;
    if (auto it = j.blockOwners.find(block); it != j.blockOwners.end()) return it->second;
    Statement q = j.db->prepare("SELECT process FROM blocks WHERE id=?");
    if (!q.valid() || q.bind(1, block).step() != SQLITE_ROW) return 0;
    int64_t owner = q.integer(0);
    j.blockOwners[block] = owner;  // a block never changes hands
    return owner;
}

ForeignWindow windowOfRow(const Statement& q) {
    ForeignWindow w;
    w.handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(q.integer(0)));
    w.process = q.integer(1);
    w.pid = static_cast<DWORD>(q.integer(2));
    w.thread = static_cast<DWORD>(q.integer(3));
    w.className = q.text(4);
    w.title = q.text(5);
    w.style = static_cast<LONG>(q.integer(6));
    w.exStyle = static_cast<LONG>(q.integer(7));
    return w;
}

// A fingerprint of everything this process publishes of its windows, taken without copying:
// when it has not changed since the last publication, neither has the table.
uint64_t fingerprintOfWindows() {
    uint64_t h = 1469598103934665603ull;  // FNV-1a over the fields
    auto mix = [&h](uint64_t value) { h = (h ^ value) * 1099511628211ull; };
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    mix(t.windows.size());
    for (HWND top : t.topLevels) mix(reinterpret_cast<uintptr_t>(top));
    for (const auto& [handle, w] : t.windows) {
        mix(handle);
        mix(w->thread);
        mix(reinterpret_cast<uintptr_t>(w->windowClass.get()));
        mix(static_cast<uint32_t>(w->style));
        mix(static_cast<uint32_t>(w->exStyle));
        mix(reinterpret_cast<uintptr_t>(w->parent));
        mix(reinterpret_cast<uintptr_t>(w->owner));
        mix(w->messageOnly);
        mix(w->text.size());
        for (unsigned char c : w->text) mix(c);
        for (HWND child : w->children) mix(reinterpret_cast<uintptr_t>(child));
    }
    return h;
}

// This process's windows as they are now, with their places among their siblings.
std::unordered_map<uintptr_t, Row> currentRows() {
    std::unordered_map<uintptr_t, Row> rows;
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    std::unordered_map<uintptr_t, int> places;
    for (size_t i = 0; i < t.topLevels.size(); ++i)
        places[reinterpret_cast<uintptr_t>(t.topLevels[i])] = static_cast<int>(i);
    for (const auto& [handle, w] : t.windows)
        for (size_t i = 0; i < w->children.size(); ++i)
            places[reinterpret_cast<uintptr_t>(w->children[i])] = static_cast<int>(i);
    for (const auto& [handle, w] : t.windows) {
        Row& r = rows[handle];
        r.thread = w->thread;
        r.className = w->windowClass->name;
        r.title = w->text;
        r.style = w->style;
        r.exStyle = w->exStyle;
        r.parent = w->isChild() ? reinterpret_cast<uintptr_t>(w->parent) : 0;
        r.owner = reinterpret_cast<uintptr_t>(w->owner);
        auto place = places.find(handle);
        r.place = w->messageOnly || place == places.end() ? -1 : place->second;
    }
    return rows;
}

}  // namespace

HWND takeWindowHandle() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    Joined* j = joinLocked(s);
    if (!j) {
        uintptr_t h = s.ownCount;
        s.ownCount += 4;
        return reinterpret_cast<HWND>(h);
    }
    if (j->nextHandle == j->blockEnd) {
        // Past every block this process had before too (in the session of an earlier system
        // root), so that no handle of the process is ever given twice.
        Statement add = j->db->prepare(
            "INSERT INTO blocks(id, process) SELECT MAX(COALESCE((SELECT seq FROM sqlite_sequence"
            " WHERE name='blocks'), 0), ?) + 1, ?");
        if (!add.valid() || add.bind(1, s.highestBlock).bind(2, j->serial).step() != SQLITE_DONE) return nullptr;
        int64_t block = sqlite3_last_insert_rowid(j->db->handle());
        if (block > kLastBlock) return nullptr;
        s.highestBlock = block;
        j->ownBlocks.insert(block);
        j->nextHandle = firstHandleOf(block);
        j->blockEnd = j->nextHandle + kHandlesPerBlock * 4;
    }
    uintptr_t h = j->nextHandle;
    j->nextHandle += 4;
    return reinterpret_cast<HWND>(h);
}

void publishWindows() {
    State& s = state();
    if (!s.active.load(std::memory_order_relaxed)) return;
    std::lock_guard publishing(s.publishing);
    const uint64_t fingerprint = fingerprintOfWindows();
    if (fingerprint == s.publishedFingerprint) return;
    std::unordered_map<uintptr_t, Row> now = currentRows();
    std::vector<std::pair<uintptr_t, const Row*>> changed;
    std::vector<uintptr_t> gone;
    for (const auto& [handle, row] : now) {
        auto it = s.published.find(handle);
        if (it == s.published.end() || !(it->second == row)) changed.emplace_back(handle, &row);
    }
    for (const auto& [handle, row] : s.published)
        if (!now.count(handle)) gone.push_back(handle);
    if (changed.empty() && gone.empty()) {
        s.publishedFingerprint = fingerprint;
        return;
    }

    std::lock_guard lock(s.mutex);
    if (!s.joined || s.joined->pid != static_cast<pid_t>(currentProcessId())) return;
    Joined& j = *s.joined;
    Transaction write(*j.db);
    for (const auto& [handle, row] : changed) {
        Statement put = j.db->prepare(
            "INSERT OR REPLACE INTO windows(handle, process, pid, thread, class, title, style, exstyle, parent, owner,"
            " place) VALUES(?,?,?,?,?,?,?,?,?,?,?)");
        put.bind(1, static_cast<sqlite3_int64>(handle)).bind(2, j.serial).bind(3, static_cast<sqlite3_int64>(j.pid));
        put.bind(4, static_cast<sqlite3_int64>(row->thread)).bind(5, row->className).bind(6, row->title);
        put.bind(7, static_cast<sqlite3_int64>(row->style)).bind(8, static_cast<sqlite3_int64>(row->exStyle));
        put.bind(9, static_cast<sqlite3_int64>(row->parent)).bind(10, static_cast<sqlite3_int64>(row->owner));
        put.bind(11, static_cast<sqlite3_int64>(row->place)).step();
    }
    for (uintptr_t handle : gone)
        j.db->prepare("DELETE FROM windows WHERE handle=?").bind(1, static_cast<sqlite3_int64>(handle)).step();
    if (write.status() == SQLITE_OK && write.commit() == SQLITE_OK) {
        s.published = std::move(now);
        s.publishedFingerprint = fingerprint;
    } else {
        s.published.clear();  // everything again next time
        s.publishedFingerprint = 0;
    }
}

int64_t foreignProcessOf(HWND hwnd) {
    const int64_t block = blockOf(reinterpret_cast<uintptr_t>(hwnd));
    if (!block) return 0;
    State& s = state();
    std::lock_guard lock(s.mutex);
    Joined* j = joinLocked(s);
    return j ? blockOwnerLocked(*j, block) : 0;
}

std::optional<ForeignWindow> foreignWindow(HWND hwnd) {
    std::optional<ForeignWindow> found;
    const int64_t block = blockOf(reinterpret_cast<uintptr_t>(hwnd));
    if (!block) return std::nullopt;
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        Joined* j = joinLocked(s);
        if (!j) return std::nullopt;
        const int64_t owner = blockOwnerLocked(*j, block);
        if (!owner) return std::nullopt;
        Statement q = j->db->prepare(
            "SELECT handle, process, pid, thread, class, title, style, exstyle FROM windows WHERE handle=?");
        if (!q.valid() || q.bind(1, static_cast<sqlite3_int64>(reinterpret_cast<uintptr_t>(hwnd))).step() != SQLITE_ROW)
            return std::nullopt;
        found = windowOfRow(q);
    }
    if (!processAlive(found->process)) return std::nullopt;
    return found;
}

std::vector<ForeignWindow> foreignWindowsUnder(HWND parent) {
    std::vector<ForeignWindow> all;
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        Joined* j = joinLocked(s);
        if (!j) return all;
        Statement q = j->db->prepare(
            "SELECT handle, process, pid, thread, class, title, style, exstyle FROM windows"
            " WHERE parent=? AND process<>? AND place>=0 ORDER BY process DESC, place");
        if (!q.valid()) return all;
        q.bind(1, static_cast<sqlite3_int64>(reinterpret_cast<uintptr_t>(parent))).bind(2, j->serial);
        while (q.step() == SQLITE_ROW) all.push_back(windowOfRow(q));
    }
    std::unordered_map<int64_t, bool> alive;
    std::erase_if(all, [&](const ForeignWindow& w) {
        auto it = alive.find(w.process);
        if (it == alive.end()) it = alive.emplace(w.process, processAlive(w.process)).first;
        return !it->second;
    });
    return all;
}

std::optional<UINT> sessionMessageNumber(const std::string& name) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    Joined* j = joinLocked(s);
    if (!j) return std::nullopt;
    if (auto it = j->messages.find(name); it != j->messages.end()) return it->second;
    Database& db = *j->db;
    Transaction write(db);
    if (write.status() != SQLITE_OK) return 0;
    sqlite3_int64 number = 0;
    {
        Statement q = db.prepare("SELECT number FROM atoms WHERE name=?");
        if (!q.valid()) return 0;
        if (q.bind(1, name).step() == SQLITE_ROW) number = q.integer(0);
    }
    if (!number) {
        Statement last = db.prepare("SELECT COALESCE(MAX(number), 49151) FROM atoms");
        if (!last.valid() || last.step() != SQLITE_ROW) return 0;
        number = last.integer(0) + 1;
        if (number > 0xFFFF) return 0;
        Statement add = db.prepare("INSERT INTO atoms(number, name) VALUES(?, ?)");
        if (!add.valid() || add.bind(1, number).bind(2, name).step() != SQLITE_DONE) return 0;
    }
    if (write.commit() != SQLITE_OK) return 0;
    j->messages[name] = static_cast<UINT>(number);
    return static_cast<UINT>(number);
}

void forgetProcess(int64_t process) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.joined || s.joined->pid != static_cast<pid_t>(currentProcessId()) || process == s.joined->serial) return;
    Database& db = *s.joined->db;
    db.prepare("DELETE FROM windows WHERE process=?").bind(1, process).step();
    db.prepare("DELETE FROM processes WHERE serial=?").bind(1, process).step();
}

void resetSession() {
    State& s = state();
    {
        std::lock_guard lock(s.mutex);
        if (s.joined && s.joined->pid == static_cast<pid_t>(currentProcessId())) {
            leaveLocked(s);
        } else {
            (void)s.joined.release();  // inherited through fork: the parent's to close
            s.active.store(false);
        }
        s.failedRoot.clear();
    }
    std::lock_guard publishing(s.publishing);
    s.published.clear();
    s.publishedFingerprint = 0;
}

}  // namespace winplat::detail
