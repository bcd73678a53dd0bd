// Writing a file so that its path always names either the old file or the complete new one.
#pragma once

#include <cstdint>
#include <span>

namespace kalvicm {

// Writes `bytes` to a new file in the directory of `path` (Windows or Linux separators) and
// renames it over `path`, replacing any file there. On failure the temporary file is removed,
// any old file at `path` is left untouched, and false is returned.
bool replaceFile(const char* path, std::span<const std::uint8_t> bytes);

}  // namespace kalvicm
