// A small RAII wrapper over one SQLite connection with cached prepared statements.
#pragma once

#include <sqlite3.h>

#include <string>
#include <unordered_map>

namespace winplat {

// One prepared statement in use: binds, steps, and resets itself when it goes out of scope so
// the cached statement can be used again.
class Statement {
public:
    explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() {
        if (stmt_) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
        }
    }

    Statement& bind(int i, sqlite3_int64 v) {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    Statement& bind(int i, const std::string& s) {
        sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bindBlob(int i, const void* data, size_t size) {
        // A zero-length blob is still a blob (not NULL): empty values are stored as such.
        sqlite3_bind_blob(stmt_, i, size ? data : "", static_cast<int>(size), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return sqlite3_step(stmt_); }
    sqlite3_int64 integer(int col) const { return sqlite3_column_int64(stmt_, col); }
    std::string text(int col) const {
        auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
        return p ? std::string(p, sqlite3_column_bytes(stmt_, col)) : std::string();
    }
    const void* blob(int col) const { return sqlite3_column_blob(stmt_, col); }
    size_t bytes(int col) const { return static_cast<size_t>(sqlite3_column_bytes(stmt_, col)); }
    bool valid() const { return stmt_ != nullptr; }

private:
    sqlite3_stmt* stmt_;
};

class Database {
public:
    enum class Mode {
        ReadWrite,  // created when missing
        ReadOnly,   // sees what writers commit, through their -wal and -shm files
        Immutable,  // a file nothing writes while it is open (no -shm file can be made)
    };
    // Opens the database at `path`; ":memory:" opens a private one. On failure `status()` is
    // the SQLite code and `message()` says why.
    explicit Database(const std::string& path, Mode mode = Mode::ReadWrite);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Closes the connection (and its statements) and opens `path` again in `mode`.
    void reopen(const std::string& path, Mode mode);
    // The file cannot be written through this connection.
    bool readOnly() const { return db_ && sqlite3_db_readonly(db_, "main") == 1; }

    int status() const { return status_; }
    const std::string& message() const { return message_; }
    int exec(const char* sql);
    // Runs the one statement `sql` (a string literal) through the statement cache, so that
    // statements run again and again, as the transaction controls are, are parsed once:
    // SQLITE_OK or the error code.
    int run(const char* sql);
    // A cached statement for `sql`; invalid when preparing failed (see lastError()).
    Statement prepare(const char* sql);
    int lastError() const { return sqlite3_extended_errcode(db_); }
    sqlite3* handle() const { return db_; }

private:
    void open(const std::string& path, Mode mode);
    void close();

    sqlite3* db_ = nullptr;
    int status_ = SQLITE_OK;
    std::string message_;
    std::unordered_map<const char*, sqlite3_stmt*> cache_;
};

// A group of statements that lands whole or not at all: BEGIN (IMMEDIATE for writes) ... COMMIT,
// or, inside a transaction the caller already holds, a savepoint that joins it. Rolled back
// when destroyed without commit().
class Transaction {
public:
    enum class Kind { Write, Read };
    explicit Transaction(Database& db, Kind kind = Kind::Write) : db_(db) {
        nested_ = db_.handle() && sqlite3_get_autocommit(db_.handle()) == 0;
        status_ = db_.run(nested_ ? "SAVEPOINT part" : kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    }
    ~Transaction() {
        if (status_ == SQLITE_OK && !done_) rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    int status() const { return status_; }
    int commit() {
        done_ = true;
        int rc = db_.run(nested_ ? "RELEASE part" : "COMMIT");
        if (rc != SQLITE_OK) rollback();
        return rc;
    }

private:
    void rollback() {
        if (nested_) {
            db_.run("ROLLBACK TO part");
            db_.run("RELEASE part");
        } else {
            db_.run("ROLLBACK");
        }
    }

    Database& db_;
    int status_;
    bool nested_ = false;
    bool done_ = false;
};
using WriteTransaction = Transaction;

}  // namespace winplat
