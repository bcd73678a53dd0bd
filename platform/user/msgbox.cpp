// Message boxes: a process-wide handler receives every MessageBoxA call. Without a GUI the
// default handler writes the text to standard error and answers the default button.
#include <cstdio>
#include <mutex>
#include <vector>

#include "detail.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

struct MessageBoxHandlerSlot {
    std::mutex mutex;
    WinplatMessageBoxHandler handler = nullptr;
    void* context = nullptr;
};

MessageBoxHandlerSlot& messageBoxHandler() {
    static MessageBoxHandlerSlot slot;
    return slot;
}

// The buttons of a message box type, left to right; empty for an unknown type.
std::vector<int> buttonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return {IDOK};
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {};
    }
}

// Without a GUI: the text goes to standard error and the default button answers.
int defaultMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT type, void*) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::vector<int> buttons = buttonsOf(type);
    size_t index = (type & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API WinplatMessageBoxHandler WinplatSetMessageBoxHandler(WinplatMessageBoxHandler handler,
                                                                 void* context) {
    MessageBoxHandlerSlot& slot = messageBoxHandler();
    std::lock_guard lock(slot.mutex);
    WinplatMessageBoxHandler previous = slot.handler;
    slot.handler = handler;
    slot.context = handler ? context : nullptr;
    return previous;
}

WINPLAT_API int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    if (buttonsOf(uType).empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    WinplatMessageBoxHandler handler;
    void* context;
    {
        MessageBoxHandlerSlot& slot = messageBoxHandler();
        std::lock_guard lock(slot.mutex);
        handler = slot.handler ? slot.handler : defaultMessageBox;
        context = slot.context;
    }
    return handler(hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType, context);
}
