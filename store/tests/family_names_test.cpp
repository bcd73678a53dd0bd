// The file names of a monitor's profile family: monitor 0's as the suite has always named them,
// every other monitor's numbered, the dated name kept within a file system's 255 bytes.
#include <gtest/gtest.h>

#include <string>

#include "family_names.h"

namespace {

using vlt::FamilyMember;

TEST(FamilyNames, EachMemberOfEachMonitor) {
    const std::string dated = "Twin 24 6500K G2.2 .Apr 05 2003 - 06 07 AM";
    const std::string longest(251, 'a');
    const struct {
        FamilyMember member;
        int monitor;
        std::string datedName, expected;
    } cases[] = {
        {FamilyMember::Spectrine95, 0, "", "Spectrine95.icm"},
        {FamilyMember::Dated, 0, dated, dated + ".icm"},
        {FamilyMember::Netvivid, 1, "", "Netvivid 2.icc"},
        {FamilyMember::Pantone, 9, "", "Pantone 10.icc"},
        {FamilyMember::Netvivid, -1, "", "Netvivid.icc"},
        {FamilyMember::Dated, 0, longest + "bc", longest + ".icm"},
        {FamilyMember::Dated, 1, longest, std::string(249, 'a') + " 2.icm"},
        {FamilyMember::Dated, 99, longest, std::string(247, 'a') + " 100.icm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(vlt::familyFileName(c.member, c.monitor, c.datedName), c.expected);
    }
    EXPECT_EQ(vlt::fixedFamilyMember("NETVIVID 2.ICC", 1), FamilyMember::Netvivid);
    EXPECT_EQ(vlt::fixedFamilyMember("Netvivid 2.icc", 0), std::nullopt);
}

}  // namespace
