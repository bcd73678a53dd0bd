// Pure operations on path text: the last component and its extension. No file system access,
// no state: the tests compile this file in to check the helpers directly.
#include "paths.h"

namespace winplat::detail {

size_t lastComponentStart(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (isSeparator(path[i - 1])) return i;
    return 0;
}

std::string replaceExtension(std::string_view path, std::string_view extension) {
    size_t start = lastComponentStart(path);
    size_t dot = path.rfind('.');
    std::string result(path);
    if (dot != std::string_view::npos && dot >= start) result.resize(dot);
    result += extension;
    return result;
}

}  // namespace winplat::detail
