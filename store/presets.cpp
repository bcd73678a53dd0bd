// Presets and preset groups: one REG_MULTI_SZ value per preset under "Preset" or
// "Preset\<group>".
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ascii_case.h"
#include "preset_store.h"
#include "records_internal.h"
#include "reg_key.h"
#include "store_internal.h"
#include "vltutil.h"
#include "winplat_registry.h"

namespace vlt {

std::optional<std::string> presetKey(LPCSTR group) {
    if (!group) return std::nullopt;
    return *group ? std::string("Preset\\") + group : std::string("Preset");
}

void parsePresetValue(const char* begin, const char* end, PresetRecord& record) {
    const char* p = copyElement(begin, end, record.description, sizeof record.description);
    double* gammas[3] = {&record.gammaRed, &record.gammaGreen, &record.gammaBlue};
    for (double* gamma : gammas) {
        *gamma = 0.0;
        p = readField(p, end, *gamma);
    }
    record.temperature = record.flags = 0;
    p = readSignedIntegerField(p, end, record.temperature);
    readSignedIntegerField(p, end, record.flags);
}

bool readPreset(const std::string& subkey, LPCSTR name, PresetRecord& record) {
    if (!name) return false;
    MultiStringValue value;
    if (!value.read(subkey.c_str(), name, PRESET_VALUE_LIMIT)) return false;
    parsePresetValue(value.begin(), value.end(), record);
    return true;
}

int writePreset(const std::string& subkey, LPCSTR name, const PresetRecord& record) {
    if (!name || !*name) return 0;
    std::string image;
    appendRecordText(image, record.description);  // at most PRESET_DESCRIPTION_LIMIT characters
    for (double gamma : {record.gammaRed, record.gammaGreen, record.gammaBlue})
        if (!appendNumber(image, "%3.2f", gamma)) return 0;
    for (LONG number : {record.temperature, record.flags}) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", static_cast<int>(number));
        appendElement(image, text);
    }
    return writeMultiString(subkey.c_str(), name, std::move(image), PRESET_VALUE_LIMIT);
}

bool deleteStandardPresets(const std::string& subkey, LPCSTR keep) {
    char path[kPathBufferSize];
    if (!buildKeyPath(subkey.c_str(), path)) return false;
    RegKey key;
    const LONG rc = key.open(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    std::vector<std::string> names;
    if (rc != ERROR_SUCCESS || !listNames(key.get(), true, names)) return false;
    for (const std::string& name : names) {
        if (keep && winplat::equalsIgnoringCase(name, keep)) continue;
        PresetRecord record{};
        // A value that is no preset is not the family's: it stays, and the others go on.
        if (!readPreset(subkey, name.c_str(), record) || !(record.flags & PRESET_STANDARD)) continue;
        if (RegDeleteValueA(key.get(), name.c_str()) != ERROR_SUCCESS) return false;
    }
    return true;
}

}  // namespace vlt

namespace {

int enumPreset(const std::optional<std::string>& subkey, DWORD index, LPSTR name,
               LPDWORD nameSize, PresetRecord* record) {
    if (!subkey || !name || !nameSize) return 0;
    DWORD type = REG_NONE, dataSize = 0;
    if (EnumSpectrineRegValue(subkey->c_str(), index, name, nameSize, &type, nullptr, &dataSize) !=
        ERROR_SUCCESS)
        return 0;
    if (type != REG_MULTI_SZ || dataSize > PRESET_VALUE_LIMIT) return 0;
    return !record || vlt::readPreset(*subkey, name, *record) ? 1 : 0;
}

int readPreset(const std::optional<std::string>& subkey, LPCSTR name, PresetRecord* record) {
    return subkey && record && vlt::readPreset(*subkey, name, *record) ? 1 : 0;
}

int writePreset(const std::optional<std::string>& subkey, LPCSTR name, const PresetRecord* record) {
    return subkey && record ? vlt::writePreset(*subkey, name, *record) : 0;
}

}  // namespace

VLTUTIL_API int WriteSpectrinePreset(LPCSTR name, const PresetRecord* record) {
    return writePreset(vlt::presetKey(""), name, record);
}

VLTUTIL_API int ReadSpectrinePreset(LPCSTR name, PresetRecord* record) {
    return readPreset(vlt::presetKey(""), name, record);
}

VLTUTIL_API int DeleteSpectrinePreset(LPCSTR name) {
    if (!name) return 0;
    return WriteSpectrineRegValue("Preset", name, REG_MULTI_SZ, nullptr, 0) == ERROR_SUCCESS ? 1 : 0;
}

VLTUTIL_API int EnumSpectrinePreset(DWORD index, LPSTR name, LPDWORD nameSize, PresetRecord* record) {
    return enumPreset(vlt::presetKey(""), index, name, nameSize, record);
}

VLTUTIL_API int EnumSpectrinePresetGroup(DWORD index, LPSTR name, LPDWORD nameSize) {
    if (!name || !nameSize || *nameSize == 0) return 0;
    if (EnumSpectrineRegKey("Preset", index, name, *nameSize) != ERROR_SUCCESS) return 0;
    *nameSize = static_cast<DWORD>(strnlen(name, *nameSize));
    return 1;
}

VLTUTIL_API int EnumSpectrinePreset0(LPCSTR group, DWORD index, LPSTR name, LPDWORD nameSize,
                                     PresetRecord* record) {
    return enumPreset(vlt::presetKey(group), index, name, nameSize, record);
}

VLTUTIL_API int ReadSpectrinePreset0(LPCSTR group, LPCSTR name, PresetRecord* record) {
    return readPreset(vlt::presetKey(group), name, record);
}

VLTUTIL_API int WriteSpectrinePreset0(LPCSTR group, LPCSTR name, const PresetRecord* record) {
    return writePreset(vlt::presetKey(group), name, record);
}

VLTUTIL_API int DeleteAllSpectrinePreset(LPCSTR keepName) {
    winplat::RegistryTransaction group;
    if (group.status() != ERROR_SUCCESS) return 0;
    if (!vlt::deleteStandardPresets("Preset", keepName)) return 0;
    return group.commit() == ERROR_SUCCESS ? 1 : 0;
}
