// CBackgroundWnd: the black window under the wizard that covers every monitor, labels each
// monitor when there are several, and shows the dark viewing-angle reference pattern while the
// TiltFit step asks for it.
#pragma once

#include <string>

#include "fonts.h"
#include "monitor_list.h"
#include "win32.h"

namespace huevista {

inline constexpr char kBackgroundClass[] = "Huevista Background";

class BackgroundWindow {
public:
    BackgroundWindow(HINSTANCE instance, const MonitorList& monitors, const Fonts& fonts);
    ~BackgroundWindow();
    BackgroundWindow(const BackgroundWindow&) = delete;
    BackgroundWindow& operator=(const BackgroundWindow&) = delete;

    HWND window() const { return window_; }
    bool pattern() const { return pattern_; }
    // Switches the pattern on or off and repaints.
    void setPattern(bool on);

    static void registerClass(HINSTANCE instance);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HDC dc, const RECT& clip) const;
    void paintPattern(HDC dc, const RECT& monitor) const;

    const MonitorList& monitors_;
    const Fonts& fonts_;
    std::string notice_;
    HWND window_ = nullptr;
    POINT origin_{};  // the window's top-left corner on the desktop
    bool pattern_ = false;
};

}  // namespace huevista
