// Writing one monitor profile into the system colour directory through kalvicm, registering it
// with the colour management and, for the monitor's default, telling the plug-in extensions.
#pragma once

#include <optional>
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

// Writes and registers the profile. Failures are shown as messages; false when no file was
// written.
bool writeProfile(const ProfileRequest& request);

}  // namespace builder
