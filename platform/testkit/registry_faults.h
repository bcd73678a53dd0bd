// Faults of the registry put in from outside, as a failing disk would make them: a trigger in
// the test root's registry database that aborts the writes of chosen values. The platform's
// connection sees it at its next statement; what the failed call answers is the platform's
// code for an aborted statement.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

namespace spx::test {

// From now on, every `change` ("INSERT", "UPDATE" or "DELETE") of a value named `valueName`
// (any case) fails.
inline void failValueWrites(const std::string& root, const char* change, const std::string& valueName) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((root + "/registry.db").c_str(), &db), SQLITE_OK);
    const std::string row = std::string(change) == "DELETE" ? "OLD" : "NEW";
    static int made = 0;
    const std::string sql = "CREATE TRIGGER injected_fault_" + std::to_string(++made) + " BEFORE " +
                            change + " ON vals WHEN " + row + ".name = '" + valueName +
                            "' COLLATE NOCASE BEGIN SELECT RAISE(ABORT, 'injected fault'); END";
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

}  // namespace spx::test
