#include "step_sequence.h"

#include "calibration_record.h"

namespace huevista {
namespace {

using enum StepKind;
constexpr StepKind kCrtSequence[] = {Setup, Brightness, BlackPoint, Shadows, Highlights, Lighting, Luminance, Color, Done};
constexpr StepKind kPanelSequence[] = {Setup, TiltFit, Contrast, Blue, Red, Green, Lighting, Luminance, Color, Done};
constexpr StepKind kNotebookSequence[] = {Setup,    TiltFit,   WhitePoint, Blue, Red,
                                          Green,    Lighting,  Luminance,  Color, Done};

}  // namespace

std::span<const StepKind> sequenceFor(int displayType) {
    switch (displayType) {
        case kFlatPanel: return kPanelSequence;
        case kNotebook: return kNotebookSequence;
        default: return kCrtSequence;
    }
}

}  // namespace huevista
