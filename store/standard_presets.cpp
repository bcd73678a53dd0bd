// The standard preset family, as "Preset.inf" beside the monitor INF file describes it.
//
// The file is read through the private-profile reader. Sections, in this order:
//   [Unadjusted]   the unadjusted preset (Name=, Description=); the wizard stores them as
//                  "Calibration" "Unadjusted" and "UnadjustedDescription"; not written here,
//                  the builders write that preset from the calibration itself
//   [_]            the presets listed at the top of "Preset"
//   [<name>...]    every further section whose name holds "..." is a preset group
// A preset is one line of [_] or of a group:
//   <name>=<gamma red>, <gamma green>, <gamma blue>, <temperature>, <description>
// gammas as decimal numbers from 0.1 to 10, the temperature as whole kelvin from 4001 to
// 25000 (what has a white point), the description the rest of the line (commas allowed; it
// may be left out with its comma). A line that does not read so, or whose name is empty,
// longer than 255 characters or "Current", is skipped.
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ascii_case.h"
#include "preset_store.h"
#include "records_internal.h"
#include "store_internal.h"
#include "vltutil.h"
#include "winplat_registry.h"

namespace {

constexpr char kPresetFile[] = "Preset.inf";
constexpr char kTopLevelSection[] = "_";
constexpr char kGroupMark[] = "...";
constexpr size_t kNameLimit = 255;  // what the pages' 256-character name buffers take
constexpr double kLowestGamma = 0.1, kHighestGamma = 10.0;
constexpr long kLowestTemperature = 4001, kHighestTemperature = 25000;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A number at the start of `rest` (blanks around it) followed by a comma, or by the end when
// `mayEnd`; `rest` moves past the comma.
template <typename Number>
bool takeField(std::string_view& rest, Number& value, bool mayEnd = false) {
    rest = trimmed(rest);
    const char* end = rest.data() + rest.size();
    auto [stop, error] = std::from_chars(rest.data(), end, value);
    if (error != std::errc() || stop == rest.data()) return false;
    rest = trimmed(std::string_view(stop, static_cast<size_t>(end - stop)));
    if (rest.empty()) return mayEnd;
    if (rest.front() != ',') return false;
    rest.remove_prefix(1);
    return true;
}

}  // namespace

namespace vlt {

std::optional<StandardPreset> parseStandardPresetLine(std::string_view line) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    StandardPreset preset;
    preset.name = trimmed(line.substr(0, equals));
    if (preset.name.empty() || preset.name.size() > kNameLimit ||
        winplat::equalsIgnoringCase(preset.name, SPECTRINE_CURRENT_PRESET))
        return std::nullopt;
    PresetRecord& r = preset.record;
    r.size = PRESETRECORD_SIZE;
    std::string_view rest = line.substr(equals + 1);
    long temperature = 0;
    for (double* gamma : {&r.gammaRed, &r.gammaGreen, &r.gammaBlue})
        if (!takeField(rest, *gamma) || !(*gamma >= kLowestGamma && *gamma <= kHighestGamma))
            return std::nullopt;
    if (!takeField(rest, temperature, true) || temperature < kLowestTemperature ||
        temperature > kHighestTemperature)
        return std::nullopt;
    r.temperature = static_cast<LONG>(temperature);
    r.flags = PRESET_STANDARD;
    const std::string_view description = trimmed(rest).substr(0, PRESET_DESCRIPTION_LIMIT);
    description.copy(r.description, description.size());
    return preset;
}

}  // namespace vlt

namespace {

// "Preset.inf" in the folder of "Settings" "InfFile".
std::optional<std::string> presetFile() {
    char inf[vlt::kPathBufferSize];
    if (!GetSpectrineInfFile(inf, sizeof inf) || !inf[0]) return std::nullopt;
    return std::string(inf, static_cast<size_t>(GetFileInPath(inf) - inf)) + kPresetFile;
}

// Writes the presets of one section into `subkey`; false on a registry error.
bool writeSection(const std::string& file, const std::string& section, const std::string& subkey) {
    const std::vector<std::string> lines = vlt::readIniList([&](char* buffer, DWORD size) {
        return GetPrivateProfileSectionA(section.c_str(), buffer, size, file.c_str());
    });
    for (const std::string& line : lines) {
        const std::optional<vlt::StandardPreset> preset = vlt::parseStandardPresetLine(line);
        if (!preset) continue;
        PresetRecord existing{};
        if (vlt::readPreset(subkey, preset->name.c_str(), existing) && !(existing.flags & PRESET_STANDARD))
            continue;  // the user's own preset of that name stays
        if (!vlt::writePreset(subkey, preset->name.c_str(), preset->record)) return false;
    }
    return true;
}

}  // namespace

VLTUTIL_API int WriteStandardSpectrinePreset(void) {
    const std::optional<std::string> file = presetFile();
    if (!file) return 0;
    const std::vector<std::string> sections = vlt::readIniList([&](char* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesA(buffer, size, file->c_str());
    });
    if (sections.empty()) return 0;
    winplat::RegistryTransaction group;
    if (group.status() != ERROR_SUCCESS) return 0;
    for (const std::string& section : sections) {
        if (winplat::equalsIgnoringCase(section, kTopLevelSection)) {
            if (!writeSection(*file, section, "Preset")) return 0;
        } else if (section.find(kGroupMark) != std::string::npos) {
            // A group's standard members are replaced as a family; the user's own stay.
            const std::string subkey = *vlt::presetKey(section.c_str());
            if (!vlt::deleteStandardPresets(subkey, nullptr) || !writeSection(*file, section, subkey))
                return 0;
        }
    }
    return group.commit() == ERROR_SUCCESS ? 1 : 0;
}
