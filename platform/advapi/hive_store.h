// The registry hives in one SQLite database: keys form a tree of rows, values hang off keys.
// This is the backend; registry_api.cpp checks arguments and hands out HKEY handles.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "sqlite_db.h"
#include "win32.h"

namespace winplat {

using KeyId = sqlite3_int64;

// Row ids of the predefined roots (HKEY_CLASSES_ROOT + n has id n + 1).
constexpr KeyId kFirstRootId = 1;
constexpr int kRootCount = 7;

struct KeyInfo {
    DWORD subKeys = 0, maxSubKeyLen = 0, maxClassLen = 0;
    DWORD values = 0, maxValueNameLen = 0, maxValueLen = 0;
    std::string className;
    FILETIME lastWrite{};
};

// Receives a value's type and bytes while the row is current (no copy in between).
using ValueSink = std::function<void(DWORD type, const BYTE* data, size_t size)>;

class HiveStore {
public:
    // `path` is the database file, or ":memory:" for the volatile hive of this process.
    explicit HiveStore(const std::string& path);

    // ERROR_SUCCESS when the database is usable, else the Win32 code of why not.
    LONG status() const { return status_; }

    LONG keyExists(KeyId id);
    // Walks `components` below `from`; ERROR_FILE_NOT_FOUND when one is missing.
    LONG openPath(KeyId from, const std::vector<std::string_view>& components, KeyId& id);
    // Walks and creates what is missing, all in one transaction.
    LONG createPath(KeyId from, const std::vector<std::string_view>& components,
                    const std::string& className, KeyId& id, bool& created);
    LONG queryValue(KeyId key, std::string_view name, const ValueSink& sink);
    LONG setValue(KeyId key, std::string_view name, DWORD type, const BYTE* data, size_t size);
    LONG deleteValue(KeyId key, std::string_view name);
    // Deletes the key; with `withSubtree` false a key that has subkeys is refused
    // (ERROR_ACCESS_DENIED), as the NT family does.
    LONG deleteKey(KeyId key, bool withSubtree);
    LONG enumKey(KeyId key, DWORD index, std::string& name, std::string& className,
                 FILETIME& lastWrite);
    LONG enumValue(KeyId key, DWORD index, std::string& name, const ValueSink& sink);
    LONG queryInfo(KeyId key, KeyInfo& info);
    // The names of `parent`'s subkeys that hold a value named `name`, in no set order.
    LONG subkeysWithValue(KeyId parent, std::string_view name, std::vector<std::string>& names);

    // A group of calls that other connections see whole or not at all (a write group), or that
    // all see one moment of the hives (a read group). Groups nest: an inner group is a savepoint
    // of the outer one, so dropping it takes back only its own changes.
    LONG beginGroup(bool write);
    // Commits (or, with `commit` false, drops) the innermost group.
    LONG endGroup(bool commit);

private:
    // Switches an on-disk database to WAL and creates the tables and roots when missing.
    int prepareSchema(bool onDisk);
    // The preparation failed because the file cannot be written here.
    bool cannotWrite(int sqliteCode) const;
    // Opens the database again for reading only; SQLITE_OK when it holds the hives.
    int openReadOnly(const std::string& path);
    LONG childOf(KeyId parent, std::string_view name, KeyId& child);
    LONG fail(int sqliteCode);
    void forgetChildren();

    Database db_;
    LONG status_ = ERROR_SUCCESS;
    bool readOnly_ = false;  // every write is refused with ERROR_ACCESS_DENIED
    std::vector<std::unique_ptr<Transaction>> groups_;  // outermost first
    // (parent, lower-case name) -> child id. Ids are never reused, so a cached id that no longer
    // exists only means the key was deleted; the walk then asks the database again.
    std::unordered_map<std::string, KeyId> childCache_;
    // Keys found to exist while what this connection sees cannot change under it: inside a
    // group (the hives as of one moment), or always for the private hive. Forgotten with the
    // child cache, and when the outermost group ends.
    bool private_ = false;
    std::unordered_set<KeyId> knownKeys_;
};

// Win32 code for an SQLite result code.
LONG win32FromSqlite(int code);

}  // namespace winplat
