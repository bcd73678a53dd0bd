// The progress panel (dialog 138) over control 1004 of the main dialog: eight dots on an arc,
// done (bitmap 139) for the steps before the current one and to do (140) for the rest, and the
// step's title under the arc. Hidden on Setup.
#pragma once

#include <string>

#include "gdi_handle.h"
#include "win32.h"

namespace huevista {

inline constexpr int kProgressDots = 8;

class ProgressPanel {
public:
    ProgressPanel() = default;
    ProgressPanel(const ProgressPanel&) = delete;
    ProgressPanel& operator=(const ProgressPanel&) = delete;
    ~ProgressPanel();

    // Creates the panel at the place of `placeholder` in `dialog`, with `titleFont`.
    bool create(HINSTANCE instance, HWND dialog, HWND placeholder, HFONT titleFont);
    // Shows step `index` (0 hides the panel) with its title.
    void show(int index, const std::string& title);
    HWND window() const { return window_; }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    GdiHandle<HBITMAP> done_, todo_;
};

}  // namespace huevista
