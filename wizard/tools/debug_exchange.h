// The driving side of the wizard's debug exchange: the named block "HuevistaDebug" (1024 bytes,
// the sixteen integers at its start) held open for the tool's life, and the registered message
// "HuevistaDebug" sent to the wizard's main dialog: wParam 1 imports the block into the
// wizard's working record, wParam 0 exports the record into it. The wizard touches the block
// only while it handles the message, so a synchronous send sees consistent values.
#pragma once

#include <optional>

#include "debug_values.h"
#include "win32_holders.h"

namespace huevista::drive {

class DebugExchange {
public:
    // Creates or opens the block; check with ready().
    DebugExchange();
    ~DebugExchange();
    DebugExchange(const DebugExchange&) = delete;
    DebugExchange& operator=(const DebugExchange&) = delete;

    bool ready() const { return view_ != nullptr && message_ != 0; }

    // Writes `values` into the block and has the wizard take them; false when the wizard did
    // not answer 1.
    bool import(HWND wizard, const DebugValues& values);
    // Has the wizard write its working record into the block and reads it; nothing when the
    // wizard did not answer 1.
    std::optional<DebugValues> exportFrom(HWND wizard);

private:
    winplat::FileHandle mapping_;
    void* view_ = nullptr;
    UINT message_ = 0;
};

}  // namespace huevista::drive
