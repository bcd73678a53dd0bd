#include "family_names.h"

#include <cstdio>

#include "ascii_case.h"

namespace vlt {

namespace {

struct FixedName {
    FamilyMember member;
    const char* stem;
    const char* extension;
};
constexpr FixedName kFixedNames[] = {
    {FamilyMember::Spectrine95, "Spectrine95", ".icm"},
    {FamilyMember::Netvivid, "Netvivid", ".icc"},
    {FamilyMember::Pantone, "Pantone", ".icc"},
};

// " 2" for monitor 1; empty for monitor 0. (snprintf rather than std::to_string, whose digit
// table would be a unique symbol that keeps a library from ever being unloaded.)
std::string monitorNumber(int monitor) {
    if (monitor < 1) return {};
    char text[16];
    std::snprintf(text, sizeof text, " %lld", static_cast<long long>(monitor) + 1);
    return text;
}

}  // namespace

std::string familyFileName(FamilyMember member, int monitor, std::string_view datedName) {
    const std::string number = monitorNumber(monitor);
    for (const FixedName& fixed : kFixedNames)
        if (fixed.member == member) return fixed.stem + number + fixed.extension;
    const std::size_t room = kProfileNameLimit - number.size();
    return std::string(datedName.substr(0, room)) + number + ".icm";
}

std::optional<FamilyMember> fixedFamilyMember(std::string_view fileName, int monitor) {
    for (const FixedName& fixed : kFixedNames)
        if (winplat::equalsIgnoringCase(fileName, familyFileName(fixed.member, monitor))) return fixed.member;
    return std::nullopt;
}

}  // namespace vlt
