// The pointer: its position on the desktop, read from and moved on the display backend. A
// position given to SetCursorPos is first kept on a monitor, as Windows keeps the pointer on
// the desktop's monitors.
#include <algorithm>
#include <cmath>

#include "detail.h"
#include "display_backend.h"

namespace winplat::detail {
namespace {

// The point of the monitors nearest to `p` (itself when it lies on one); on a tie, the first
// monitor in the suite's order.
POINT nearestOnMonitors(const std::vector<MonitorDesc>& monitors, POINT p) {
    POINT best = p;
    // In doubles: the squares of distances from the far ends of the int range exceed 64 bits.
    double bestDistance = HUGE_VAL;
    for (const MonitorDesc& m : monitors) {
        POINT q{std::clamp(p.x, m.rect.left, m.rect.right - 1),
                std::clamp(p.y, m.rect.top, m.rect.bottom - 1)};
        double dx = static_cast<double>(q.x) - p.x, dy = static_cast<double>(q.y) - p.y;
        double distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            best = q;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API BOOL GetCursorPos(LPPOINT lpPoint) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        if (!lpPoint) {
            SetLastError(ERROR_NOACCESS);
            return FALSE;
        }
        auto access = displayBackend();
        POINT where{};
        if (access.backend.monitors().empty() || !access.backend.cursorPosition(where)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        *lpPoint = where;
        return TRUE;
    });
}

WINPLAT_API BOOL SetCursorPos(int X, int Y) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        auto access = displayBackend();
        const auto& monitors = access.backend.monitors();
        if (monitors.empty() ||
            !access.backend.moveCursor(nearestOnMonitors(monitors, POINT{X, Y}))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return TRUE;
    });
}
