// Setup: the display-type choice (CRT, flat panel, notebook) as three picture buttons, some of
// which the stored display mode may hide or preselect.
#pragma once

#include <array>

#include "gdi_handle.h"
#include "window_helpers.h"
#include "wizard_step.h"

namespace huevista {

// The stored DisplayMode: bits 0 to 2 hide the CRT, flat-panel and notebook choices, bits 16 to
// 18 preselect one (the lowest set bit wins).
struct DisplayMode {
    DWORD bits = 0;
    bool hidden(int type) const { return (bits >> type) & 1; }
    // The preselected type, or CRT when none is.
    int preselected() const;
    bool anyVisible() const { return !(hidden(kCrt) && hidden(kFlatPanel) && hidden(kNotebook)); }
    static DisplayMode fromStore();
};

class SetupStep final : public WizardStep {
public:
    explicit SetupStep(WizardHost& host);

    std::string instruction() const override;
    void store(CalibrationRecord& record) override;
    void load(const CalibrationRecord& record) override;
    // With a type chosen (by a click, a load or an import) Next moves on as a click on it does;
    // with no choice visible it takes the preselected type; otherwise nothing happens.
    bool mayAdvance() override;

    static constexpr UINT_PTR kAutoStartTimer = 1;
    static constexpr UINT kAutoStartDelay = 3000;

private:
    void created() override;
    void shown() override;
    void destroying() override;
    bool handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void choose(int type);
    void layOut();

    DisplayMode mode_;
    int remembered_ = kNotChosen;
    std::array<ButtonFaces, 3> faces_;  // per type: up, hot, down
};

}  // namespace huevista
