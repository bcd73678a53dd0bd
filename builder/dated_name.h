// The name of the profile that says what it holds: monitor, temperature, overall gamma and,
// unless "NoDateInProfileName" is set, the time it was made.
#pragma once

#include <string>

#include "profile_writer.h"
#include "win32.h"

namespace builder {

// " .Dec 07 1999 - 06 05 PM" for 7 December 1999 at 18:05 (English month names, 12-hour
// clock); empty when "Settings" "NoDateInProfileName" reads as non-zero.
std::string dateSuffix(const SYSTEMTIME& now);
// "<manufacturer> <model> <temperature>K G<overall gamma><suffix>", without the manufacturer
// when it begins with "PnP"; \ / : * ? < > | and '"' become '_'. The overall gamma is the one
// the store keeps, the time the local time; at most kProfileNameLimit characters.
std::string datedProfileName(const char* manufacturer, const char* model, DWORD temperature);

}  // namespace builder
