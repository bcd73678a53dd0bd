// An open registry key owned by one scope, and whole-value reads, for the store's sources.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "win32.h"

namespace vlt {

// Reads value `name` of an open key whole into `data` with its type; false when it is absent,
// cannot be read or holds more than `limit` bytes.
bool readValue(HKEY key, const char* name, DWORD& type, std::vector<BYTE>& data, DWORD limit = 1u << 20);

// A registry key closed when it goes out of scope.
class RegKey {
public:
    RegKey() = default;
    // Opens parent\path; check with operator bool.
    RegKey(HKEY parent, const std::string& path, REGSAM access = KEY_READ) { open(parent, path, access); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { close(); }

    LONG open(HKEY parent, const std::string& path, REGSAM access = KEY_READ);
    // Opens parent\path with full access, creating the keys that are missing.
    LONG create(HKEY parent, const std::string& path);
    void close();

    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

    // Value `name` when it has type `type` and at most `limit` bytes.
    std::optional<std::vector<BYTE>> bytes(const char* name, DWORD type, DWORD limit) const;
    // A REG_SZ value up to its first terminator (one stored without ends with its data).
    std::optional<std::string> text(const char* name, DWORD limit = 4096) const;

private:
    HKEY key_ = nullptr;
};

}  // namespace vlt
