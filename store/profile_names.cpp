// The names the registration keeps: the calibrated profile's recorded file name, the profile
// last registered as default, the stock profiles of the one-byte "ICMProfile", and the helpers
// the registration sources share.
#include <array>
#include <cstring>

#include "icm_internal.h"
#include "store_internal.h"
#include "vltutil.h"
#include "win32_holders.h"

namespace vlt::icm {

namespace {

constexpr std::array<const char*, 13> kStockProfiles = {
    "mnb22g15.icm",
    "mnb22g18.icm",
    "mnb22g21.icm",
    "mnebug15.icm",
    "mnebug18.icm",
    "mnebug21.icm",
    "mnp22g15.icm",
    "mnp22g18.icm",
    "mnp22g21.icm",
    "Diamond Compatible 9300K G2.2.icm",
    "Hitachi Compatible 9300K G2.2.icm",
    "NEC Compatible 9300K G2.2.icm",
    "Trinitron Compatible 9300K G2.2.icm",
};

}  // namespace

std::string colourDirectory() {
    char system[MAX_PATH];
    UINT n = GetSystemDirectoryA(system, sizeof system);
    if (n == 0 || n >= sizeof system) return {};
    return std::string(system, n) + "\\COLOR\\";
}

std::string recordValueName(const char* base, int monitor) {
    return monitor < 1 ? std::string(base) : vlt::monitorValueName(base, monitor);
}

std::string recordedProfileName(int monitor) {
    char name[MAX_PATH];
    int n = monitor == 0 ? GetWin98ProfileName(name, sizeof name)
                         : GetWin98ProfileName0(name, sizeof name, monitor);
    return n > 0 ? std::string(name, static_cast<size_t>(n)) : std::string();
}

const char* stockProfileName(unsigned code) {
    return code >= 1 && code <= kStockProfiles.size() ? kStockProfiles[code - 1] : nullptr;
}

std::vector<std::string> profileList(const std::vector<BYTE>& value) {
    std::vector<std::string> names;
    if (value.size() == 1) {
        if (const char* stock = stockProfileName(value[0])) names.emplace_back(stock);
        return names;
    }
    size_t at = 0;
    while (at < value.size()) {
        const BYTE* start = value.data() + at;
        const void* end = std::memchr(start, '\0', value.size() - at);
        size_t length = end ? static_cast<size_t>(static_cast<const BYTE*>(end) - start)
                            : value.size() - at;
        if (length == 0) break;  // the empty name that ends the list
        names.emplace_back(reinterpret_cast<const char*>(start), length);
        at += length + 1;
    }
    return names;
}

std::string fileNameOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

DWORD screenDepth() {
    winplat::DeviceContext dc = winplat::DeviceContext::screen();
    if (!dc) return 0;
    int depth = GetDeviceCaps(dc.get(), PLANES) * GetDeviceCaps(dc.get(), BITSPIXEL);
    return depth > 0 ? static_cast<DWORD>(depth) : 0;
}

}  // namespace vlt::icm

VLTUTIL_API int GetWin98ProfileName(LPSTR out, DWORD size) {
    return GetSpectrineRegString("Calibration", "Win98Profile", out, size);
}

VLTUTIL_API int WriteWin98ProfileName(LPCSTR name) {
    if (!name) return 0;
    return WriteSpectrineRegString("Calibration", "Win98Profile", name);
}

VLTUTIL_API int GetWin98ProfileName0(LPSTR out, DWORD size, int monitor) {
    return GetSpectrineRegString("Calibration",
                                 vlt::monitorValueName("Win98Profile", monitor).c_str(), out, size);
}

VLTUTIL_API int WriteWin98ProfileName0(LPCSTR name, int monitor) {
    if (!name) return 0;
    return WriteSpectrineRegString("Calibration",
                                   vlt::monitorValueName("Win98Profile", monitor).c_str(), name);
}

VLTUTIL_API int GetSpectrineMonitorICMName(LPSTR out, DWORD size) {
    return GetSpectrineMonitorICMName0(out, size, 0);
}

VLTUTIL_API int GetSpectrineMonitorICMName0(LPSTR out, DWORD size, int monitor) {
    return GetSpectrineRegString(vlt::icm::kRecordKey,
                                 vlt::icm::recordValueName("MonitorICMProfile", monitor).c_str(),
                                 out, size);
}
