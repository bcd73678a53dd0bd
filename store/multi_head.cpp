// IsMultiHeaded and the monitor count: from the monitor table on multiple-monitor systems,
// from the OEM extension elsewhere.
#include "multi_head.h"

#include <algorithm>

#include "process_state.h"
#include "vltutil.h"

namespace {

// The OEM extension's "OEMIsMultiHeaded" (size of one display, size of the desktop, count):
// all zero and not multi-headed without the extension.
vlt::OemMultiHead askOemExtension(const vlt::ProcessState& state) {
    vlt::OemMultiHead answer;
    if (!state.oem) return answer;
    int display[2] = {0, 0}, desktop[2] = {0, 0}, count = 0;
    answer.multiHeaded = state.oem->isMultiHeaded(display, desktop, &count) != 0;
    answer.displayWidth = display[0];
    answer.displayHeight = display[1];
    answer.desktopWidth = desktop[0];
    answer.desktopHeight = desktop[1];
    answer.count = count;
    return answer;
}

MONITORRECT rectangleOf(const vlt::MonitorTableEntry& e) { return {e.left, e.top, e.width, e.height}; }

}  // namespace

namespace vlt {

int layOutDisplayGrid(const OemMultiHead& answer, LPMONITORRECT out, int capacity) {
    if (!out || capacity <= 0 || answer.count <= 0 || answer.displayWidth <= 0 ||
        answer.displayHeight <= 0)
        return 0;
    const long long columns = answer.desktopWidth / answer.displayWidth;
    const long long rows = answer.desktopHeight / answer.displayHeight;
    if (columns <= 0 || rows <= 0) return 0;
    const long long cells = columns * rows;
    const int written = static_cast<int>(std::min<long long>({cells, answer.count, capacity}));
    for (int i = 0; i < written; ++i) {
        const auto column = static_cast<LONG>(i % columns);
        const auto row = static_cast<LONG>(i / columns);
        out[i] = {column * answer.displayWidth, row * answer.displayHeight, answer.displayWidth,
                  answer.displayHeight};
    }
    return written;
}

}  // namespace vlt

VLTUTIL_API int IsMultiHeaded(LPMONITORRECT rectangles, LPMONITORRECT desktop, int* count) {
    const int capacity = rectangles && count && *count > 0 ? *count : 0;
    const vlt::ProcessState& state = vlt::processState();
    if (state.family == vlt::SystemFamily::MultiMonitor) {
        const vlt::MonitorTable& table = state.monitors;
        const int written = std::min(capacity, table.recorded());
        for (int i = 0; i < written; ++i) rectangles[i] = rectangleOf(table.entries[static_cast<size_t>(i)]);
        if (desktop) *desktop = {table.desktopLeft, table.desktopTop, table.desktopWidth, table.desktopHeight};
        if (count) *count = table.count;
        return table.count > 1 ? 1 : 0;
    }
    const vlt::OemMultiHead answer = askOemExtension(state);
    if (answer.displayWidth <= 0 || answer.displayHeight <= 0 || answer.desktopWidth <= 0 ||
        answer.desktopHeight <= 0) {
        // No extension, or one that gives no grid: the screen is the one monitor.
        const vlt::MonitorTableEntry& screen = state.monitors.entries[0];
        const MONITORRECT whole{0, 0, screen.width, screen.height};
        if (capacity > 0) rectangles[0] = whole;
        if (desktop) *desktop = whole;
        if (count) *count = 1;
        return 0;
    }
    vlt::layOutDisplayGrid(answer, rectangles, capacity);
    if (desktop) *desktop = {0, 0, answer.desktopWidth, answer.desktopHeight};
    if (count) *count = answer.count;
    return answer.multiHeaded ? 1 : 0;
}

VLTUTIL_API int GetSpectrineNbMonitors(void) {
    int count = 0;
    return IsMultiHeaded(nullptr, nullptr, &count) ? count : 1;
}
