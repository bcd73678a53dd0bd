// Path services shared by the file, find and INI parts of the platform layer (internal).
#pragma once

#include <string>
#include <string_view>

#include "win32.h"

namespace winplat::detail {

inline bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Linux path of a Windows-style path: '\' becomes '/', and each component that does not exist
// with its exact name is replaced by an existing entry of the same directory that matches
// case-insensitively. Components after the first missing one are kept as given. Relative paths
// stay relative to the working directory. An empty path gives an empty result.
std::string resolvePath(std::string_view path);

// `path` with the extension of its last component (from its last '.') replaced by `extension`
// (".icm", or "" to remove it), or with `extension` appended when that component has none.
// Dots in directory names are never taken for an extension.
std::string replaceExtension(std::string_view path, std::string_view extension);

// Position of the last component: one past the last separator of either kind (0 if none).
size_t lastComponentStart(std::string_view path);

// "<root>/WINDOWS" and "<root>/WINDOWS/SYSTEM".
std::string windowsDirectory();
std::string systemDirectory();

// Win32 error code for an errno from an operation on `nativePath`. A missing entry is
// ERROR_FILE_NOT_FOUND when its directory exists and ERROR_PATH_NOT_FOUND when it does not.
// `exists` is the code for EEXIST (ERROR_FILE_EXISTS or ERROR_ALREADY_EXISTS, by function).
DWORD errorFromErrno(int err, const std::string& nativePath = {},
                     DWORD exists = ERROR_ALREADY_EXISTS);

// Sets the last error from errno (as above) and returns FALSE, for one-line failure paths.
BOOL failWithErrno(int err, const std::string& nativePath = {},
                   DWORD exists = ERROR_ALREADY_EXISTS);

// Copies `text` as a Win32 "size query" function does: when it fits (with its terminator) it is
// copied and its length returned; otherwise nothing is written and the size needed (with the
// terminator) is returned.
DWORD copyOrRequiredSize(char* out, DWORD size, const std::string& text);

}  // namespace winplat::detail
