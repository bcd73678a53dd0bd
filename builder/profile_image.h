// One monitor profile laid out in memory, file bytes and all, by the profile writer's own code
// (kalvicm's Profile, compiled in): the family is written to disk only once every member is
// made, so that the waits for the disk overlap.
#pragma once

#include <string>
#include <vector>

#include "profile_content.h"

namespace builder {

struct ProfileImage {
    bool created = false;               // false: no profile could be made
    std::string bytes;                  // the whole file (empty only when memory ran out)
    std::vector<std::string> warnings;  // the messages making it gave, in order, not yet shown
};

// The profile of `content`, created now: the template header with the illuminant, intent,
// manufacturer and model of `content`, then the eleven tags in their order. A tag that cannot
// be added gives "Error %d creating tag\n" and the work goes on; a profile that cannot be
// created at all, "Error %d creating ICM\n".
ProfileImage layOutProfile(const ProfileContent& content);

}  // namespace builder
