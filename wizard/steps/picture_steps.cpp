#include "picture_steps.h"

#include "background_window.h"
#include "resource_ids.h"

namespace huevista {

LandscapeStep::LandscapeStep(WizardHost& host, bool day)
    : WizardStep(host,
                 day ? StepInfo{IDD_PICTURE, IDS_TITLE_CONTRAST, IDS_CONTRAST_INSTRUCTION, 202}
                     : StepInfo{IDD_PICTURE, IDS_TITLE_BRIGHTNESS, IDS_BRIGHTNESS_INSTRUCTION, 201},
                 day ? RGB(255, 255, 255) : RGB(0, 0, 0)),
      day_(day) {}

void LandscapeStep::paint(HDC dc) {
    if (!picture_) picture_ = day_ ? dayLandscape() : nightLandscape();
    const POINT at = pictureOrigin(picture_->width(), picture_->height());
    picture_->draw(dc, at.x, at.y);
}

TiltFitStep::TiltFitStep(WizardHost& host)
    : WizardStep(host, {IDD_TILTFIT, IDS_TITLE_TILTFIT, IDS_TILTFIT_INSTRUCTION, 200}, RGB(160, 160, 164)) {}

void TiltFitStep::created() {
    // Entering the step again takes the pattern away until the next Next.
    if (switchedPatternOn_) host_.background().setPattern(false);
    switchedPatternOn_ = false;
}

bool TiltFitStep::mayAdvance() {
    host_.background().setPattern(true);
    switchedPatternOn_ = true;
    return true;
}

void TiltFitStep::paint(HDC dc) {
    if (!picture_) picture_ = tiltPicture();
    const POINT at = pictureOrigin(picture_->width(), picture_->height());
    picture_->draw(dc, at.x, at.y);
}

}  // namespace huevista
