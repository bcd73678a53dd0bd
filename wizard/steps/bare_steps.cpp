#include "bare_steps.h"

#include "resource_ids.h"
#include "text_table.h"
#include "profforge.h"
#include "vltutil.h"

namespace huevista {

DoneStep::DoneStep(WizardHost& host) : WizardStep(host, {IDD_DONE, IDS_TITLE_DONE, IDS_DONE_INSTRUCTION, 209}) {}

void DoneStep::load(const CalibrationRecord& record) { displayType_ = record.displayType; }

std::string DoneStep::instruction() const {
    return loadString(IsGammaRampSupported() ? IDS_DONE_INSTRUCTION : IDS_DONE_NO_RAMP);
}

// The page is made from a posted message, so that it comes after the step is shown and the
// calibration is stored.
constexpr UINT kOpenPage = WM_USER + 1;

void DoneStep::created() {
    if (!IsGammaRampSupported()) return;
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    comStarted_ = SUCCEEDED(CoInitialize(nullptr));
    PostMessageA(window(), kOpenPage, 0, 0);
}

bool DoneStep::handle(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    if (message != kOpenPage) return false;
    page_.open(window());  // without the page library the step stays empty
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SetFocus(window());
    result = 0;
    return true;
}

bool DoneStep::mayAdvance() {
    page_.applySilently();
    return true;
}

void DoneStep::destroying() {
    page_.close();
    if (comStarted_) CoUninitialize();
    comStarted_ = false;
}

void DoneStep::leavingBackwards() {
    page_.cancel();
    for (int i = 0; i < host_.monitorCount(); ++i) ResetGammaRamp(i);
}

int DoneStep::helpContext() const { return displayType_ == kCrt ? 209 : 212; }

}  // namespace huevista
