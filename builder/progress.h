// Progress of the profile family, sent synchronously to the caller's window as WM_USER with
// wParam = percent and lParam = 0. A window that answers non-zero asks to stop.
#pragma once

#include "win32.h"

namespace builder {

class Progress {
public:
    // `steps` steps make 100 percent; nothing is sent to a null window.
    Progress(HWND window, int steps) : window_(window), steps_(steps) {}

    // Sends 0. False when the window asks to stop.
    bool start();
    // Counts a step and sends counter x 100 / steps (the counter starts at -1, so the first
    // step sends 0 again). False when the window asks to stop.
    bool step();
    // Sends 100.
    void finish();

private:
    bool send(int percent);

    HWND window_;
    int steps_;
    int counter_ = -1;
};

}  // namespace builder
