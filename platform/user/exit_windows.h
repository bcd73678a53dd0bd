// The reboot handler behind ExitWindowsEx (internal).
#pragma once

#include "handler_slot.h"
#include "winplat.h"

namespace winplat::detail {

HandlerSlot<WinplatRebootHandler>& rebootHandler();

}  // namespace winplat::detail
