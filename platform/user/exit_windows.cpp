// ExitWindowsEx: the request goes to the reboot handler; Linux is never restarted from here.
#include <cstdio>

#include "exit_windows.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

BOOL recordOnly(UINT flags, void*) {
    std::fprintf(stderr, "ExitWindowsEx(0x%x) requested: the system is not restarted\n", flags);
    return TRUE;
}

}  // namespace

HandlerSlot<WinplatRebootHandler>& rebootHandler() {
    static HandlerSlot<WinplatRebootHandler> slot;
    return slot;
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API WinplatRebootHandler WinplatSetRebootHandler(WinplatRebootHandler handler, void* ctx) {
    return rebootHandler().set(handler, ctx);
}

WINPLAT_API BOOL ExitWindowsEx(UINT uFlags, DWORD) {
    auto [handler, context] = rebootHandler().get(recordOnly);
    return handler(uFlags, context);
}
