// The wizard's calls to the system's help viewer and to the shell's default handler, each
// through one function with a replaceable handler, as the platform's WinHelpA and ShellExecuteA
// take theirs. Until the platform offers those calls, the defaults below stand in for them;
// then each default becomes that one call.
#pragma once

#include "win32.h"
#include "win32_extras.h"

// Receives every help request: the help file (".hlp"), HELP_CONTEXT or HELP_CONTENTS and the
// context number; returns whether help was shown.
typedef BOOL (*HuevistaHelpHandler)(HWND owner, LPCSTR file, UINT command, ULONG_PTR data, void* ctx);
// Receives every request to open a document or address with the shell's default handler.
typedef BOOL (*HuevistaShellHandler)(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, void* ctx);

namespace huevista {

// Installs a handler (null restores the default); returns the previous one.
HuevistaHelpHandler setHelpHandler(HuevistaHelpHandler handler, void* ctx);
HuevistaShellHandler setShellHandler(HuevistaShellHandler handler, void* ctx);

// Opens help: the HTML page beside `file` (its ".html"), at the anchor of the context number
// for HELP_CONTEXT. FALSE when there is no page.
BOOL showHelp(HWND owner, const char* file, UINT command, ULONG_PTR data);
// Opens `file` (a document or web address) with the desktop's default handler.
BOOL openWithShell(HWND owner, const char* file);

}  // namespace huevista
