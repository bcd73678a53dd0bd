#include "drive_script.h"

#include <charconv>
#include <filesystem>
#include <optional>

#include "win32.h"

namespace huevista::drive {
namespace {

struct Key {
    const char* name;
    size_t first, count;
};
constexpr Key kKeys[] = {{"DisplayType", kDisplayType, 1}, {"BlackPoint", kBlackPoint, 3}, {"Shadows", kShadows, 3},
                         {"Midtones", kMidtones, 3},       {"Highlights", kHighlights, 3}, {"Lighting", kLighting, 1},
                         {"Luminance", kLuminance, 1},     {"Color", kColor, 1}};

// Exactly `count` whole numbers separated by commas, blanks around them allowed.
std::optional<std::vector<int32_t>> wholeNumbers(const std::string& text, size_t count) {
    std::vector<int32_t> out;
    const char* at = text.data();
    const char* end = at + text.size();
    auto skipBlanks = [&] {
        while (at < end && (*at == ' ' || *at == '\t')) ++at;
    };
    while (true) {
        skipBlanks();
        int32_t value = 0;
        auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc{}) return std::nullopt;
        out.push_back(value);
        at = next;
        skipBlanks();
        if (at == end) break;
        if (*at++ != ',') return std::nullopt;
    }
    if (out.size() != count) return std::nullopt;
    return out;
}

bool sectionExists(const std::string& section, const std::string& path) {
    char names[4096] = "";
    return GetPrivateProfileSectionA(section.c_str(), names, sizeof names, path.c_str()) > 0;
}

}  // namespace

std::variant<std::vector<DebugValues>, ScriptError> readScript(const std::string& given) {
    std::error_code ec;
    const std::string path = std::filesystem::absolute(given, ec).string();
    if (ec || !std::filesystem::is_regular_file(path, ec)) return ScriptError{given + ": no such script file"};
    std::vector<DebugValues> monitors;
    for (int n = 1;; ++n) {
        const std::string section = "Monitor " + std::to_string(n);
        if (!sectionExists(section, path)) break;
        DebugValues values{};
        for (const Key& key : kKeys) {
            char text[256] = "";
            GetPrivateProfileStringA(section.c_str(), key.name, "", text, sizeof text, path.c_str());
            auto numbers = wholeNumbers(text, key.count);
            if (!numbers) {
                const char* wanted = key.count == 1 ? "one whole number" : "three whole numbers separated by commas";
                return ScriptError{given + ": [" + section + "] " + key.name + ": " + wanted + " expected, found \"" +
                                   text + "\""};
            }
            for (size_t i = 0; i < key.count; ++i) values[key.first + i] = (*numbers)[i];
        }
        monitors.push_back(values);
    }
    if (monitors.empty()) return ScriptError{given + ": no [Monitor 1] section"};
    return monitors;
}

}  // namespace huevista::drive
