// The wizard's windows as another process of its session sees them (class, title, styles and
// children from the session's table): the main dialog, its active step, the step's title in
// the progress panel, the forward button, and the boxes the wizard opens over the dialog.
#pragma once

#include <string>

#include "win32.h"

namespace huevista::drive {

// The wizard's main dialog: the "#32770" window titled "Spectrine Huevista" that holds the
// step dialogs (the wizard's message boxes bear the same title but hold none); null when there
// is none.
HWND findMainDialog();

// The active step's dialog: the last "#32770" child (the progress panel is the first).
HWND activeStep(HWND main);
// The active step's title as the progress panel shows it; "Setup" while the panel is hidden
// (it shows from the second step on).
std::string stepTitle(HWND main);
// True while the active step is a monitor's first step, Setup.
bool onSetup(HWND main);

// The forward button ("Next >" or "Finish"); null when neither is there.
HWND forwardButton(HWND main);
bool forwardIsFinish(HWND main);

// A "Spectrine Huevista" box open over the main dialog (a warning, a question or the log's
// box); null when none is.
HWND openBox(HWND main);
// The box's message (its longest static text) and whether it has a button so titled.
std::string boxText(HWND box);
bool hasButton(HWND window, const char* text);

}  // namespace huevista::drive
