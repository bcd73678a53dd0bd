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

void DoneStep::leavingBackwards() {
    for (int i = 0; i < host_.monitorCount(); ++i) ResetGammaRamp(i);
}

int DoneStep::helpContext() const { return displayType_ == kCrt ? 209 : 212; }

}  // namespace huevista
