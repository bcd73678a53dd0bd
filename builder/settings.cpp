#include "settings.h"

#include "vltutil.h"

namespace builder {

std::optional<DWORD> readFourByteValue(const char* subkey, const char* name, bool dwordOnly) {
    DWORD type = REG_NONE, value = 0, size = sizeof value;
    if (GetSpectrineRegValue(subkey, name, &type, reinterpret_cast<LPBYTE>(&value), &size) !=
            ERROR_SUCCESS ||
        size != sizeof value || (dwordOnly && type != REG_DWORD))
        return std::nullopt;
    return value;
}

}  // namespace builder
