// Where the running program and the platform layer live (internal), for the searches that
// look beside the program first and in the suite's folder (the platform layer's) next.
#pragma once

#include <string>
#include <vector>

namespace winplat::detail {

// The running program's file, or empty when it cannot be read.
std::string programPath();
// The file of the platform layer's own library.
std::string platformLibraryPath();
// The folder part of a path ("." when it has none).
std::string folderOf(const std::string& path);
// An absolute, lexically normal path (the path itself when that fails).
std::string absolute(const std::string& path);
// The program's folder, then the suite's when it differs.
std::vector<std::string> programAndSuiteFolders();

}  // namespace winplat::detail
