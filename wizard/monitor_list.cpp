#include "monitor_list.h"

#include <algorithm>

#include "vltutil.h"

namespace huevista {
namespace {

constexpr int kMostMonitors = 9;  // the store's monitor table holds nine

RECT toRect(const MONITORRECT& r) { return RECT{r.left, r.top, r.left + r.width, r.top + r.height}; }

}  // namespace

MonitorList MonitorList::fromStore() {
    MonitorList list;
    int counted = 0;
    if (IsMultiHeaded(nullptr, nullptr, &counted) && counted > 0) {
        MONITORRECT rects[kMostMonitors] = {};
        MONITORRECT desktop{};
        int count = std::min(counted, kMostMonitors);
        const int capacity = count;
        if (IsMultiHeaded(rects, &desktop, &count)) {
            const int written = std::min(count, capacity);
            for (int i = 0; i < written; ++i) list.monitors.push_back(toRect(rects[i]));
            list.bounds = toRect(desktop);
        }
    }
    if (list.monitors.empty()) {
        const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        list.monitors.assign(1, screen);
        list.bounds = screen;
    }
    return list;
}

}  // namespace huevista
