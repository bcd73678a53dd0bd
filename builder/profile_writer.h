// Writing monitor profiles into the system colour directory, registering them with the colour
// management and, for the monitor's default, telling the plug-in extensions.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "family_names.h"
#include "profforge.h"
#include "profile_content.h"

namespace builder {

// Longest profile name before its ".icm" (the family's names keep to it as well).
using vlt::kProfileNameLimit;

struct ProfileRequest {
    const ICCMONITORPARMS* parms = nullptr;
    std::string fileName;  // in the colour directory, with its extension
    bool isDefault = false;
    int monitor = 0;
    DWORD scaleToD50 = 0;  // the "ScaleToD50" value to make it with
    // The summary's lighting name when the caller has read it for several profiles; read from
    // the reference file when absent.
    std::optional<std::string> lightingName;
    const CurveSet* curves = nullptr;  // a panel's own curves (profile_content.h)
};

// The lighting name of the summary: "Name_" + min(lighting index, 5) of the reference file,
// empty when absent.
std::string lightingName();

// "Settings" "ScaleToD50": its value when it reads as a REG_DWORD, else 0.
DWORD readScaleToD50();
// System directory + "\COLOR\" + fileName.
std::string colourDirectoryPath(const std::string& fileName);

// Asked after each profile of a group has had its turn (`written`: its file was replaced and
// registered): true to go on with the next one.
using AfterProfile = std::function<bool(size_t index, bool written)>;

// Writes the profiles of `requests`: every new file is made and safe on disk before the first
// one replaces its old file (the waits for the disk overlap); then, in order, each file is put
// in place and registered, its failures shown as messages, and `next` asked. When it answers
// false the files not yet in place keep their old content. False when it was stopped.
bool writeProfiles(std::span<const ProfileRequest> requests, const AfterProfile& next);

// Writes and registers one profile. Failures are shown as messages; false when no file was
// written.
bool writeProfile(const ProfileRequest& request);

}  // namespace builder
