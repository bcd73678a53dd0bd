// The logo pictures the wizard shows from bitmap files beside the program: the file the OEM
// setting names for a picture, else the built-in name.
#pragma once

#include <string>

#include "win32.h"

namespace huevista {

// The folder of `programPath` with its trailing separator.
std::string folderOf(const std::string& programPath);
// The bitmap file for picture `key` ("MainLogo", ...): GetSpectrineOEMString's file, else
// `builtIn`, in the program's folder.
std::string logoFile(const std::string& programPath, const char* key, const char* builtIn);
// The bitmap of that file; null when it cannot be loaded.
HBITMAP loadLogo(const std::string& programPath, const char* key, const char* builtIn);

}  // namespace huevista
