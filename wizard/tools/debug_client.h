// The driving side of the wizard's debug exchange: the block "HuevistaDebug" held open for the
// tool's life, and the registered message sent to the wizard's main dialog (wParam 1 imports
// the block into the working record, wParam 0 exports the record into it). The wizard touches
// the block only while it handles the message, so a synchronous send sees consistent values.
#pragma once

#include <optional>

#include "debug_exchange.h"
#include "debug_values.h"

namespace huevista::drive {

class DebugClient {
public:
    bool ready() const { return static_cast<bool>(block_) && debugExchangeMessage() != 0; }

    // Writes `values` into the block and has the wizard take them; false when the wizard did
    // not answer 1.
    bool import(HWND wizard, const DebugValues& values);
    // Has the wizard write its working record into the block and reads it; nothing when the
    // wizard did not answer 1.
    std::optional<DebugValues> exportFrom(HWND wizard);

private:
    DebugBlock block_;
};

}  // namespace huevista::drive
