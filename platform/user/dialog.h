// The dialog manager's share between its files (internal): what each dialog keeps behind its
// DWLP_USER bytes, and the creation that the message box and the sheets use too.
#pragma once

#include <span>
#include <string>

#include "win32.h"

namespace winplat::detail {

// Kept in the "#32770" extra bytes after DWLP_USER, dropped at WM_NCDESTROY.
struct DialogInfo {
    HFONT font = nullptr;  // the template's font, deleted with the dialog
    int baseX = 8;         // dialog base units: average width, height
    int baseY = 16;
    bool modal = false;
    bool ended = false;
    INT_PTR result = 0;
    HWND focus = nullptr;  // the control to give the focus back to on activation
};
constexpr int kDialogInfoOffset = DWLP_USER + 8;

// The dialog's information, or null for a window that is no dialog of the manager's.
DialogInfo* dialogInfo(HWND dialog);
void dropDialogInfo(HWND dialog);

struct DialogTemplate;

// The DLGTEMPLATE(EX) bytes of an in-memory template: the caller vouches for them as Win32
// does; the reader stops at their end.
std::span<const BYTE> memoryTemplate(LPCDLGTEMPLATEA t);

// Creates a dialog from template bytes (hidden when `modal`, shown after the hook otherwise
// when the template says WS_VISIBLE); null when the bytes are no template or a control fails.
HWND createDialog(HINSTANCE instance, std::span<const BYTE> bytes, HWND owner, DLGPROC proc, LPARAM param,
                  LPCSTR templateName, bool modal);
// The same from a template already read (and perhaps changed, as sheets change their pages').
HWND createDialog(HINSTANCE instance, const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param,
                  LPCSTR templateName, bool modal);
// Runs a created modal dialog's loop with its owner disabled, destroys it and returns
// EndDialog's value (-1 without a dialog).
INT_PTR runModal(HWND dialog, HWND owner);

// The control that gets the focus first: the first visible, enabled WS_TABSTOP child.
HWND firstTabStop(HWND dialog);

}  // namespace winplat::detail
