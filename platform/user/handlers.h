// The replaceable handlers of winplat.h that user/ and shell/ call (internal).
#pragma once

#include "handler_slot.h"
#include "winplat.h"

namespace winplat::detail {

HandlerSlot<WinplatDialogHook>& dialogHook();
HandlerSlot<WinplatPopupMenuHandler>& popupMenuHandler();
HandlerSlot<WinplatSoundHandler>& soundHandler();
HandlerSlot<WinplatHelpHandler>& helpHandler();
HandlerSlot<WinplatShellExecuteHandler>& shellExecuteHandler();
// Forgets every installed handler (WinplatResetProcessState).
void resetHandlers();
// Calls the dialog hook, when one is installed.
void runDialogHook(HWND dialog, HINSTANCE instance, LPCSTR templateName);
// Hands a sound to the sound handler.
BOOL playSound(LPCSTR name, HMODULE module, DWORD flags);

}  // namespace winplat::detail
