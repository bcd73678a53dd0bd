#include "sample_calibration.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "ascii_case.h"
#include "family_names.h"
#include "profforge.h"
#include "vltutil.h"
#include "win32_holders.h"
#include "winplat.h"
#include "winplat_files.h"
#include "winplat_registry.h"

namespace installer {

namespace {

// A typical CRT seen under daylight: gammas a little above 2.4, a small black offset, and a
// screen whose white is bluer than daylight, so that green and blue were turned down to match
// the daylight reference white (a native white near 9000 K, as CRTs leave the factory).
constexpr int kDaylight = 3;  // "Name_3" of the white point reference file
constexpr double kGammas[3] = {2.50, 2.45, 2.40};
constexpr double kOffsets[3] = {0.02, 0.02, 0.03};
constexpr double kGains[3] = {1.00, 0.93, 0.85};
constexpr char kAverageCrt[] = "CRT Average";  // the INF chain's fallback model
constexpr char kStandardTarget[] = "sRGB";

// A line of the report, its numbers written as the suite writes them whatever the locale.
template <typename... Args>
std::string text(const char* format, Args... args) {
    char line[1024];
    WinplatFormatC(line, sizeof line, format, args...);
    return line;
}

// The first element of a REG_MULTI_SZ value of "Calibration": a record's description.
bool storedDescription(const char* name, std::string& description) {
    std::vector<char> value(1024);
    DWORD type = REG_NONE, size = static_cast<DWORD>(value.size() - 1);
    if (GetSpectrineRegValue("Calibration", name, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return false;
    description.assign(value.data(), strnlen(value.data(), size));
    return true;
}

// A calibration the user made: a calibration date, or a record of a monitor or panel that is
// not the sample's.
bool userCalibrationStored() {
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name, type = REG_NONE;
        const LONG rc = EnumSpectrineRegValue("Calibration", i, name, &nameSize, &type, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS || rc == ERROR_FILE_NOT_FOUND) return false;
        if (rc != ERROR_SUCCESS) return true;  // what cannot be listed is not replaced
        if (type != REG_MULTI_SZ) continue;
        if (winplat::equalsIgnoringCase(name, "Date")) return true;
        std::string description;
        if ((winplat::startsWithIgnoringCase(name, "Monitor") || winplat::startsWithIgnoringCase(name, "LCDPanel")) &&
            storedDescription(name, description) && description != kSampleDescription)
            return true;
    }
}

// The first monitor's model key: its EDID's when the system knows one that the store can
// describe, else the INF chain's average CRT.
std::string monitorModel() {
    char name[256] = "";
    MonitorInfRecord line = "";
    if (GetWindowsMonitorName(name, sizeof name) && GetMonitorInfString(name, line, sizeof line)) return name;
    return kAverageCrt;
}

// "Unadjusted" "Name" and "Description" of the suite's Preset.inf.
bool unadjustedPreset(const std::string& suiteFolder, std::string& name, std::string& description,
                      Report& report) {
    const std::string file = presetFileOf(suiteFolder);
    char value[256];
    GetPrivateProfileStringA("Unadjusted", "Name", "", value, sizeof value, file.c_str());
    name = value;
    GetPrivateProfileStringA("Unadjusted", "Description", "", value, sizeof value, file.c_str());
    description = value;
    if (name.empty()) report.error = file + " names no unadjusted preset";
    return !name.empty();
}

struct Unadjusted {
    std::string name, description;
};

// Stores the calibration record and what goes with it, as the wizard does when it finishes.
bool storeCalibration(const std::string& model, const Unadjusted& unadjusted, Report& report) {
    double white[2] = {NAN, NAN};
    ComputeWhitePoint(white, model.c_str(), kGammas, kOffsets, kGains, kDaylight, 0);
    if (!std::isfinite(white[0]) || !std::isfinite(white[1])) {
        report.error = "no white point for the monitor model \"" + model + "\"";
        return false;
    }
    DWORD kelvin = 0;
    GetTemperatureFromWhitePoint(&kelvin, white[0], white[1]);
    // An earlier sample goes. Without a "Calibration" subkey there is nothing to clear (and
    // the clearing would fail, dropping the whole group).
    char name[256];
    DWORD nameSize = sizeof name;
    if (EnumSpectrineRegValue("Calibration", 0, name, &nameSize, nullptr, nullptr, nullptr) != ERROR_FILE_NOT_FOUND &&
        !DeleteAllSpectrineCalibration()) {
        report.error = "cannot clear the earlier sample calibration";
        return false;
    }
    if (!WriteSpectrineNbMonitors(1) || !WriteSpectrineCalibrationLighting(kDaylight) ||
        !WriteSpectrineUnadjustedString(unadjusted.name.c_str()) ||
        !WriteSpectrineUnadjustedDescriptionString(unadjusted.description.c_str()) ||
        !WriteSpectrineMonitorName(model.c_str()) || !WriteSpectrineScreenType(0, 0) ||
        !WriteSpectrineCalibrationName("Monitor", kSampleDescription, white[0], white[1], kGammas[0], kGammas[1],
                                       kGammas[2], kOffsets[0], kOffsets[1], kOffsets[2], kGains[0], kGains[1],
                                       kGains[2])) {
        report.error = "cannot store the sample calibration in the registry";
        return false;
    }
    report.lines.push_back(text("Sample calibration for monitor 0 (%s): %s", model.c_str(), kSampleDescription));
    report.lines.push_back(text("  gammas %.2f %.2f %.2f, offsets %.2f %.2f %.2f, white x %.4f y %.4f (%u K)",
                                kGammas[0], kGammas[1], kGammas[2], kOffsets[0], kOffsets[1], kOffsets[2],
                                white[0], white[1], static_cast<unsigned>(kelvin)));
    return true;
}

// The preset in force: "Current", or the standard sRGB preset made so, as the display page
// makes a preset the user applies.
bool presetInForce(PresetRecord& current, Report& report) {
    current = PresetRecord{};
    current.size = PRESETRECORD_SIZE;
    if (ReadSpectrinePreset(GetSpectrineCurrent(), &current)) return true;
    if (!ReadSpectrinePreset(kStandardTarget, &current)) {
        report.error = std::string("the standard preset \"") + kStandardTarget + "\" is missing";
        return false;
    }
    WinplatFormatC(current.description, sizeof current.description, "%s", kStandardTarget);
    current.flags |= PRESET_STANDARD;
    if (!WriteSpectrinePreset(GetSpectrineCurrent(), &current)) {
        report.error = "cannot write the preset in force";
        return false;
    }
    report.lines.push_back(std::string("No preset was in force: the standard \"") + kStandardTarget + "\" is now");
    return true;
}

// The names of the presets of "Preset" or of a group, comma-separated.
std::string presetNames(const char* group) {
    std::string names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (!EnumSpectrinePreset0(group, i, name, &size, nullptr)) break;
        if (winplat::equalsIgnoringCase(name, GetSpectrineCurrent())) continue;
        names += (names.empty() ? "" : ", ") + std::string(name);
    }
    return names;
}

void reportPresets(Report& report) {
    report.lines.push_back("Presets: " + presetNames(""));
    for (DWORD i = 0;; ++i) {
        char group[256];
        DWORD size = sizeof group;
        if (!EnumSpectrinePresetGroup(i, group, &size)) break;
        report.lines.push_back("  " + std::string(group) + " " + presetNames(group));
    }
}

std::string nativePath(const std::string& path) {
    char native[4096];
    return WinplatNativePath(path.c_str(), native, sizeof native) ? native : path;
}

void reportProfiles(Report& report) {
    char system[MAX_PATH];
    const UINT n = GetSystemDirectoryA(system, sizeof system);
    const std::string colour = std::string(system, n < sizeof system ? n : 0) + "\\COLOR\\";
    char dated[MAX_PATH] = "";
    GetWin98ProfileName(dated, sizeof dated);
    report.lines.push_back("Profiles:");
    using vlt::FamilyMember;
    for (const std::string& name : {vlt::familyFileName(FamilyMember::Spectrine95, 0), std::string(dated),
                                    vlt::familyFileName(FamilyMember::Netvivid, 0),
                                    vlt::familyFileName(FamilyMember::Pantone, 0)}) {
        if (name.empty()) continue;
        const std::string path = colour + name;
        report.lines.push_back("  " + nativePath(path) + (winplat::fileExists(path.c_str()) ? "" : " (missing)"));
    }
    char registered[MAX_PATH] = "";
    GetSpectrineMonitorICMName(registered, sizeof registered);
    report.lines.push_back("  registered as the monitor's default: " + nativePath(registered));
}

// The ramp monitor 0 holds, read back from the display, at a few levels.
void reportRamp(bool loaded, Report& report) {
    std::vector<WORD> ramp(768, 0);
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    if (!screen || !VLTGetDeviceGammaRamp(screen.get(), ramp.data(), 0)) {
        report.lines.push_back(loaded ? "Ramp loaded, but it cannot be read back" : "No ramp was loaded");
        return;
    }
    report.lines.push_back(std::string(loaded ? "Ramp loaded on monitor 0" : "No ramp was loaded; monitor 0 holds") +
                           " (level: red green blue, of 255):");
    for (int level : {0, 32, 64, 128, 192, 255})
        report.lines.push_back(text("  %3d: %6.2f %6.2f %6.2f", level, ramp[level] / 256.0,
                                    ramp[256 + level] / 256.0, ramp[512 + level] / 256.0));
}

}  // namespace

bool storeSampleCalibration(const std::string& suiteFolder, Report& report) {
    if (userCalibrationStored()) {
        report.error = "a calibration is stored already; the sample would replace it";
        return false;
    }
    Unadjusted unadjusted;
    if (!unadjustedPreset(suiteFolder, unadjusted.name, unadjusted.description, report)) return false;
    PresetRecord current;
    {
        // The calibration, the presets and the preset in force land together or not at all.
        winplat::RegistryTransaction group;
        if (group.status() != ERROR_SUCCESS) {
            report.error = "cannot write into the registry";
            return false;
        }
        if (!storeCalibration(monitorModel(), unadjusted, report)) return false;
        if (!WriteAllSpectrinePreset()) {
            report.error = "the standard presets could not be written";
            return false;
        }
        if (!presetInForce(current, report)) return false;
        if (group.commit() != ERROR_SUCCESS) {
            report.error = "cannot write the sample calibration into the registry";
            return false;
        }
    }
    reportPresets(report);
    report.lines.push_back(text("Preset in force: %s (gammas %.2f %.2f %.2f, %d K%s)", current.description,
                                current.gammaRed, current.gammaGreen, current.gammaBlue,
                                static_cast<int>(current.temperature),
                                (current.flags & PRESET_UNADJUSTED) ? ", the monitor's own white" : ""));
    const double gammas[3] = {current.gammaRed, current.gammaGreen, current.gammaBlue};
    const DWORD flags = COMPUTE_PROFILES | ((current.flags & PRESET_UNADJUSTED) ? COMPUTE_UNADJUSTED : 0);
    if (!ComputeProfiles(nullptr, current.description, gammas, static_cast<DWORD>(current.temperature), nullptr,
                         flags, 0)) {
        report.error = "the profiles could not be computed for monitor 0";
        return false;
    }
    reportProfiles(report);
    reportRamp(SetGammaRamp(0) == 1, report);
    return true;
}

}  // namespace installer
