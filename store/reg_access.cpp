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
    DWORD type = REG_NONE, stored = size;
    LONG rc = GetSpectrineRegValue(subkey, valueName, &type, reinterpret_cast<LPBYTE>(out), &stored);
    if (rc != ERROR_SUCCESS || type != REG_SZ || stored == 0) {
        out[0] = '\0';
        return 0;
    }
    if (out[stored - 1] != '\0') {
        // Stored without its terminator: end the text inside the buffer.
        out[stored < size ? stored : size - 1] = '\0';
        return static_cast<int>(std::strlen(out));
    }
    return static_cast<int>(stored - 1);
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

LONG writeDword(LPCSTR subkey, LPCSTR name, DWORD value) {
    return WriteSpectrineRegValue(subkey, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace vlt
