// Registering profiles with the system's image colour management and associating them with a
// monitor's class key; the registration record; copying the first monitor's list to the
// others.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ascii_case.h"
#include "family_names.h"
#include "icm_internal.h"
#include "pnp_walk.h"
#include "store_internal.h"
#include "system_version.h"
#include "vltutil.h"
#include "winplat_files.h"
#include "winplat_registry.h"

namespace {

using vlt::icm::Key;

BOOL updateIcm(const std::string& path, UINT command, const std::string& device = {}) {
    return UpdateICMRegKeyA(0, device.empty() ? nullptr : const_cast<LPSTR>(device.c_str()),
                            const_cast<LPSTR>(path.c_str()), command);
}

// "\\.\DISPLAY1" for monitor 0: the display device the system keeps monitor n's default for.
// (Formatted with snprintf: std::to_string's digit table would be a unique symbol that keeps
// the library from ever being unloaded.)
std::string displayDevice(int monitor) {
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\DISPLAY%lld",
                  static_cast<long long>(monitor) + 1);
    return name;
}

// The list form: every old name but the file's own (and, for a long file name, the calibrated
// profile recorded before; for a member of a further monitor's family, monitor 0's same
// member), in their order, then the file's name when it becomes the default,
// then the empty name that ends the list. Only a missing value is an empty list: a list that
// cannot be read is kept as it is, and the rewrite fails (false).
bool rewriteList(HKEY key, const std::string& path, bool makeDefault, int monitor) {
    std::vector<BYTE> old;
    DWORD type = REG_NONE;
    const LONG rc = vlt::readValueCode(key, vlt::icm::kProfileValue, type, old);
    if (rc == ERROR_FILE_NOT_FOUND)
        old.clear();
    else if (rc != ERROR_SUCCESS)
        return false;
    std::string fileName = vlt::icm::fileNameOf(path);
    // Dated profile names are long: the new one replaces the calibrated profile of before.
    std::string recorded;
    if (fileName.size() > 35) recorded = vlt::icm::recordedProfileName(monitor);
    // A member of monitor n's own family replaces the same member of monitor 0's, which the
    // monitor used while the monitors shared their files (a root from before).
    std::string shared;
    if (std::optional<vlt::FamilyMember> member = vlt::fixedFamilyMember(fileName, monitor); member && monitor >= 1)
        shared = vlt::familyFileName(*member, 0);

    std::vector<BYTE> list;
    auto append = [&list](const std::string& name) {
        list.insert(list.end(), name.begin(), name.end());
        list.push_back('\0');
    };
    for (const std::string& name : vlt::icm::profileList(old)) {
        if (winplat::equalsIgnoringCase(name, fileName)) continue;
        if (!recorded.empty() && winplat::equalsIgnoringCase(name, recorded)) continue;
        if (!shared.empty() && winplat::equalsIgnoringCase(name, shared)) continue;
        append(name);
    }
    if (makeDefault) append(fileName);
    list.push_back('\0');
    return RegSetValueExA(key, vlt::icm::kProfileValue, 0, REG_BINARY, list.data(),
                          static_cast<DWORD>(list.size())) == ERROR_SUCCESS;
}

// What the registration record says about the machine, found before the record is written.
struct Machine {
    std::string adapter = vlt::pnp::displayAdapterDescription();
    DWORD depth = vlt::icm::screenDepth();
    DWORD gammaRamp = static_cast<DWORD>(IsGammaRampSupported());
};

// Monitor n's own values and the machine's: registering one monitor never rewrites what the
// status check compares for another.
void writeRecord(const std::string& classKey, const std::string& description,
                 const std::string& path, const Machine& machine, int monitor) {
    using vlt::icm::kRecordKey;
    using vlt::icm::recordValueName;
    WriteSpectrineRegString(kRecordKey, recordValueName("MonitorRegKey", monitor).c_str(), classKey.c_str());
    WriteSpectrineRegString(kRecordKey, recordValueName("MonitorDesc", monitor).c_str(), description.c_str());
    WriteSpectrineRegString(kRecordKey, "Adapter", machine.adapter.c_str());
    vlt::writeDword(kRecordKey, "BitsPixel", machine.depth);
    vlt::writeDword(kRecordKey, "GamRamp", machine.gammaRamp);
    // The value the status check keys on last, though the group makes the order moot.
    WriteSpectrineRegString(kRecordKey, recordValueName("MonitorICMProfile", monitor).c_str(), path.c_str());
}

// The name a monitor receives for a name of the first monitor's list: a profile of the first
// monitor's own family (a fixed member, or its recorded calibrated profile) becomes the same
// member of the receiving monitor's family once that monitor's file exists; any other name is
// given as it is.
std::string nameForMonitor(const std::string& name, int monitor, const std::string& colourDir) {
    std::string own;
    if (std::optional<vlt::FamilyMember> member = vlt::fixedFamilyMember(name))
        own = vlt::familyFileName(*member, monitor);
    else if (winplat::equalsIgnoringCase(name, vlt::icm::recordedProfileName(0)))
        own = vlt::icm::recordedProfileName(monitor);
    if (own.empty() || !winplat::fileExists((colourDir + own).c_str())) return name;
    return own;
}

}  // namespace

VLTUTIL_API int IsICMSupported(void) { return vlt::systemVersion().colourManagement() ? 1 : 0; }

VLTUTIL_API int RegisterICCProfile0(LPCSTR path, int makeDefault, int monitor) {
    if (!path) return 0;
    const std::string profile = path;
    const bool colourManagement = IsICMSupported() != 0;
    const bool windows95 = vlt::systemVersion().windows95();
    std::string classKey;
    if (colourManagement) {
        if (updateIcm(profile, ICM_QUERYPROFILE)) updateIcm(profile, ICM_DELETEPROFILE);
        updateIcm(profile, ICM_ADDPROFILE);
        if (windows95 && !makeDefault) return 1;
        // Only a profile registered as default becomes the system's default (and is published
        // to the desktop): registering the calibrated profile beside a chosen default must not
        // take the default over.
        if (makeDefault) updateIcm(profile, ICM_SETDEFAULTPROFILE, displayDevice(monitor));
        classKey = vlt::pnp::findMonitorKeys(monitor).classKey;
    } else if (!makeDefault) {
        return 1;
    }
    std::optional<Machine> machine;
    if (makeDefault) machine.emplace();

    // The monitor's list and the registration record land together: another process's status
    // check sees the old registration or the new one, never half of either.
    winplat::RegistryTransaction group;
    if (group.status() != ERROR_SUCCESS) return 0;
    std::string description = "Unknown Monitor";
    if (colourManagement) {
        description.clear();
        Key key;
        if (key.open(classKey)) {
            description = key.text("DriverDesc").value_or(std::string());
            if (windows95) {
                RegDeleteValueA(key.get(), vlt::icm::kProfileValue);
                RegSetValueExA(key.get(), vlt::icm::kProfileValue, 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(profile.c_str()),
                               static_cast<DWORD>(profile.size() + 1));
            } else if (!rewriteList(key.get(), profile, makeDefault != 0, monitor)) {
                return 0;  // the group is dropped: the list and the record stay as they were
            }
        }
    }
    if (machine) writeRecord(classKey, description, profile, *machine, monitor);
    return group.commit() == ERROR_SUCCESS ? 1 : 0;
}

VLTUTIL_API int RegisterICCProfile(LPCSTR path, int makeDefault) {
    return RegisterICCProfile0(path, makeDefault, 0);
}

VLTUTIL_API int UnregisterICCProfile(LPCSTR path) {
    if (!IsICMSupported()) return 1;
    if (!path || !updateIcm(path, ICM_QUERYPROFILE)) return 0;
    return updateIcm(path, ICM_DELETEPROFILE) ? 1 : 0;
}

VLTUTIL_API int DispatchICMForMultiMonitor(int count) {
    Key first;
    if (!first.open(vlt::pnp::findMonitorKeys(0).classKey)) return 0;
    DWORD type = REG_NONE;
    std::vector<BYTE> list;
    if (!vlt::icm::readValue(first.get(), vlt::icm::kProfileValue, type, list, 1024) ||
        type != REG_BINARY)
        return 0;
    // The walk stops at the empty name that ends the list, or at the end of the value.
    const std::string colourDir = vlt::icm::colourDirectory();
    size_t at = 0;
    for (int monitor = count - 1; monitor >= 0 && at < list.size(); --monitor) {
        const BYTE* start = list.data() + at;
        size_t length = strnlen(reinterpret_cast<const char*>(start), list.size() - at);
        if (length == 0) break;
        const std::string name =
            nameForMonitor(std::string(reinterpret_cast<const char*>(start), length), monitor, colourDir);
        std::vector<BYTE> one(name.begin(), name.end());
        one.push_back('\0');
        one.push_back('\0');
        at += length + 1;
        vlt::pnp::MonitorKeys keys = vlt::pnp::findMonitorKeys(monitor);
        Key key;
        if (!keys.found || !key.open(keys.classKey)) continue;
        RegSetValueExA(key.get(), vlt::icm::kProfileValue, 0, REG_BINARY, one.data(),
                       static_cast<DWORD>(one.size()));
    }
    return 1;
}
