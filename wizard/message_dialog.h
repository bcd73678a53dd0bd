// The wizard's message dialog (template 186): a warning ("&Adjust" / "&Continue"), a question
// ("&Yes" / "&No", No focused) or a notice ("OK"), with the text in the 12-point font and the
// dialog grown to fit it.
#pragma once

#include <string>

#include "win32.h"
#include "wizard_host.h"

namespace huevista {

// IDOK for Adjust, Yes and OK; IDCANCEL for Continue and No.
int runMessageDialog(HINSTANCE instance, HWND owner, MessageKind kind, const std::string& text, HFONT font, HICON icon);

}  // namespace huevista
