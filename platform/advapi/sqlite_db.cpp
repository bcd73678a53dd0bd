#include "sqlite_db.h"

namespace winplat {

Database::Database(const std::string& path) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    status_ = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
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

Database::~Database() {
    for (auto& [sql, stmt] : cache_) sqlite3_finalize(stmt);
    if (db_) sqlite3_close(db_);
}

int Database::exec(const char* sql) {
    if (!db_) return status_;
    char* err = nullptr;
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) message_ = err ? err : sqlite3_errstr(rc);
    sqlite3_free(err);
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
