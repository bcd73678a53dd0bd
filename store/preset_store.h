// The preset records below "Preset" as the store's sources share them (not exported).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "presets.h"

namespace vlt {

// "Preset", or "Preset\<group>" for a group that is not empty; nothing for a null group.
std::optional<std::string> presetKey(LPCSTR group);
// The preset `name` of `subkey` into `record` (every field but size); false, with the record
// untouched, when it is absent, not REG_MULTI_SZ or longer than PRESET_VALUE_LIMIT.
bool readPreset(const std::string& subkey, LPCSTR name, PresetRecord& record);
// The fields of a stored preset value (`end` - `begin` bytes, read back whole) into `record`,
// every field but size; missing numbers read as 0.
void parsePresetValue(const char* begin, const char* end, PresetRecord& record);
// Writes `record` under `name` (not empty); 1, or 0 with nothing written.
int writePreset(const std::string& subkey, LPCSTR name, const PresetRecord& record);
// Deletes the presets of `subkey` with PRESET_STANDARD, all but the one named `keep` (may be
// null; names compare ignoring case); values that are no preset stay. True when nothing
// failed (also when the subkey does not exist).
bool deleteStandardPresets(const std::string& subkey, LPCSTR keep);

// One line of a Preset.inf section, "name=value" as the private-profile reader gives it: the
// preset it describes (flags PRESET_STANDARD), or nothing when the line does not read.
struct StandardPreset {
    std::string name;
    PresetRecord record{};
};
std::optional<StandardPreset> parseStandardPresetLine(std::string_view line);

}  // namespace vlt
