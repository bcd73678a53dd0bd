// Done!: the last step, with its instruction by the card's ramp support and its help by the
// display type. With ramp support it shows the display colour page, once the calibration is
// stored, so that the user can choose the preset in force.
#pragma once

#include "display_page_sheet.h"
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
    // Finish: the page applies what it shows, silently.
    bool mayAdvance() override;

protected:
    void created() override;
    void destroying() override;
    bool handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    int displayType_ = kNotChosen;
    bool comStarted_ = false;
    DisplayPageSheet page_;
};

}  // namespace huevista
