// Done!: the last step, with its instruction by the card's ramp support and its help by the
// display type.
#pragma once

#include "wizard_step.h"

namespace huevista {

class DoneStep final : public WizardStep {
public:
    explicit DoneStep(WizardHost& host);
    std::string instruction() const override;
    int helpContext() const override;
    void load(const CalibrationRecord& record) override;
    // Back from Done! takes the calibration's ramps off every monitor (identity ramps).
    void leavingBackwards() override;

private:
    int displayType_ = kNotChosen;
};

}  // namespace huevista
