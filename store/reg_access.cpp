// Generic access to values below the suite key. Every call opens its key and closes it again.
#include <cstring>
#include <string>

#include "reg_key.h"
#include "store_internal.h"
#include "vltutil.h"

namespace {

LONG openForReading(LPCSTR subkey, vlt::RegKey& key) {
    char path[vlt::kPathBufferSize];
    if (!vlt::buildKeyPath(subkey, path)) return ERROR_INVALID_PARAMETER;
    return key.open(HKEY_LOCAL_MACHINE, path);
}

}  // namespace

VLTUTIL_API LONG GetSpectrineRegValue(LPCSTR subkey, LPCSTR valueName, LPDWORD type, LPBYTE data,
                                      LPDWORD size) {
    vlt::RegKey key;
    if (LONG rc = openForReading(subkey, key)) return rc;
    return RegQueryValueExA(key.get(), valueName, nullptr, type, data, size);
}

VLTUTIL_API LONG WriteSpectrineRegValue(LPCSTR subkey, LPCSTR valueName, DWORD type,
                                        const BYTE* data, DWORD size) {
    char path[vlt::kPathBufferSize];
    if (!vlt::buildKeyPath(subkey, path)) return ERROR_INVALID_PARAMETER;
    vlt::RegKey key;
    if (LONG rc = key.create(HKEY_LOCAL_MACHINE, path)) return rc;
    if (!data) return RegDeleteValueA(key.get(), valueName);
    return RegSetValueExA(key.get(), valueName, 0, type, data, size);
}

VLTUTIL_API int GetSpectrineRegString(LPCSTR subkey, LPCSTR valueName, LPSTR out, DWORD size) {
    if (!out || size == 0) return 0;
    out[0] = '\0';
    // A value larger than the buffer is not read, as a registry query into it would fail; the
    // text is the value up to its first NUL, so a value stored with trailing NULs (or without
    // its terminator) never makes the length count more than the text.
    std::optional<std::string> text = vlt::readSuiteText(subkey, valueName, size);
    if (!text) return 0;
    const size_t n = text->size() < size ? text->size() : size - 1;
    std::memcpy(out, text->data(), n);
    out[n] = '\0';
    return static_cast<int>(n);
}

VLTUTIL_API int WriteSpectrineRegString(LPCSTR subkey, LPCSTR valueName, LPCSTR text) {
    if (!text) return 0;
    size_t length = std::strlen(text);
    if (length >= 0xffffffffu) return 0;
    LONG rc = WriteSpectrineRegValue(subkey, valueName, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                     static_cast<DWORD>(length + 1));
    return rc == ERROR_SUCCESS ? 1 : 0;
}

VLTUTIL_API LONG EnumSpectrineRegValue(LPCSTR subkey, DWORD index, LPSTR valueName,
                                       LPDWORD valueNameSize, LPDWORD type, LPBYTE data,
                                       LPDWORD dataSize) {
    vlt::RegKey key;
    if (LONG rc = openForReading(subkey, key)) return rc;
    return RegEnumValueA(key.get(), index, valueName, valueNameSize, nullptr, type, data, dataSize);
}

VLTUTIL_API LONG EnumSpectrineRegKey(LPCSTR subkey, DWORD index, LPSTR name, DWORD nameSize) {
    vlt::RegKey key;
    if (LONG rc = openForReading(subkey, key)) return rc;
    DWORD size = nameSize;
    return RegEnumKeyExA(key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
}

namespace vlt {

bool readDword(LPCSTR subkey, LPCSTR name, DWORD& value) {
    DWORD type = REG_NONE, v = 0, size = sizeof v;
    if (GetSpectrineRegValue(subkey, name, &type, reinterpret_cast<LPBYTE>(&v), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof v) return false;
    value = v;
    return true;
}

LONG readFourBytes(LPCSTR subkey, LPCSTR name, DWORD& value) {
    value = 0;
    DWORD v = 0, size = sizeof v;
    if (LONG rc = GetSpectrineRegValue(subkey, name, nullptr, reinterpret_cast<LPBYTE>(&v), &size)) return rc;
    if (size != sizeof v) return ERROR_INVALID_DATA;
    value = v;
    return ERROR_SUCCESS;
}

std::optional<std::string> readSuiteText(LPCSTR subkey, LPCSTR name, DWORD limit) {
    RegKey key;
    if (openForReading(subkey, key) != ERROR_SUCCESS) return std::nullopt;
    return key.text(name, limit);
}

LONG writeDword(LPCSTR subkey, LPCSTR name, DWORD value) {
    return WriteSpectrineRegValue(subkey, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace vlt
