// Names and model records of monitors that identify themselves by EDID through the
// plug-and-play keys of the 95 family.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "pnp_walk.h"
#include "records_internal.h"
#include "vltutil.h"

namespace vlt {

int pnpModelRecord(int monitor, char* out, DWORD size) {
    if (!out || size == 0) return 0;
    out[0] = '\0';
    std::optional<pnp::EdidMonitor> found = pnp::monitorEdid(monitor);
    if (!found) return 0;
    return buildEdidRecord(found->edid.data(), found->edid.size(), found->description.c_str(), out, size)
               ? 1
               : 0;
}

}  // namespace vlt

VLTUTIL_API int GetWindowsMonitorName0(LPSTR out, DWORD size, int monitor) {
    if (!out || size == 0) return 0;
    out[0] = '\0';
    std::optional<vlt::pnp::EdidMonitor> found = vlt::pnp::recogniseEdidMonitor(monitor);
    if (!found) return 0;
    const std::string key = SPECTRINE_PNP_MONITOR_PREFIX " " + found->description;
    const size_t length = std::min<size_t>(key.size(), size - 1);
    std::memcpy(out, key.data(), length);
    out[length] = '\0';
    return 1;
}

VLTUTIL_API int GetWindowsMonitorName(LPSTR out, DWORD size) { return GetWindowsMonitorName0(out, size, 0); }
