#include "setup_step.h"

#include "resource_ids.h"
#include "text_table.h"
#include "vltutil.h"
#include "window_helpers.h"

namespace huevista {
namespace {

constexpr int kButtons[3] = {IDC_CRT, IDC_FLAT_PANEL, IDC_NOTEBOOK};
constexpr int kCaptions[3] = {IDC_CRT_CAPTION, IDC_FLAT_PANEL_CAPTION, IDC_NOTEBOOK_CAPTION};
constexpr const char* kFaceNames[3][3] = {
    {"CRT_U", "CRT_H", "CRT_D"}, {"LCD_U", "LCD_H", "LCD_D"}, {"LAP_U", "LAP_H", "LAP_D"}};
constexpr int kPreselectShift = 16;

RECT childRect(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

int DisplayMode::preselected() const {
    for (int type = kCrt; type <= kNotebook; ++type)
        if ((bits >> (kPreselectShift + type)) & 1) return type;
    return kCrt;
}

DisplayMode DisplayMode::fromStore() {
    DisplayMode mode;
    if (!ReadSpectrineLCDMode(&mode.bits)) mode.bits = 0;
    return mode;
}

SetupStep::SetupStep(WizardHost& host) : WizardStep(host, {IDD_SETUP, IDS_TITLE_SETUP, IDS_SETUP_INSTRUCTION, 3}) {}

std::string SetupStep::instruction() const {
    return loadString(DisplayMode::fromStore().anyVisible() ? IDS_SETUP_INSTRUCTION : IDS_PRESS_ENTER);
}

void SetupStep::store(CalibrationRecord& record) {
    if (remembered_ != kNotChosen) record.setUp = 1;
}

void SetupStep::load(const CalibrationRecord& record) {
    remembered_ = record.displayType;
    if (window()) InvalidateRect(window(), nullptr, FALSE);
}

bool SetupStep::mayAdvance() {
    if (remembered_ != kNotChosen) choose(remembered_);
    else if (!mode_.anyVisible()) choose(mode_.preselected());
    return false;  // choosing moved on already, or nothing was chosen
}

void SetupStep::created() {
    mode_ = DisplayMode::fromStore();
    for (int type = 0; type < 3; ++type)
        for (int face = 0; face < 3; ++face)
            faces_[type][face].reset(LoadBitmapA(host_.instance(), kFaceNames[type][face]));
    layOut();
    if (!mode_.anyVisible()) SetTimer(window(), kAutoStartTimer, kAutoStartDelay, nullptr);
}

// The focus rests on the chosen (else the first visible) picture, or on the step itself when
// none shows, so that Enter reaches the wizard's default button.
void SetupStep::shown() {
    HWND focus = nullptr;
    for (int type = 0; type < 3; ++type) {
        if (mode_.hidden(type)) continue;
        if (!focus || type == remembered_) focus = GetDlgItem(window(), kButtons[type]);
    }
    SetFocus(focus ? focus : window());
}

void SetupStep::destroying() { KillTimer(window(), kAutoStartTimer); }

void SetupStep::layOut() {
    RECT client{};
    GetClientRect(window(), &client);
    int visible = 0;
    for (int type = 0; type < 3; ++type) visible += mode_.hidden(type) ? 0 : 1;
    int k = 0;
    for (int type = 0; type < 3; ++type) {
        HWND button = GetDlgItem(window(), kButtons[type]), caption = GetDlgItem(window(), kCaptions[type]);
        if (mode_.hidden(type)) {
            ShowWindow(button, SW_HIDE);
            ShowWindow(caption, SW_HIDE);
            continue;
        }
        ++k;
        const RECT b = childRect(window(), button), c = childRect(window(), caption);
        const int width = b.right - b.left;
        const int gap = (client.right - visible * width) / (visible + 1);
        const int x = width * (k - 1) + gap * k;
        SetWindowPos(button, nullptr, x, b.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(caption, nullptr, x, c.top, width, c.bottom - c.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void SetupStep::choose(int type) {
    remembered_ = type;
    for (int id : kButtons) InvalidateRect(GetDlgItem(window(), id), nullptr, FALSE);
    host_.chooseDisplayType(type);
}

bool SetupStep::handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (pictureButtonMessage(message, wParam, lParam, kButtons, faces_, remembered_, [this](int type) { choose(type); },
                             result))
        return true;
    if (message != WM_TIMER || wParam != kAutoStartTimer) return false;
    KillTimer(window(), kAutoStartTimer);
    choose(mode_.preselected());
    result = TRUE;
    return true;
}

}  // namespace huevista
