// Programs of the machine (internal): finding a program by the name a Windows caller gives it,
// and starting one in the background without a shell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "win32.h"

namespace winplat::detail {

// The executable file a program name stands for, or empty. A name with a folder is that file
// (components matched ignoring case); a bare name is looked for in the running program's
// folder, the suite folder, then $PATH. A name ending in ".exe" that is not found as given is
// looked for without its extension ("control.exe" is the suite's `control`).
std::string findProgram(std::string_view name);

// The executable file of a bare name on $PATH alone, or empty.
std::string findOnPath(std::string_view name);

// Starts `file` (a path) with `arguments` as argv[1]..., in the background and without a shell,
// in a process of its own that the caller never waits for. Descriptors other than the standard
// three stay behind. ERROR_SUCCESS, or the Win32 code of why the program could not start
// (ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_FORMAT, ...).
DWORD startDetached(const std::string& file, const std::vector<std::string>& arguments);

}  // namespace winplat::detail
