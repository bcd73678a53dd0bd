// The wizard's About box (template 100, system-menu entry 16 or Ctrl+A): the about logo, the
// version texts, the web address (opened with the shell's default handler when clicked) and
// "Disable logo during start up", read and written through the store.
#pragma once

#include <string>

#include "win32.h"

namespace huevista {

void runAboutBox(HINSTANCE instance, HWND owner, const std::string& programPath);

}  // namespace huevista
