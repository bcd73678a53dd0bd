#include "reg_key.h"

#include <cstring>

namespace vlt {

bool readValue(HKEY key, const char* name, DWORD& type, std::vector<BYTE>& data, DWORD limit) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size > limit)
        return false;
    data.assign(size, 0);
    // The value may have grown in between; the second read then fails with ERROR_MORE_DATA.
    if (RegQueryValueExA(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return false;
    data.resize(size);
    return true;
}

std::optional<std::vector<BYTE>> RegKey::bytes(const char* name, DWORD type, DWORD limit) const {
    DWORD actual = REG_NONE;
    std::vector<BYTE> data;
    if (!get() || !readValue(get(), name, actual, data, limit) || actual != type) return std::nullopt;
    return data;
}

std::optional<std::string> RegKey::text(const char* name, DWORD limit) const {
    auto data = bytes(name, REG_SZ, limit);
    if (!data) return std::nullopt;
    const char* begin = reinterpret_cast<const char*>(data->data());
    return std::string(begin, strnlen(begin, data->size()));
}

}  // namespace vlt
