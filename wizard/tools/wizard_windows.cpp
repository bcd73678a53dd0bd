#include "wizard_windows.h"

namespace huevista::drive {
namespace {

constexpr char kDialogClass[] = "#32770";
constexpr char kTitle[] = "Spectrine Huevista";

std::string textOf(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The progress panel: the main dialog's first dialog child, made before any step.
HWND progressPanel(HWND main) { return FindWindowExA(main, nullptr, kDialogClass, nullptr); }

}  // namespace

HWND findMainDialog() {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, kDialogClass, kTitle)) != nullptr;)
        if (FindWindowExA(w, nullptr, kDialogClass, nullptr)) return w;
    return nullptr;
}

HWND activeStep(HWND main) {
    HWND last = nullptr;
    for (HWND w = nullptr; (w = FindWindowExA(main, w, kDialogClass, nullptr)) != nullptr;) last = w;
    return last == progressPanel(main) ? nullptr : last;
}

bool onSetup(HWND main) {
    HWND panel = progressPanel(main);
    return panel && !IsWindowVisible(panel);
}

std::string stepTitle(HWND main) {
    if (onSetup(main)) return "Setup";
    // The title is the panel's last static; the dots before it are pictures.
    HWND title = nullptr;
    for (HWND w = nullptr; (w = FindWindowExA(progressPanel(main), w, "Static", nullptr)) != nullptr;) title = w;
    return title ? textOf(title) : std::string("?");
}

HWND forwardButton(HWND main) {
    HWND next = FindWindowExA(main, nullptr, "Button", "Next >");
    return next ? next : FindWindowExA(main, nullptr, "Button", "Finish");
}

bool forwardIsFinish(HWND main) { return FindWindowExA(main, nullptr, "Button", "Finish") != nullptr; }

HWND openBox(HWND main) {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, kDialogClass, kTitle)) != nullptr;)
        if (w != main && IsWindowVisible(w)) return w;
    return nullptr;
}

// The longest of the box's static texts: its message (an icon's static reads "#<number>").
std::string boxText(HWND box) {
    std::string longest;
    for (HWND w = nullptr; (w = FindWindowExA(box, w, "Static", nullptr)) != nullptr;) {
        std::string text = textOf(w);
        if (text.size() > longest.size()) longest = std::move(text);
    }
    return longest;
}

bool hasButton(HWND window, const char* text) { return FindWindowExA(window, nullptr, "Button", text) != nullptr; }

}  // namespace huevista::drive
