#include "install_check.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "ascii_case.h"
#include "vltutil.h"
#include "win32.h"
#include "winplat.h"
#include "winplat_files.h"

namespace huevista {
namespace {

constexpr char kNotInstalled[] = "not properly installed";
constexpr char kRegistryNotSet[] = "registry not properly set";
constexpr char kFileNotFound[] = "file not found";
constexpr char kMissingEntries[] = "missing entries";
constexpr int kInfCompanions = 8;  // spectrine1.inf to spectrine8.inf

std::string fileNameOf(const std::string& path) { return GetFileInPath(path.c_str()); }

// A Windows-style or native path as the file system knows it: separators and letter case
// resolved, links followed, "." and ".." gone. The path itself when it cannot be resolved.
std::string canonical(const std::string& path) {
    char native[MAX_PATH];
    std::string resolved = WinplatNativePath(path.c_str(), native, sizeof native) ? native : path;
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(resolved, ec);
    return ec ? resolved : p.string();
}

std::string profileString(const std::string& file, const char* section, const char* key) {
    char value[256];
    GetPrivateProfileStringA(section, key, "", value, sizeof value, file.c_str());
    return value;
}

// The white point reference file has the four reference whites and a colour series.
bool hasWhitePointEntries(const std::string& ini) {
    for (int n = 0; n < 4; ++n) {
        char key[16];
        std::snprintf(key, sizeof key, "D50Ref_%d", n);
        if (profileString(ini, "WhitePoint", key).empty()) return false;
    }
    // The colour step divides by the number of entries.
    return static_cast<int>(GetPrivateProfileIntA("WhitePoint", "Nb Of Entries", 0, ini.c_str())) >= 1;
}

// Whether `key` is in the "Monitors" section of the INF file or one of its companions.
bool chainHasMonitor(const std::string& inf, const char* key) {
    if (!profileString(inf, "Monitors", key).empty()) return true;
    for (int n = 1; n <= kInfCompanions; ++n) {
        char extension[16];
        std::snprintf(extension, sizeof extension, "%1.1u.inf", static_cast<unsigned>(n));
        const std::string companion = withExtension(inf, extension);
        if (!companion.empty() && !profileString(companion, "Monitors", key).empty()) return true;
    }
    return false;
}

// The first three section names of a file (fewer when it has fewer).
std::vector<std::string> firstSections(const std::string& file) {
    char names[4096];
    const DWORD length = GetPrivateProfileSectionNamesA(names, sizeof names, file.c_str());
    std::vector<std::string> out;
    for (DWORD at = 0; at < length && names[at] && out.size() < 3; at += static_cast<DWORD>(out.back().size()) + 1)
        out.emplace_back(names + at);
    return out;
}

bool presetsAreStandard(const std::string& presetFile) {
    const std::vector<std::string> sections = firstSections(presetFile);
    return sections.size() == 3 && winplat::equalsIgnoringCase(sections[0], "Unadjusted") &&
           winplat::equalsIgnoringCase(sections[1], "_") && sections[2].find("...") != std::string::npos;
}

}  // namespace

std::string withExtension(const std::string& path, const char* extension) {
    char buffer[MAX_PATH];
    if (path.size() >= sizeof buffer) return {};
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return PathRenameExtensionA(buffer, extension) ? buffer : std::string();
}

std::string baseNameOf(const std::string& path) {
    std::string name = fileNameOf(path);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

std::string describe(const CheckFailure& failure) { return failure.file + " " + failure.reason; }

std::optional<CheckFailure> checkInstallation(const std::string& programPath) {
    const std::string program = fileNameOf(programPath);
    char appFile[MAX_PATH];
    if (!GetSpectrineExeFile(appFile, sizeof appFile)) return CheckFailure{program, kNotInstalled};
    if (!winplat::equalsIgnoringCase(canonical(programPath), canonical(appFile)))
        return CheckFailure{program, kRegistryNotSet};
    char infFile[MAX_PATH];
    if (!GetSpectrineInfFile(infFile, sizeof infFile)) return CheckFailure{program, kNotInstalled};

    const std::string ini = withExtension(programPath, ".ini");
    if (ini.empty() || !winplat::fileExists(ini.c_str())) return CheckFailure{fileNameOf(ini), kFileNotFound};
    if (!hasWhitePointEntries(ini)) return CheckFailure{fileNameOf(ini), kMissingEntries};

    const std::string inf = infFile;
    if (!winplat::fileExists(inf.c_str())) return CheckFailure{fileNameOf(inf), kFileNotFound};
    // A key missing from the whole chain is reported against its first file.
    if (!chainHasMonitor(inf, "CRT Average") || !chainHasMonitor(inf, "LCD Average"))
        return CheckFailure{fileNameOf(inf), kMissingEntries};

    const std::string presets = inf.substr(0, inf.size() - fileNameOf(inf).size()) + "Preset.inf";
    if (!winplat::fileExists(presets.c_str())) return CheckFailure{fileNameOf(presets), kFileNotFound};
    if (!presetsAreStandard(presets)) return CheckFailure{fileNameOf(presets), kMissingEntries};
    return std::nullopt;
}

}  // namespace huevista
