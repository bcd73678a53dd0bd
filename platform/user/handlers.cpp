// The replaceable handlers of dialogs, popup menus, sounds, help and the shell, and MessageBeep.
#include "detail.h"
#include "handler_slot.h"
#include "handlers.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

BOOL silentSound(LPCSTR, HMODULE, DWORD, void*) { return TRUE; }

}  // namespace

HandlerSlot<WinplatDialogHook>& dialogHook() {
    static HandlerSlot<WinplatDialogHook> slot;
    return slot;
}

HandlerSlot<WinplatPopupMenuHandler>& popupMenuHandler() {
    static HandlerSlot<WinplatPopupMenuHandler> slot;
    return slot;
}

HandlerSlot<WinplatSoundHandler>& soundHandler() {
    static HandlerSlot<WinplatSoundHandler> slot;
    return slot;
}

HandlerSlot<WinplatHelpHandler>& helpHandler() {
    static HandlerSlot<WinplatHelpHandler> slot;
    return slot;
}

HandlerSlot<WinplatShellExecuteHandler>& shellExecuteHandler() {
    static HandlerSlot<WinplatShellExecuteHandler> slot;
    return slot;
}

void resetHandlers() {
    dialogHook().reset();
    popupMenuHandler().reset();
    soundHandler().reset();
    helpHandler().reset();
    shellExecuteHandler().reset();
}

void runDialogHook(HWND dialog, HINSTANCE instance, LPCSTR templateName) {
    auto [hook, context] = dialogHook().get();
    if (hook) hook(dialog, instance, templateName, context);
}

BOOL playSound(LPCSTR name, HMODULE module, DWORD flags) {
    auto [handler, context] = soundHandler().get(silentSound);
    return handler(name, module, flags, context);
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API WinplatDialogHook WinplatSetDialogHook(WinplatDialogHook hook, void* ctx) {
    return dialogHook().set(hook, ctx);
}

WINPLAT_API WinplatPopupMenuHandler WinplatSetPopupMenuHandler(WinplatPopupMenuHandler handler, void* ctx) {
    return popupMenuHandler().set(handler, ctx);
}

WINPLAT_API WinplatSoundHandler WinplatSetSoundHandler(WinplatSoundHandler handler, void* ctx) {
    return soundHandler().set(handler, ctx);
}

WINPLAT_API WinplatHelpHandler WinplatSetHelpHandler(WinplatHelpHandler handler, void* ctx) {
    return helpHandler().set(handler, ctx);
}

WINPLAT_API WinplatShellExecuteHandler WinplatSetShellExecuteHandler(WinplatShellExecuteHandler handler,
                                                                     void* ctx) {
    return shellExecuteHandler().set(handler, ctx);
}

WINPLAT_API BOOL PlaySoundA(LPCSTR pszSound, HMODULE hmod, DWORD fdwSound) {
    return playSound(pszSound, hmod, fdwSound);
}

WINPLAT_API BOOL MessageBeep(UINT uType) {
    const char* alias = ".Default";
    if (uType != 0xFFFFFFFF) {
        switch (uType & MB_ICONMASK) {
            case MB_ICONHAND: alias = "SystemHand"; break;
            case MB_ICONQUESTION: alias = "SystemQuestion"; break;
            case MB_ICONEXCLAMATION: alias = "SystemExclamation"; break;
            case MB_ICONASTERISK: alias = "SystemAsterisk"; break;
            default: alias = "SystemDefault"; break;
        }
    }
    return playSound(alias, nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
}
