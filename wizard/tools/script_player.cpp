#include "script_player.h"

#include <ostream>

#include "calibration_record.h"
#include "resource_ids.h"
#include "wizard_windows.h"

namespace huevista::drive {

ScriptPlayer::ScriptPlayer(HANDLE process, std::ostream& out, DriveTimeouts timeouts)
    : process_(process), out_(out), timeouts_(timeouts) {}

bool ScriptPlayer::running() const {
    DWORD code = 0;
    return GetExitCodeProcess(process_, &code) && code == STILL_ACTIVE;
}

// Polls `done` until it holds, the wizard ends or the time is up.
template <typename Done>
bool ScriptPlayer::waitFor(Done done, DWORD timeout) const {
    const DWORD start = GetTickCount();
    while (true) {
        if (done()) return true;
        if (!running() || GetTickCount() - start > timeout) return false;
        Sleep(10);
    }
}

bool ScriptPlayer::fail(const std::string& why) {
    failure_ = where_ + ": " + why;
    if (!running()) failure_ += " (the wizard has ended)";
    return false;
}

bool ScriptPlayer::run(const std::vector<DebugValues>& monitors) {
    where_ = "start";
    if (!exchange_.ready()) return fail("the shared block \"HuevistaDebug\" cannot be made");
    if (!waitFor([&] { return (main_ = findMainDialog()) != nullptr; }, timeouts_.window))
        return fail("the wizard's main dialog \"Spectrine Huevista\" did not show");
    for (size_t m = 0; m < monitors.size(); ++m)
        if (!driveMonitor(m, monitors[m], m + 1 == monitors.size())) return false;
    return true;
}

bool ScriptPlayer::driveMonitor(size_t monitor, const DebugValues& values, bool last) {
    const std::string name = "monitor " + std::to_string(monitor + 1);
    where_ = name + ", step \"Setup\"";
    if (!waitFor([&] { return onSetup(main_) && activeStep(main_); }, timeouts_.step))
        return fail("the wizard is not on Setup");
    if (!exchange_.import(main_, values)) return fail("the wizard did not take the import");
    out_ << name << ": imported " << describe(values) << std::endl;
    if (!checkExport(values) || !chooseDisplayType(values[kDisplayType])) return false;
    while (true) {
        where_ = name + ", step \"" + stepTitle(main_) + "\"";
        if (onSetup(main_)) {
            where_ = name;
            if (last) return fail("the wizard moved on to the Setup of another monitor; the script has no more");
            return true;
        }
        if (!checkExport(values)) return false;
        const bool finish = forwardIsFinish(main_);
        if (finish && !last) return fail("the wizard has fewer monitors than the script");
        out_ << name << ": " << stepTitle(main_) << std::endl;
        if (!pressForward()) return false;
        if (finish) return true;
    }
}

bool ScriptPlayer::checkExport(const DebugValues& values) {
    const auto exported = exchange_.exportFrom(main_);
    if (!exported) return fail("the wizard did not answer the export");
    if (*exported != values) return fail("the export differs from the script: " + describe(*exported, &values));
    return true;
}

// The picture of the display type, clicked: its notification to the step.
bool ScriptPlayer::chooseDisplayType(int type) {
    HWND step = activeStep(main_);
    if (type < kCrt || type > kNotebook) return fail("no display type " + std::to_string(type));
    PostMessageA(step, WM_COMMAND, MAKEWPARAM(IDC_CRT + type, BN_CLICKED), 0);
    if (!waitFor([&] { HWND now = activeStep(main_); return now && now != step; }, timeouts_.step))
        return fail("choosing the display type did not move on");
    return true;
}

// The forward button pressed once it may be, then waiting until the next step is up (or,
// after Finish, until the wizard ends); boxes on the way are answered.
bool ScriptPlayer::pressForward() {
    HWND button = nullptr;
    if (!waitFor([&] { button = forwardButton(main_); return button && IsWindowVisible(button) && IsWindowEnabled(button); },
                 timeouts_.step))
        return fail("the forward button stays unavailable");
    const bool finish = forwardIsFinish(main_);
    HWND step = activeStep(main_);
    PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDC_NEXT, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    bool answered = true;
    const bool moved = waitFor(
        [&] {
            if (HWND box = openBox(main_)) return !(answered = answerBox(box));
            HWND now = activeStep(main_);
            return now && now != step;
        },
        timeouts_.step);
    if (!answered) return false;
    if (finish) return true;  // the wizard ends; its exit code tells the rest
    return moved || fail("pressing Next did not move on");
}

// A warning is answered "Continue"; anything else fails the drive.
bool ScriptPlayer::answerBox(HWND box) {
    const std::string text = boxText(box);
    if (!hasButton(box, "&Continue")) return fail("the wizard shows a box: \"" + text + "\"");
    std::string line = text;
    for (char& c : line)
        if (c == '\n') c = ' ';
    out_ << where_ << ": warning \"" << line << "\": Continue" << std::endl;
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    waitFor([&] { return !IsWindow(box); }, timeouts_.step);
    return true;
}

void ScriptPlayer::abandon() {
    if (!main_ || !running()) return;
    const DWORD limit = 10000;
    if (HWND box = openBox(main_); box && !hasButton(box, "&Yes")) {
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        waitFor([&] { return !IsWindow(box); }, limit);
    }
    PostMessageA(main_, WM_COMMAND, IDCANCEL, 0);
    HWND question = nullptr;
    if (waitFor([&] { return (question = openBox(main_)) != nullptr && hasButton(question, "&Yes"); }, limit))
        PostMessageA(question, WM_COMMAND, IDOK, 0);
    waitFor([] { return false; }, limit);  // until the wizard ends
}

}  // namespace huevista::drive
