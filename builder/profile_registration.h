// Registering a written profile with the colour management, and the plug-in record of the
// monitor's default profile.
#pragma once

#include <string>

#include "profforge.h"

namespace builder {

inline constexpr char kSrgbProfile[] = "sRGB Color Space Profile.icm";

// Not default: registered with make-default 0. Default: when ChecksRGB of the default index,
// the temperature and the gammas says so, the profile is registered without being the default
// and the system's sRGB profile becomes the default instead; otherwise the profile becomes the
// default. Either way the plug-in extensions then receive the plug-in record.
void registerProfile(const std::string& path, const ICCMONITORPARMS& parms, bool isDefault,
                     int monitor, DWORD temperature);

// The record handed to the plug-in extensions: the parameters, the temperature and monitor n's
// default profile as the store recorded it.
PLUGINRECORD makePlugInRecord(const ICCMONITORPARMS& parms, DWORD temperature, int monitor);

}  // namespace builder
