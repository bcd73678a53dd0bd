// Whether the registration recorded at the last calibration still holds on this machine, the
// recalibration warning, and whether the user may change machine-wide settings.
#include <grp.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "icm_internal.h"
#include "pnp_walk.h"
#include "store_internal.h"
#include "system_version.h"
#include "vltutil.h"
#include "win32_holders.h"
#include "winplat_registry.h"

namespace {

using vlt::icm::Key;

std::optional<std::string> recordText(const char* name) {
    return vlt::readSuiteText(vlt::icm::kRecordKey, name);
}
// A per-monitor value of the record (vlt::icm::recordValueName).
std::optional<std::string> monitorRecordText(const char* base, int monitor) {
    return recordText(vlt::icm::recordValueName(base, monitor).c_str());
}

// The class key of every monitor present, monitor 0 first (its fallback key when the system
// lists none).
std::vector<std::string> presentClassKeys() {
    std::vector<std::string> keys{vlt::pnp::findMonitorKeys(0).classKey};
    for (int monitor = 1;; ++monitor) {
        vlt::pnp::MonitorKeys found = vlt::pnp::findMonitorKeys(monitor);
        if (found.deviceKey.empty()) break;
        keys.push_back(found.classKey);
    }
    return keys;
}

// What the status check compares the record with, found before the record is read.
struct Present {
    std::vector<std::string> classKeys = presentClassKeys();
    std::string adapter = vlt::pnp::displayAdapterDescription();
    DWORD depth = vlt::icm::screenDepth();
    DWORD gammaRamp = static_cast<DWORD>(IsGammaRampSupported());
};

// Seconds of a file's last write, from its packed date and time words (two-second steps);
// nothing when the file cannot be opened.
std::optional<long long> lastWriteSeconds(const std::string& path) {
    winplat::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    if (!file) return std::nullopt;
    FILETIME written{};
    WORD date = 0, time = 0;
    if (!GetFileTime(file.get(), nullptr, nullptr, &written) ||
        !FileTimeToDosDateTime(&written, &date, &time))
        return std::nullopt;
    using namespace std::chrono;
    year_month_day day{year{1980 + (date >> 9)}, month{(date >> 5) & 0x0Fu}, std::chrono::day{date & 0x1Fu}};
    if (!day.ok()) return std::nullopt;
    long long days = sys_days(day).time_since_epoch().count();
    return days * 86400 + (time >> 11) * 3600 + ((time >> 5) & 0x3F) * 60 + (time & 0x1F) * 2;
}

// Two files written within one minute of each other, whichever minute, hour or day each
// time falls in. A file that cannot be opened is a change.
bool writtenWithinOneMinute(const std::string& a, const std::string& b) {
    std::optional<long long> ta = lastWriteSeconds(a), tb = lastWriteSeconds(b);
    if (!ta || !tb) return false;
    long long difference = *ta > *tb ? *ta - *tb : *tb - *ta;
    return difference <= 60;
}

// True when monitor n's class key, its profile list and its description are still those of
// its record.
bool monitorRegistrationHolds(int monitor, const std::string& recordedProfile,
                              const std::string& classKey) {
    if (monitorRecordText("MonitorRegKey", monitor) != classKey) return false;
    Key key;
    DWORD type = REG_NONE;
    std::vector<BYTE> value;
    if (!key.open(classKey) ||
        !vlt::icm::readValue(key.get(), vlt::icm::kProfileValue, type, value))
        return false;
    bool holds;
    if (type == REG_BINARY) {
        // The default is the last name of the list (none for a one-byte value).
        std::string last;
        if (value.size() > 1) {
            std::vector<std::string> names = vlt::icm::profileList(value);
            if (!names.empty()) last = names.back();
        }
        std::string recordedName = vlt::icm::fileNameOf(recordedProfile);
        holds = last == recordedName ||
                writtenWithinOneMinute(vlt::icm::colourDirectory() + last, recordedProfile);
    } else {
        std::string single(reinterpret_cast<const char*>(value.data()),
                           strnlen(reinterpret_cast<const char*>(value.data()), value.size()));
        holds = single == recordedProfile;
    }
    if (holds) {
        if (std::optional<std::string> description = key.text("DriverDesc"))
            holds = monitorRecordText("MonitorDesc", monitor) == *description;
    }
    return holds;
}

// True when every registered monitor's registration holds (monitor 0's is `recordedProfile`;
// a further monitor counts once it was registered as itself) and the display adapter is the
// record's.
bool registrationHolds(const std::string& recordedProfile, const Present& present) {
    if (!IsICMSupported()) return true;
    bool holds = monitorRegistrationHolds(0, recordedProfile, present.classKeys[0]);
    for (int monitor = 1; holds && monitor < static_cast<int>(present.classKeys.size()); ++monitor) {
        std::optional<std::string> profile = monitorRecordText("MonitorICMProfile", monitor);
        if (profile && !profile->empty())
            holds = monitorRegistrationHolds(monitor, *profile, present.classKeys[monitor]);
    }
    return holds && recordText("Adapter") == present.adapter;
}

// The user is root or belongs to one of the groups that administer the machine.
bool administrator() {
    if (geteuid() == 0) return true;
    std::vector<gid_t> groups(static_cast<size_t>(getgroups(0, nullptr)) + 1);
    int count = getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(count > 0 ? static_cast<size_t>(count) : 0);
    groups.push_back(getegid());
    for (const char* name : {"sudo", "wheel"}) {
        struct group entry{};
        struct group* found = nullptr;
        std::vector<char> buffer(16384);
        if (getgrnam_r(name, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) continue;
        for (gid_t g : groups)
            if (g == found->gr_gid) return true;
    }
    return false;
}

}  // namespace

VLTUTIL_API int CheckSpectrineStatus(void) {
    char app[MAX_PATH];
    if (!GetSpectrineExeFile(app, sizeof app)) return SPECTRINE_STATUS_NOT_INSTALLED;
    const Present present;
    // The record and the monitor's list are read at one moment: a registration landing
    // meanwhile in another process is seen whole or not at all.
    winplat::RegistryTransaction read(false);
    std::optional<std::string> profile = recordText("MonitorICMProfile");
    if (!profile || profile->empty()) return SPECTRINE_STATUS_NOT_CALIBRATED;
    if (!registrationHolds(*profile, present)) return SPECTRINE_STATUS_CHANGED;
    DWORD depth = 0;
    if (!vlt::readDword(vlt::icm::kRecordKey, "BitsPixel", depth) || depth != present.depth)
        return SPECTRINE_STATUS_DEPTH_CHANGED;
    DWORD ramp = 0;
    if (vlt::readDword(vlt::icm::kRecordKey, "GamRamp", ramp) && ramp == present.gammaRamp)
        return SPECTRINE_STATUS_OK;
    return SPECTRINE_STATUS_CHANGED;
}

VLTUTIL_API int ForceRecalibrationWarning(void) {
    return WriteSpectrineRegString(vlt::icm::kRecordKey, "MonitorICMProfile", "");
}

VLTUTIL_API int RunningAsAdministrator(void) {
    if (vlt::systemVersion().nt4()) return administrator() ? 1 : 0;
    return 1;
}
