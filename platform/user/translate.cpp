// TranslateMessage: key presses that type a character post WM_CHAR (WM_SYSCHAR with Alt) in
// Windows-1252, for the US keyboard layout.
#include <cstring>

#include "detail.h"
#include "queue.h"

namespace winplat::detail {
namespace {

// The character a key types with the given modifiers, or 0.
int characterOf(UINT vk, bool shift, bool caps, bool control) {
    if (vk >= 'A' && vk <= 'Z') {
        if (control) return static_cast<int>(vk - 'A' + 1);
        return (shift != caps) ? static_cast<int>(vk) : static_cast<int>(vk - 'A' + 'a');
    }
    if (control) return 0;
    if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : static_cast<int>(vk);
    if (vk >= 0x60 && vk <= 0x69) return static_cast<int>('0' + vk - 0x60);  // the number pad
    struct Key {
        UINT vk;
        char plain, shifted;
    } static const keys[] = {
        {VK_SPACE, ' ', ' '}, {VK_RETURN, '\r', '\r'}, {VK_BACK, '\b', '\b'}, {VK_TAB, '\t', '\t'},
        {VK_ESCAPE, 0x1B, 0x1B}, {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'},
        {0xBD, '-', '_'}, {0xBE, '.', '>'}, {0xBF, '/', '?'}, {0xC0, '`', '~'},
        {0xDB, '[', '{'}, {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'},
        {0x6A, '*', '*'}, {0x6B, '+', '+'}, {0x6D, '-', '-'}, {0x6E, '.', '.'}, {0x6F, '/', '/'},
    };
    for (const Key& k : keys)
        if (k.vk == vk) return static_cast<unsigned char>(shift ? k.shifted : k.plain);
    return 0;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API BOOL TranslateMessage(const MSG* lpMsg) {
    if (!lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)) return FALSE;
    bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
    bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
    int c = characterOf(static_cast<UINT>(lpMsg->wParam), shift, caps, control);
    if (!c) return FALSE;
    UINT message = lpMsg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    return PostMessageA(lpMsg->hwnd, message, static_cast<WPARAM>(c), lpMsg->lParam);
}
