// Lighting, Luminance, Color and Done! as far as the frame needs them: template, title,
// instruction and help context, so that every sequence can be walked to its end. Their
// matching and the final page are added to these classes later.
#pragma once

#include "wizard_step.h"

namespace huevista {

// Lighting, Luminance and Color: instructions that name the reference card.
class CardStep final : public WizardStep {
public:
    enum class Kind { Lighting, Luminance, Color };
    CardStep(WizardHost& host, Kind kind);
    std::string instruction() const override;
    void load(const CalibrationRecord& record) override;

private:
    Kind kind_;
    int displayType_ = kNotChosen;
    int cardKind_ = 0;
};

class DoneStep final : public WizardStep {
public:
    explicit DoneStep(WizardHost& host);
    std::string instruction() const override;
    int helpContext() const override;
    void load(const CalibrationRecord& record) override;

private:
    int displayType_ = kNotChosen;
};

}  // namespace huevista
