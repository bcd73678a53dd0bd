// What the steps ask of the main dialog.
#pragma once

#include <string>

#include "win32.h"

namespace huevista {

class BackgroundWindow;
class Fonts;

// WarningAtEdge: a warning at the right edge of the wizard's screen, centred vertically, so
// that the step's test area stays in sight.
enum class MessageKind { Warning, YesNo, Plain, WarningAtEdge };

class WizardHost {
public:
    // Rebuilds the sequence for display type `type` (resetting the working record to it), then
    // moves on as Next does.
    virtual void chooseDisplayType(int type) = 0;
    // Shows `text` in the instruction panel.
    virtual void instructionChanged(const std::string& text) = 0;
    virtual int monitorCount() const = 0;
    virtual HWND nextButton() const = 0;
    virtual HWND backButton() const = 0;
    // Runs the message dialog with `helpContext` in force while it shows: IDOK (Adjust, Yes,
    // OK) or IDCANCEL (Continue, No).
    virtual int showMessage(MessageKind kind, const std::string& text, int helpContext) = 0;
    virtual BackgroundWindow& background() = 0;
    virtual const Fonts& fonts() const = 0;
    virtual HINSTANCE instance() const = 0;
    // The program file (its ".ini" holds the white-point tables).
    virtual const std::string& programPath() const = 0;
    // The main dialog's window.
    virtual HWND frame() const = 0;

protected:
    ~WizardHost() = default;
};

}  // namespace huevista
