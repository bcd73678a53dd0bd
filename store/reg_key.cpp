#include "reg_key.h"

#include <cstring>

namespace vlt {

LONG readValueCode(HKEY key, const char* name, DWORD& type, std::vector<BYTE>& data, DWORD limit) {
    DWORD size = 0;
    if (LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size)) return rc;
    if (size > limit) return ERROR_MORE_DATA;
    data.assign(size, 0);
    // The value may have grown in between; the second read then fails with ERROR_MORE_DATA.
    if (LONG rc = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size)) return rc;
    data.resize(size);
    return ERROR_SUCCESS;
}

bool readValue(HKEY key, const char* name, DWORD& type, std::vector<BYTE>& data, DWORD limit) {
    return readValueCode(key, name, type, data, limit) == ERROR_SUCCESS;
}

std::optional<std::string> readText(HKEY key, const char* name, DWORD limit) {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!key || !readValue(key, name, type, data, limit) || type != REG_SZ) return std::nullopt;
    const char* begin = reinterpret_cast<const char*>(data.data());
    return std::string(begin, strnlen(begin, data.size()));
}

std::optional<std::vector<BYTE>> RegKey::bytes(const char* name, DWORD type, DWORD limit) const {
    DWORD actual = REG_NONE;
    std::vector<BYTE> data;
    if (!get() || !readValue(get(), name, actual, data, limit) || actual != type) return std::nullopt;
    return data;
}

bool listNames(HKEY key, bool values, std::vector<std::string>& names) {
    DWORD longestKey = 0, longestValue = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longestKey, nullptr, nullptr,
                         &longestValue, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<char> name((values ? longestValue : longestKey) + 1);
    for (DWORD i = 0;; ++i) {
        DWORD size = static_cast<DWORD>(name.size());
        LONG rc = values ? RegEnumValueA(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr)
                         : RegEnumKeyExA(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) return true;
        if (rc != ERROR_SUCCESS) return false;
        names.emplace_back(name.data(), size);
    }
}

}  // namespace vlt
