// DOS wildcard masks for directory searches (internal).
#pragma once

#include <string_view>

namespace winplat::detail {

// Whether `name` matches `mask` as FindFirstFileA matches: ASCII case ignored, '*' any run of
// characters, '?' any one character; "x.*" also matches "x" (so "*.*" matches every name), and
// a mask ending in '.' matches names without an extension.
bool matchesDosMask(std::string_view mask, std::string_view name);

}  // namespace winplat::detail
