#include "debug_client.h"

namespace huevista::drive {

bool DebugClient::import(HWND wizard, const DebugValues& values) {
    if (!ready()) return false;
    block_.write(values);
    return SendMessageA(wizard, debugExchangeMessage(), 1, 0) == 1;
}

std::optional<DebugValues> DebugClient::exportFrom(HWND wizard) {
    if (!ready()) return std::nullopt;
    DebugValues marker;
    marker.fill(static_cast<int32_t>(0xdeadbeef));
    block_.write(marker);
    if (SendMessageA(wizard, debugExchangeMessage(), 0, 0) != 1) return std::nullopt;
    return block_.read();
}

}  // namespace huevista::drive
