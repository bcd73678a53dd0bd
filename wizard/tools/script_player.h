// Drives a running wizard from another process through its calibration: for each monitor the
// script's values are imported on Setup, the display type is chosen as a click on its picture
// would choose it, and the forward button is pressed step after step; after each step comes up
// the wizard's export must equal what was imported. Presses are posted, so that a box the step
// opens (a warning) does not hold the driver: warnings are answered "Continue", any other box
// fails the drive. The last monitor ends on Done!, where Finish is pressed.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "debug_client.h"

namespace huevista::drive {

struct DriveTimeouts {
    DWORD window = 60000;  // for the main dialog to show
    DWORD step = 60000;    // for a press to take effect (finishing writes every profile)
};

class ScriptPlayer {
public:
    // `process` is the wizard's (its exit ends every wait); progress lines go to `out`.
    ScriptPlayer(HANDLE process, std::ostream& out, DriveTimeouts timeouts = {});

    // Plays the script up to Finish; false with failure() naming the monitor and the step.
    bool run(const std::vector<DebugValues>& monitors);
    const std::string& failure() const { return failure_; }

    // After a failure: cancels the wizard as a user would (closing any box, Cancel, Yes), so
    // that it gives the monitors their old ramps back and ends.
    void abandon();

private:
    bool driveMonitor(size_t monitor, const DebugValues& values, bool last);
    bool chooseDisplayType(int type);
    bool pressForward();
    bool checkExport(const DebugValues& values);
    bool answerBox(HWND box);
    bool fail(const std::string& why);
    bool running() const;
    template <typename Done>
    bool waitFor(Done done, DWORD timeout) const;

    HANDLE process_;
    std::ostream& out_;
    DriveTimeouts timeouts_;
    DebugClient exchange_;
    HWND main_ = nullptr;
    std::string where_;  // "monitor n, step "title""
    std::string failure_;
};

}  // namespace huevista::drive
