// An open registry key owned by one scope, and whole-value reads, for the store's sources.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "win32.h"
#include "win32_holders.h"

namespace vlt {

// Reads value `name` of an open key whole into `data` with its type; false when it is absent,
// cannot be read or holds more than `limit` bytes.
bool readValue(HKEY key, const char* name, DWORD& type, std::vector<BYTE>& data, DWORD limit = 1u << 20);
// Outcome of a read whose failure must be told apart from an absent value.
LONG readValueCode(HKEY key, const char* name, DWORD& type, std::vector<BYTE>& data, DWORD limit = 1u << 20);

// The one reader of REG_SZ values as text: the value's bytes up to its first NUL (a value
// stored with trailing NULs, or none, gives the text alone). Nothing when the value is absent,
// cannot be read, is not REG_SZ or holds more than `limit` bytes.
std::optional<std::string> readText(HKEY key, const char* name, DWORD limit = 4096);

// The names of the subkeys (`values` false) or of the values of an open key, in enumeration
// order; false when they cannot all be listed. Names of any length are listed whole.
bool listNames(HKEY key, bool values, std::vector<std::string>& names);

// The platform's key holder with the store's value readers.
class RegKey : public winplat::RegKey {
public:
    using winplat::RegKey::RegKey;

    // Value `name` when it has type `type` and at most `limit` bytes.
    std::optional<std::vector<BYTE>> bytes(const char* name, DWORD type, DWORD limit) const;
    // readText of this key.
    std::optional<std::string> text(const char* name, DWORD limit = 4096) const { return readText(get(), name, limit); }
};

}  // namespace vlt
