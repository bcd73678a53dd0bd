// DOS wildcard matching.
#include "wildcard.h"

#include "ascii_case.h"

namespace winplat::detail {
namespace {

// '*' and '?' matching with one backtracking point: linear in practice, never exponential.
bool globMatch(std::string_view mask, std::string_view name) {
    size_t m = 0, n = 0;
    size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || asciiLower(mask[m]) == asciiLower(name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

}  // namespace

bool matchesDosMask(std::string_view mask, std::string_view name) {
    if (globMatch(mask, name)) return true;
    bool nameHasDot = name.find('.') != std::string_view::npos;
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" && !nameHasDot)
        return globMatch(mask.substr(0, mask.size() - 2), name);
    if (!mask.empty() && mask.back() == '.' && mask.find_first_not_of('.') != std::string_view::npos &&
        !nameHasDot) {
        while (!mask.empty() && mask.back() == '.') mask.remove_suffix(1);
        return globMatch(mask, name);
    }
    return false;
}

}  // namespace winplat::detail
