// The fifteen steps and the order in which each display type walks them.
#pragma once

#include <span>

namespace huevista {

enum class StepKind {
    Setup, TiltFit, Brightness, Contrast, BlackPoint, Shadows, Highlights, WhitePoint,
    Blue, Red, Green, Lighting, Luminance, Color, Done, Count
};

// CRT (and a type not chosen yet): 9 steps; flat panel and notebook: 10.
std::span<const StepKind> sequenceFor(int displayType);

}  // namespace huevista
