// Qt keys as Win32 virtual keys (US layout).
#include <Qt>

#include "qt_state.h"

namespace winplat::qt {

unsigned virtualKeyOf(int key, bool keypad, bool& extended) {
    extended = false;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<unsigned>(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return keypad ? 0x60u + static_cast<unsigned>(key - Qt::Key_0) : static_cast<unsigned>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70u + static_cast<unsigned>(key - Qt::Key_F1);
    struct Pair {
        int qt;
        unsigned vk;
        bool extended;
    } static const pairs[] = {
        {Qt::Key_Shift, 0x10, false}, {Qt::Key_Control, 0x11, false}, {Qt::Key_Alt, 0x12, false},
        {Qt::Key_Return, 0x0D, false}, {Qt::Key_Enter, 0x0D, true}, {Qt::Key_Escape, 0x1B, false},
        {Qt::Key_Tab, 0x09, false}, {Qt::Key_Backtab, 0x09, false}, {Qt::Key_Backspace, 0x08, false},
        {Qt::Key_Space, 0x20, false}, {Qt::Key_Left, 0x25, true}, {Qt::Key_Up, 0x26, true},
        {Qt::Key_Right, 0x27, true}, {Qt::Key_Down, 0x28, true}, {Qt::Key_PageUp, 0x21, true},
        {Qt::Key_PageDown, 0x22, true}, {Qt::Key_Home, 0x24, true}, {Qt::Key_End, 0x23, true},
        {Qt::Key_Insert, 0x2D, true}, {Qt::Key_Delete, 0x2E, true}, {Qt::Key_CapsLock, 0x14, false},
        {Qt::Key_NumLock, 0x90, true}, {Qt::Key_Pause, 0x13, false},
        {Qt::Key_Semicolon, 0xBA, false}, {Qt::Key_Colon, 0xBA, false}, {Qt::Key_Equal, 0xBB, false},
        {Qt::Key_Plus, 0xBB, false}, {Qt::Key_Comma, 0xBC, false}, {Qt::Key_Less, 0xBC, false},
        {Qt::Key_Minus, 0xBD, false}, {Qt::Key_Underscore, 0xBD, false}, {Qt::Key_Period, 0xBE, false},
        {Qt::Key_Greater, 0xBE, false}, {Qt::Key_Slash, 0xBF, false}, {Qt::Key_Question, 0xBF, false},
        {Qt::Key_QuoteLeft, 0xC0, false}, {Qt::Key_AsciiTilde, 0xC0, false},
        {Qt::Key_BracketLeft, 0xDB, false}, {Qt::Key_BraceLeft, 0xDB, false},
        {Qt::Key_Backslash, 0xDC, false}, {Qt::Key_Bar, 0xDC, false},
        {Qt::Key_BracketRight, 0xDD, false}, {Qt::Key_BraceRight, 0xDD, false},
        {Qt::Key_Apostrophe, 0xDE, false}, {Qt::Key_QuoteDbl, 0xDE, false},
        {Qt::Key_Exclam, '1', false}, {Qt::Key_At, '2', false}, {Qt::Key_NumberSign, '3', false},
        {Qt::Key_Dollar, '4', false}, {Qt::Key_Percent, '5', false}, {Qt::Key_AsciiCircum, '6', false},
        {Qt::Key_Ampersand, '7', false}, {Qt::Key_Asterisk, '8', false}, {Qt::Key_ParenLeft, '9', false},
        {Qt::Key_ParenRight, '0', false},
    };
    for (const Pair& p : pairs)
        if (p.qt == key) {
            extended = p.extended && !(keypad && key != Qt::Key_Enter);
            if (keypad && key == Qt::Key_Asterisk) return 0x6A;
            if (keypad && key == Qt::Key_Plus) return 0x6B;
            if (keypad && key == Qt::Key_Minus) return 0x6D;
            if (keypad && key == Qt::Key_Period) return 0x6E;
            if (keypad && key == Qt::Key_Slash) return 0x6F;
            return p.vk;
        }
    return 0;
}

}  // namespace winplat::qt
