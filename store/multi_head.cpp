// IsMultiHeaded and the monitor count: from the monitor table on multiple-monitor systems,
// from the OEM extension elsewhere.
#include "multi_head.h"

#include <algorithm>

#include "process_state.h"
#include "vltutil.h"

namespace {

// The OEM extension's "OEMIsMultiHeaded" (size of one display, size of the desktop, count).
// This is the one place that asks it. The extension is not bound by this library yet, so the
// answer is the one for a system without the extension: all zero and not multi-headed.
vlt::OemMultiHead askOemExtension() { return {}; }

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
    const vlt::OemMultiHead answer = askOemExtension();
    vlt::layOutDisplayGrid(answer, rectangles, capacity);
    if (desktop) *desktop = {0, 0, answer.desktopWidth, answer.desktopHeight};
    if (count) *count = answer.count;
    return answer.multiHeaded ? 1 : 0;
}

VLTUTIL_API int GetSpectrineNbMonitors(void) {
    int count = 0;
    return IsMultiHeaded(nullptr, nullptr, &count) ? count : 1;
}
