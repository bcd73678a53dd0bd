// The file names of a monitor's profile family, the one place they are made. Compiled into
// the store, the builders and the installer (not exported): every module that names a family
// file asks here, so that the builders write, the store registers and the status check
// compares the same names.
//
// Monitor 0 keeps the names the suite has always used ("Spectrine95.icm", "Netvivid.icc",
// "Pantone.icc" and the dated name + ".icm"), which registrations, recorded names and other
// programs rely on. Monitor n >= 1 carries its number, counted from 1 as the user counts
// screens, before the extension: "Netvivid 2.icc" is the second monitor's, so two monitors
// never share a file even when they are of one model calibrated in the same minute.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vlt {

// The members of a family, numbered as the default-profile selector numbers them.
enum class FamilyMember : int { Spectrine95 = 0, Netvivid = 1, Pantone = 2, Dated = 3 };

// Longest name before the ".icm" of a profile the builders name: with it a file name stays
// within the 255 bytes a file system takes.
inline constexpr std::size_t kProfileNameLimit = 251;

// The file name (in the colour directory) of `member` for monitor n; a monitor number below 1
// is monitor 0. The dated member is `datedName` (the name before ".icm"), cut so that the
// whole name before ".icm", the number included, holds at most kProfileNameLimit bytes; the
// fixed members ignore it.
std::string familyFileName(FamilyMember member, int monitor, std::string_view datedName = {});

// The fixed member whose name for monitor n `fileName` is (case ignored, as the system compares
// file names); nothing for any other name, dated names included.
std::optional<FamilyMember> fixedFamilyMember(std::string_view fileName, int monitor = 0);

}  // namespace vlt
