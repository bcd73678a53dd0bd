// The file names of a monitor's profile family: monitor 0's as the suite has always named them,
// every other monitor's numbered, and the dated name kept within a file system's 255 bytes.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "family_names.h"

namespace {

using vlt::FamilyMember;

TEST(FamilyNames, EachMemberOfEachMonitor) {
    const std::string dated = "Twin 24 6500K G2.2 .Apr 05 2003 - 06 07 AM";
    const std::string longest(251, 'a');  // what the dated name is cut to
    const struct {
        FamilyMember member;
        int monitor;
        std::string datedName;
        std::string expected;
    } cases[] = {
        {FamilyMember::Spectrine95, 0, "", "Spectrine95.icm"},
        {FamilyMember::Netvivid, 0, dated, "Netvivid.icc"},
        {FamilyMember::Pantone, 0, "", "Pantone.icc"},
        {FamilyMember::Dated, 0, dated, dated + ".icm"},
        {FamilyMember::Spectrine95, 1, "", "Spectrine95 2.icm"},
        {FamilyMember::Netvivid, 1, "", "Netvivid 2.icc"},
        {FamilyMember::Pantone, 9, "", "Pantone 10.icc"},
        {FamilyMember::Dated, 1, dated, dated + " 2.icm"},
        {FamilyMember::Netvivid, -1, "", "Netvivid.icc"},
        {FamilyMember::Netvivid, INT_MAX, "", "Netvivid 2147483648.icc"},
        {FamilyMember::Dated, 0, longest, longest + ".icm"},
        {FamilyMember::Dated, 0, longest + "bc", longest + ".icm"},
        {FamilyMember::Dated, 1, longest, std::string(249, 'a') + " 2.icm"},
        {FamilyMember::Dated, 99, longest, std::string(247, 'a') + " 100.icm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(c.member) << " of monitor " << c.monitor << " "
                                          << c.datedName.size());
        const std::string name = vlt::familyFileName(c.member, c.monitor, c.datedName);
        EXPECT_EQ(name, c.expected);
        EXPECT_LE(name.size(), 255u);
    }
}

TEST(FamilyNames, TheFixedMemberOfAName) {
    const struct {
        const char* name;
        int monitor;
        std::optional<FamilyMember> expected;
    } cases[] = {
        {"Spectrine95.icm", 0, FamilyMember::Spectrine95},
        {"NETVIVID.ICC", 0, FamilyMember::Netvivid},
        {"pantone.icc", 0, FamilyMember::Pantone},
        {"Pantone 2.icc", 1, FamilyMember::Pantone},
        {"Pantone 2.icc", 0, std::nullopt},
        {"Pantone.icc", 1, std::nullopt},
        {"Netvivid.icm", 0, std::nullopt},
        {"Twin 24 6500K G2.2.icm", 0, std::nullopt},
        {"", 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << " of monitor " << c.monitor);
        EXPECT_EQ(vlt::fixedFamilyMember(c.name, c.monitor), c.expected);
    }
}

}  // namespace
