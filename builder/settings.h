// The "Settings" switches the builders read through the store's generic accessor.
#pragma once

#include <optional>

#include "win32.h"

namespace builder {

// A four-byte "Settings" value: with `dwordOnly` only when it is stored as REG_DWORD, else
// whatever its type. nullopt when it cannot be read so.
std::optional<DWORD> readSetting(const char* name, bool dwordOnly);

}  // namespace builder
