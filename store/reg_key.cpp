#include "reg_key.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vlt {

namespace {
// Bytes read at the first try: every text and number the suite keeps fits.
constexpr DWORD kShortValue = 512;
}  // namespace

LONG readValueCode(HKEY key, const char* name, DWORD& type, std::vector<BYTE>& data, DWORD limit) {
    // Most values are short: one read into a buffer of that size, a second one only for a
    // longer value, into a buffer of the size the first one told.
    std::vector<BYTE> read(std::clamp<DWORD>(limit, 1, kShortValue));
    DWORD size = static_cast<DWORD>(read.size());
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, read.data(), &size);
    if (rc == ERROR_MORE_DATA && size <= limit) {
        read.assign(size, 0);
        // The value may have grown in between; this read then fails with ERROR_MORE_DATA.
        rc = RegQueryValueExA(key, name, nullptr, &type, read.data(), &size);
    }
    if (rc != ERROR_SUCCESS) return rc;
    if (size > limit) return ERROR_MORE_DATA;
    read.resize(size);
    data = std::move(read);
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
