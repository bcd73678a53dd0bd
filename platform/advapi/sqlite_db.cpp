#include "sqlite_db.h"

#include <cstdio>

namespace winplat {

Database::Database(const std::string& path, Mode mode) { open(path, mode); }

void Database::reopen(const std::string& path, Mode mode) {
    close();
    open(path, mode);
}

void Database::open(const std::string& path, Mode mode) {
    int flags = SQLITE_OPEN_NOMUTEX;
    std::string name = path;
    switch (mode) {
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    case Mode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Mode::Immutable: {
        flags |= SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
        // A URI, so the path's own '%', '?' and '#' are escaped.
        name = "file:";
        for (char c : path) {
            if (c == '%' || c == '?' || c == '#') {
                char escaped[4];
                std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
                name += escaped;
            } else {
                name += c;
            }
        }
        name += "?immutable=1";
        break;
    }
    }
    message_.clear();
    status_ = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr);
    if (status_ != SQLITE_OK) {
        message_ = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(status_);
        if (db_) sqlite3_close(db_);
        db_ = nullptr;
        return;
    }
    sqlite3_extended_result_codes(db_, 1);
    // Several processes share the hives: wait for a writer instead of failing at once.
    sqlite3_busy_timeout(db_, 15000);
}

Database::~Database() { close(); }

void Database::close() {
    for (auto& [sql, stmt] : cache_) sqlite3_finalize(stmt);
    cache_.clear();
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
}

int Database::exec(const char* sql) {
    if (!db_) return status_;
    char* err = nullptr;
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) message_ = err ? err : sqlite3_errstr(rc);
    sqlite3_free(err);
    return rc;
}

int Database::run(const char* sql) {
    if (!db_) return status_;
    Statement st = prepare(sql);
    if (!st.valid()) return lastError();
    const int rc = st.step();
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) return SQLITE_OK;
    message_ = sqlite3_errmsg(db_);
    return rc;
}

Statement Database::prepare(const char* sql) {
    if (!db_) return Statement(nullptr);
    if (auto it = cache_.find(sql); it != cache_.end()) return Statement(it->second);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        message_ = sqlite3_errmsg(db_);
        return Statement(nullptr);
    }
    cache_.emplace(sql, stmt);
    return Statement(stmt);
}

}  // namespace winplat
