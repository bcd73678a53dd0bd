#include "bare_steps.h"

#include "resource_ids.h"
#include "text_table.h"
#include "vltutil.h"

namespace huevista {
namespace {

StepInfo cardStepInfo(CardStep::Kind kind) {
    switch (kind) {
        case CardStep::Kind::Lighting: return {IDD_LIGHTING, IDS_TITLE_LIGHTING, IDS_LIGHTING_CRT_INSTRUCTION, 105};
        case CardStep::Kind::Luminance: return {IDD_LUMINANCE, IDS_TITLE_LUMINANCE, IDS_LUMINANCE_INSTRUCTION, 207};
        default: return {IDD_COLOR, IDS_TITLE_COLOR, IDS_COLOR_INSTRUCTION, 208};
    }
}

}  // namespace

CardStep::CardStep(WizardHost& host, Kind kind) : WizardStep(host, cardStepInfo(kind)), kind_(kind) {}

void CardStep::load(const CalibrationRecord& record) {
    displayType_ = record.displayType;
    cardKind_ = record.cardKind;
}

std::string CardStep::instruction() const {
    const std::string card = loadString(cardKind_ == 1 ? IDS_CARD_TINTOKEN : IDS_CARD_TINTPLATE);
    UINT format = cardStepInfo(kind_).instruction;
    // Panels and notebooks rest the card on the screen's ledge.
    if (kind_ == Kind::Lighting && (displayType_ == kFlatPanel || displayType_ == kNotebook))
        format = IDS_LIGHTING_PANEL_INSTRUCTION;
    return formatString(format, card.c_str());
}

DoneStep::DoneStep(WizardHost& host) : WizardStep(host, {IDD_DONE, IDS_TITLE_DONE, IDS_DONE_INSTRUCTION, 209}) {}

void DoneStep::load(const CalibrationRecord& record) { displayType_ = record.displayType; }

std::string DoneStep::instruction() const {
    return loadString(IsGammaRampSupported() ? IDS_DONE_INSTRUCTION : IDS_DONE_NO_RAMP);
}

int DoneStep::helpContext() const { return displayType_ == kCrt ? 209 : 212; }

}  // namespace huevista
