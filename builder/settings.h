// The switches the builders read through the store's generic accessor.
#pragma once

#include <optional>

#include "win32.h"

namespace builder {

// A four-byte value of `subkey`: with `dwordOnly` only when it is stored as REG_DWORD, else
// whatever its type. nullopt when it cannot be read so.
std::optional<DWORD> readFourByteValue(const char* subkey, const char* name, bool dwordOnly);
// The same below "Settings".
inline std::optional<DWORD> readSetting(const char* name, bool dwordOnly) {
    return readFourByteValue("Settings", name, dwordOnly);
}

}  // namespace builder
