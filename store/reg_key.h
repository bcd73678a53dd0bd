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

// The platform's key holder with the store's value readers.
class RegKey : public winplat::RegKey {
public:
    using winplat::RegKey::RegKey;

    // Value `name` when it has type `type` and at most `limit` bytes.
    std::optional<std::vector<BYTE>> bytes(const char* name, DWORD type, DWORD limit) const;
    // A REG_SZ value up to its first terminator (one stored without ends with its data).
    std::optional<std::string> text(const char* name, DWORD limit = 4096) const;
};

}  // namespace vlt
