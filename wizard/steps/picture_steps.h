// The steps that only show a picture: Brightness (the night landscape) and Contrast (the day
// landscape), against which the user sets the monitor's own controls, and TiltFit, the
// viewing-angle step of flat panels and notebooks, which switches the background window's
// dark reference pattern on when left with Next.
#pragma once

#include <optional>

#include "pictures.h"
#include "wizard_step.h"

namespace huevista {

class LandscapeStep final : public WizardStep {
public:
    // `day`: the Contrast step on white; otherwise the Brightness step.
    LandscapeStep(WizardHost& host, bool day);

private:
    void paint(HDC dc) override;
    bool day_;
    std::optional<Picture> picture_;  // drawn on first use, kept for the wizard's life
};

class TiltFitStep final : public WizardStep {
public:
    explicit TiltFitStep(WizardHost& host);
    bool mayAdvance() override;

private:
    void created() override;
    void paint(HDC dc) override;
    std::optional<Picture> picture_;
    bool switchedPatternOn_ = false;
};

}  // namespace huevista
