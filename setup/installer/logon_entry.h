// What starts the suite at logon: the Run value of the display colour control program (the
// Windows family's list of programs started at logon) and the XDG autostart entry that runs the
// logon runner, which starts the Run key's commands, when the desktop session starts.
#pragma once

#include <string>

#include "install_steps.h"

namespace installer {

// "<XDG_CONFIG_HOME or ~/.config>/autostart/spectrine-logon.desktop"; empty when neither
// names an absolute folder.
std::string autostartEntryPath();

// The desktop entry that runs `<suite>/logon --root <root>`; false (with `why`) for paths a
// desktop entry cannot carry (control characters).
bool autostartEntry(const std::string& suiteFolder, const std::string& root, std::string& text, std::string& why);

// Writes HKEY_LOCAL_MACHINE Run "Spectrine Control Panel" = "<suite>/vltpanel" when that
// program is in the suite folder (its presence is what the printer side checks).
bool writeRunValue(const std::string& suiteFolder, Report& report);

// Writes the autostart entry (replacing one already there).
bool writeAutostartEntry(const std::string& suiteFolder, const std::string& root, Report& report);

}  // namespace installer
