#include "hive_store.h"

#include "ascii_case.h"

#include <chrono>
#include <thread>

namespace winplat {

namespace {

// Now as a FILETIME (100 ns steps since 1601), in SQL: julianday of 1601-01-01 is 2305813.5.
#define NOW_FILETIME "CAST((julianday('now') - 2305813.5) * 864000000000.0 AS INTEGER)"

// Key ids are never reused (AUTOINCREMENT), which the child cache relies on. Value ids only give
// the enumeration order: a new row always gets an id above every existing one, which is enough,
// and leaving out AUTOINCREMENT saves writing its counter on every value write.
// Enumeration walks a key's subkeys and values in id order: an index on each gives them in that
// order, so a step reads up to its index instead of sorting every entry of the key.
// A key's last write time, as Windows keeps it, is the latest of its own "written" (creation,
// and every subkey added or deleted and value deleted, set by triggers in the statement that
// makes the change) and the "written" of its values (set with the value itself, so that the
// frequent value writes change one row only).
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER,
  name TEXT NOT NULL COLLATE NOCASE,
  class TEXT NOT NULL DEFAULT '',
  written INTEGER NOT NULL DEFAULT 0,
  UNIQUE(parent, name));
CREATE TABLE IF NOT EXISTS vals(
  id INTEGER PRIMARY KEY,
  key INTEGER NOT NULL,
  name TEXT NOT NULL COLLATE NOCASE,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  written INTEGER NOT NULL DEFAULT 0,
  UNIQUE(key, name));
CREATE INDEX IF NOT EXISTS keys_in_order ON keys(parent, id);
CREATE INDEX IF NOT EXISTS vals_in_order ON vals(key, id);
INSERT OR IGNORE INTO keys(id, parent, name) VALUES
  (1, NULL, 'HKEY_CLASSES_ROOT'), (2, NULL, 'HKEY_CURRENT_USER'),
  (3, NULL, 'HKEY_LOCAL_MACHINE'), (4, NULL, 'HKEY_USERS'),
  (5, NULL, 'HKEY_PERFORMANCE_DATA'), (6, NULL, 'HKEY_CURRENT_CONFIG'),
  (7, NULL, 'HKEY_DYN_DATA');
CREATE TRIGGER IF NOT EXISTS value_deleted AFTER DELETE ON vals BEGIN
  UPDATE keys SET written = )sql" NOW_FILETIME R"sql( WHERE id = OLD.key; END;
CREATE TRIGGER IF NOT EXISTS subkey_added AFTER INSERT ON keys BEGIN
  UPDATE keys SET written = NEW.written WHERE id = NEW.parent; END;
CREATE TRIGGER IF NOT EXISTS subkey_deleted AFTER DELETE ON keys BEGIN
  UPDATE keys SET written = )sql" NOW_FILETIME R"sql( WHERE id = OLD.parent; END;
)sql";

// FILETIME units (100 ns since 1601) of now.
sqlite3_int64 nowFileTime() {
    using namespace std::chrono;
    auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    return since1970 / 100 + 116444736000000000LL;
}

std::string cacheKey(KeyId parent, std::string_view name) {
    std::string k = std::to_string(parent);
    k.push_back('\\');
    // The database folds ASCII letters only (COLLATE NOCASE); so must the cache, or under an
    // 8-bit locale two names the database tells apart would share one entry.
    for (char c : name) k.push_back(asciiLower(c));
    return k;
}

std::string str(std::string_view v) { return std::string(v); }

FILETIME fileTimeOf(sqlite3_int64 value) {
    const auto bits = static_cast<uint64_t>(value);
    return {static_cast<DWORD>(bits & 0xffffffff), static_cast<DWORD>(bits >> 32)};
}

}  // namespace

LONG win32FromSqlite(int code) {
    switch (code & 0xff) {
        case SQLITE_OK:
        case SQLITE_DONE:
        case SQLITE_ROW:
            return ERROR_SUCCESS;
        case SQLITE_NOMEM:
            return ERROR_OUTOFMEMORY;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_FORMAT:
            return ERROR_BADDB;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return ERROR_ACCESS_DENIED;
        case SQLITE_CONSTRAINT:
            return ERROR_INVALID_PARAMETER;
        case SQLITE_TOOBIG:
            return ERROR_INVALID_PARAMETER;
        default:  // I/O, full disk, busy past the timeout, cannot open
            return ERROR_REGISTRY_IO_FAILED;
    }
}

HiveStore::HiveStore(const std::string& path) : db_(path), private_(path == ":memory:") {
    if (db_.status() != SQLITE_OK) {
        status_ = db_.status() == SQLITE_CANTOPEN ? ERROR_REGISTRY_IO_FAILED : win32FromSqlite(db_.status());
        return;
    }
    // Processes starting together may all find the file new: switching it to WAL and creating
    // the tables wants it to themselves for a moment, and SQLite reports that as busy without
    // waiting, so the whole preparation is tried again until the others are done.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    int rc;
    for (;;) {
        rc = prepareSchema(path != ":memory:");
        if ((rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED) break;
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // A database this process may not write (a read-only root, a file of another user) still
    // answers reads when it holds the hives; writes then fail with ERROR_ACCESS_DENIED.
    if (rc != SQLITE_OK && path != ":memory:" && cannotWrite(rc)) rc = openReadOnly(path);
    if (rc != SQLITE_OK) status_ = win32FromSqlite(rc);
}

bool HiveStore::cannotWrite(int rc) const {
    switch (rc & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return true;
    default:
        return db_.readOnly();
    }
}

int HiveStore::openReadOnly(const std::string& path) {
    // Read-only first, which also sees what a writer elsewhere commits; a database in a folder
    // where its -shm file cannot be made is only readable as one that nothing changes.
    for (Database::Mode mode : {Database::Mode::ReadOnly, Database::Mode::Immutable}) {
        db_.reopen(path, mode);
        if (db_.status() != SQLITE_OK) continue;
        auto st = db_.prepare(
            "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN ('keys','vals')");
        if (st.valid() && st.step() == SQLITE_ROW && st.integer(0) == 2) {
            readOnly_ = true;
            return SQLITE_OK;
        }
    }
    return SQLITE_READONLY;
}

int HiveStore::prepareSchema(bool onDisk) {
    int rc = SQLITE_OK;
    if (onDisk) {
        // WAL lets readers and one writer of other processes go on together; NORMAL syncs at
        // checkpoints, which WAL keeps crash-safe (a torn write is rolled back on open).
        rc = db_.exec("PRAGMA journal_mode=WAL");
        if (rc == SQLITE_OK) rc = db_.exec("PRAGMA synchronous=NORMAL");
    }
    if (rc != SQLITE_OK) return rc;
    WriteTransaction tx(db_);
    rc = tx.status();
    if (rc == SQLITE_OK) rc = db_.exec(kSchema);
    // Hives made before values kept their write time get the column.
    if (rc == SQLITE_OK) {
        auto st = db_.prepare("SELECT count(*) FROM pragma_table_info('vals') WHERE name='written'");
        rc = st.valid() ? st.step() : db_.lastError();
        if (rc == SQLITE_ROW) {
            const bool missing = st.integer(0) == 0;
            rc = missing ? db_.exec("ALTER TABLE vals ADD COLUMN written INTEGER NOT NULL DEFAULT 0")
                         : SQLITE_OK;
        }
    }
    if (rc == SQLITE_OK) rc = tx.commit();
    return rc;
}

LONG HiveStore::fail(int sqliteCode) { return win32FromSqlite(sqliteCode); }

LONG HiveStore::keyExists(KeyId id) {
    // Only this connection could delete the key meanwhile, and deleting forgets what is known.
    const bool stable = private_ || !groups_.empty();
    if (stable && knownKeys_.contains(id)) return ERROR_SUCCESS;
    auto st = db_.prepare("SELECT 1 FROM keys WHERE id=?1");
    if (!st.valid()) return fail(db_.lastError());
    int rc = st.bind(1, id).step();
    if (rc == SQLITE_ROW) {
        if (stable) knownKeys_.insert(id);
        return ERROR_SUCCESS;
    }
    if (rc == SQLITE_DONE) return ERROR_KEY_DELETED;
    return fail(rc);
}

LONG HiveStore::childOf(KeyId parent, std::string_view name, KeyId& child) {
    auto st = db_.prepare("SELECT id FROM keys WHERE parent=?1 AND name=?2");
    if (!st.valid()) return fail(db_.lastError());
    int rc = st.bind(1, parent).bind(2, str(name)).step();
    if (rc == SQLITE_ROW) {
        child = st.integer(0);
        childCache_[cacheKey(parent, name)] = child;
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : fail(rc);
}

LONG HiveStore::openPath(KeyId from, const std::vector<std::string_view>& components, KeyId& id) {
    // Fast path: every step known from earlier walks; one query proves the end still exists.
    KeyId at = from;
    bool cached = true;
    for (auto c : components) {
        auto it = childCache_.find(cacheKey(at, c));
        if (it == childCache_.end()) {
            cached = false;
            break;
        }
        at = it->second;
    }
    if (cached) {
        LONG rc = keyExists(at);
        if (rc == ERROR_SUCCESS) {
            id = at;
            return rc;
        }
        if (rc != ERROR_KEY_DELETED) return rc;
        forgetChildren();
    }

    LONG rc = keyExists(from);
    if (rc != ERROR_SUCCESS) return rc;
    at = from;
    for (auto c : components) {
        KeyId next = 0;
        rc = childOf(at, c, next);
        if (rc != ERROR_SUCCESS) return rc;
        at = next;
    }
    id = at;
    return ERROR_SUCCESS;
}

LONG HiveStore::createPath(KeyId from, const std::vector<std::string_view>& components,
                           const std::string& className, KeyId& id, bool& created) {
    created = false;
    if (openPath(from, components, id) == ERROR_SUCCESS) return ERROR_SUCCESS;
    if (readOnly_) return ERROR_ACCESS_DENIED;

    WriteTransaction tx(db_);
    if (tx.status() != SQLITE_OK) return fail(tx.status());
    LONG rc = keyExists(from);
    if (rc != ERROR_SUCCESS) return rc;
    KeyId at = from;
    for (size_t i = 0; i < components.size(); ++i) {
        KeyId next = 0;
        rc = childOf(at, components[i], next);
        if (rc == ERROR_FILE_NOT_FOUND) {
            auto ins = db_.prepare("INSERT INTO keys(parent, name, class, written) VALUES(?1, ?2, ?3, ?4)");
            if (!ins.valid()) return fail(db_.lastError());
            bool last = i + 1 == components.size();
            int src = ins.bind(1, at).bind(2, str(components[i])).bind(3, last ? className : std::string())
                          .bind(4, nowFileTime()).step();
            if (src != SQLITE_DONE) return fail(src);
            next = sqlite3_last_insert_rowid(db_.handle());
            created = true;
        } else if (rc != ERROR_SUCCESS) {
            return rc;
        }
        at = next;
    }
    int crc = tx.commit();
    if (crc != SQLITE_OK) {
        forgetChildren();
        created = false;
        return fail(crc);
    }
    id = at;
    return ERROR_SUCCESS;
}

LONG HiveStore::queryValue(KeyId key, std::string_view name, const ValueSink& sink) {
    {
        auto st = db_.prepare("SELECT type, data FROM vals WHERE key=?1 AND name=?2");
        if (!st.valid()) return fail(db_.lastError());
        int rc = st.bind(1, key).bind(2, str(name)).step();
        if (rc == SQLITE_ROW) {
            sink(static_cast<DWORD>(st.integer(0)), static_cast<const BYTE*>(st.blob(1)), st.bytes(1));
            return ERROR_SUCCESS;
        }
        if (rc != SQLITE_DONE) return fail(rc);
    }
    LONG rc = keyExists(key);
    return rc == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : rc;
}

LONG HiveStore::setValue(KeyId key, std::string_view name, DWORD type, const BYTE* data, size_t size) {
    if (readOnly_) return ERROR_ACCESS_DENIED;
    // The upsert keeps the row (and so the value's place in enumeration) when it exists, and
    // writes nothing when the key was deleted meanwhile: one statement, one transaction.
    auto st = db_.prepare(
        "INSERT INTO vals(key, name, type, data, written) SELECT ?1, ?2, ?3, ?4, ?5 "
        "WHERE EXISTS (SELECT 1 FROM keys WHERE id=?1) "
        "ON CONFLICT(key, name) DO UPDATE SET type=excluded.type, data=excluded.data, "
        "written=excluded.written");
    if (!st.valid()) return fail(db_.lastError());
    int rc = st.bind(1, key).bind(2, str(name)).bind(3, type).bindBlob(4, data, size)
                 .bind(5, nowFileTime()).step();
    if (rc != SQLITE_DONE) return fail(rc);
    return sqlite3_changes(db_.handle()) > 0 ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

LONG HiveStore::deleteValue(KeyId key, std::string_view name) {
    if (readOnly_) return ERROR_ACCESS_DENIED;
    auto st = db_.prepare("DELETE FROM vals WHERE key=?1 AND name=?2");
    if (!st.valid()) return fail(db_.lastError());
    int rc = st.bind(1, key).bind(2, str(name)).step();
    if (rc != SQLITE_DONE) return fail(rc);
    if (sqlite3_changes(db_.handle()) > 0) return ERROR_SUCCESS;
    LONG krc = keyExists(key);
    return krc == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : krc;
}

LONG HiveStore::deleteKey(KeyId key, bool withSubtree) {
    if (readOnly_) return ERROR_ACCESS_DENIED;
    WriteTransaction tx(db_);
    if (tx.status() != SQLITE_OK) return fail(tx.status());
    LONG rc = keyExists(key);
    if (rc != ERROR_SUCCESS) return rc;
    if (!withSubtree) {
        auto st = db_.prepare("SELECT 1 FROM keys WHERE parent=?1 LIMIT 1");
        if (!st.valid()) return fail(db_.lastError());
        int src = st.bind(1, key).step();
        if (src == SQLITE_ROW) return ERROR_ACCESS_DENIED;
        if (src != SQLITE_DONE) return fail(src);
    }
    // The values of the subtree, then its keys, in the same transaction.
    for (const char* sql : {"WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL "
                            "SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id) "
                            "DELETE FROM vals WHERE key IN (SELECT id FROM sub)",
                            "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL "
                            "SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id) "
                            "DELETE FROM keys WHERE id IN (SELECT id FROM sub)"}) {
        auto del = db_.prepare(sql);
        if (!del.valid()) return fail(db_.lastError());
        int src = del.bind(1, key).step();
        if (src != SQLITE_DONE) return fail(src);
    }
    int crc = tx.commit();
    forgetChildren();
    return crc == SQLITE_OK ? ERROR_SUCCESS : fail(crc);
}

LONG HiveStore::enumKey(KeyId key, DWORD index, std::string& name, std::string& className,
                        FILETIME& lastWrite) {
    auto st = db_.prepare(
        "SELECT name, class, max(written, coalesce((SELECT max(written) FROM vals "
        "WHERE vals.key=keys.id), 0)) FROM keys WHERE parent=?1 ORDER BY id LIMIT 1 OFFSET ?2");
    if (!st.valid()) return fail(db_.lastError());
    int rc = st.bind(1, key).bind(2, index).step();
    if (rc == SQLITE_ROW) {
        name = st.text(0);
        className = st.text(1);
        lastWrite = fileTimeOf(st.integer(2));
        return ERROR_SUCCESS;
    }
    if (rc != SQLITE_DONE) return fail(rc);
    LONG krc = keyExists(key);
    return krc == ERROR_SUCCESS ? ERROR_NO_MORE_ITEMS : krc;
}

LONG HiveStore::enumValue(KeyId key, DWORD index, std::string& name, const ValueSink& sink) {
    {
        auto st = db_.prepare("SELECT name, type, data FROM vals WHERE key=?1 ORDER BY id LIMIT 1 OFFSET ?2");
        if (!st.valid()) return fail(db_.lastError());
        int rc = st.bind(1, key).bind(2, index).step();
        if (rc == SQLITE_ROW) {
            name = st.text(0);
            sink(static_cast<DWORD>(st.integer(1)), static_cast<const BYTE*>(st.blob(2)), st.bytes(2));
            return ERROR_SUCCESS;
        }
        if (rc != SQLITE_DONE) return fail(rc);
    }
    LONG krc = keyExists(key);
    return krc == ERROR_SUCCESS ? ERROR_NO_MORE_ITEMS : krc;
}

LONG HiveStore::queryInfo(KeyId key, KeyInfo& info) {
    // One read transaction so the counts and maxima describe the same moment.
    Transaction read(db_, Transaction::Kind::Read);
    if (read.status() != SQLITE_OK) return fail(read.status());

    auto k = db_.prepare(
        "SELECT class, max(written, coalesce((SELECT max(written) FROM vals WHERE key=?1), 0)) "
        "FROM keys WHERE id=?1");
    if (!k.valid()) return fail(db_.lastError());
    int rc = k.bind(1, key).step();
    if (rc == SQLITE_DONE) return ERROR_KEY_DELETED;
    if (rc != SQLITE_ROW) return fail(rc);
    info.className = k.text(0);
    info.lastWrite = fileTimeOf(k.integer(1));

    auto sub = db_.prepare(
        "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0), "
        "coalesce(max(length(CAST(class AS BLOB))), 0) FROM keys WHERE parent=?1");
    if (!sub.valid()) return fail(db_.lastError());
    rc = sub.bind(1, key).step();
    if (rc != SQLITE_ROW) return fail(rc);
    info.subKeys = static_cast<DWORD>(sub.integer(0));
    info.maxSubKeyLen = static_cast<DWORD>(sub.integer(1));
    info.maxClassLen = static_cast<DWORD>(sub.integer(2));

    auto val = db_.prepare(
        "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0), "
        "coalesce(max(length(data)), 0) FROM vals WHERE key=?1");
    if (!val.valid()) return fail(db_.lastError());
    rc = val.bind(1, key).step();
    if (rc != SQLITE_ROW) return fail(rc);
    info.values = static_cast<DWORD>(val.integer(0));
    info.maxValueNameLen = static_cast<DWORD>(val.integer(1));
    info.maxValueLen = static_cast<DWORD>(val.integer(2));
    return ERROR_SUCCESS;
}

LONG HiveStore::subkeysWithValue(KeyId parent, std::string_view name, std::vector<std::string>& names) {
    names.clear();
    auto st = db_.prepare(
        "SELECT k.name FROM keys k JOIN vals v ON v.key = k.id WHERE k.parent=?1 AND v.name=?2");
    if (!st.valid()) return fail(db_.lastError());
    st.bind(1, parent).bind(2, str(name));
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) names.push_back(st.text(0));
    if (rc != SQLITE_DONE) return fail(rc);
    return names.empty() ? keyExists(parent) : ERROR_SUCCESS;
}

LONG HiveStore::beginGroup(bool write) {
    // The outermost group begins a transaction; an inner one is a savepoint of it.
    auto group = std::make_unique<Transaction>(db_, write ? Transaction::Kind::Write : Transaction::Kind::Read);
    const int rc = group->status();
    if (rc != SQLITE_OK) return fail(rc);
    groups_.push_back(std::move(group));
    return ERROR_SUCCESS;
}

LONG HiveStore::endGroup(bool commit) {
    if (groups_.empty()) return ERROR_INVALID_FUNCTION;
    int rc = SQLITE_OK;
    if (commit) rc = groups_.back()->commit();
    groups_.pop_back();  // rolls back what was not committed
    // Keys created in a group that did not land may have given their ids to the cache, and
    // an id that never landed can be handed out again.
    if (!commit || rc != SQLITE_OK) forgetChildren();
    // Out of the group, other connections' changes show again.
    if (groups_.empty() && !private_) knownKeys_.clear();
    return rc == SQLITE_OK ? ERROR_SUCCESS : fail(rc);
}

void HiveStore::forgetChildren() {
    childCache_.clear();
    knownKeys_.clear();
}

}  // namespace winplat
