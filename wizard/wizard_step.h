// The base of the fifteen steps: a modeless child dialog in the main dialog's step area with a
// title, an instruction, a help context and a rounded frame over which it draws its pattern.
#pragma once

#include <string>

#include "calibration_record.h"
#include "gdi_handle.h"
#include "win32.h"
#include "wizard_host.h"

namespace huevista {

struct StepInfo {
    int templateId;
    UINT title;        // string number
    UINT instruction;  // string number
    int helpContext;   // 0: the help contents
};

class WizardStep {
public:
    WizardStep(WizardHost& host, const StepInfo& info, COLORREF background = RGB(0, 0, 0));
    virtual ~WizardStep();
    WizardStep(const WizardStep&) = delete;
    WizardStep& operator=(const WizardStep&) = delete;

    int templateId() const { return info_.templateId; }
    std::string title() const;
    virtual std::string instruction() const;
    // Copies the step's results into the record.
    virtual void store(CalibrationRecord&) {}
    // Takes the step's state from the record.
    virtual void load(const CalibrationRecord&) {}
    // Asked when the user presses Next; false keeps the user on the step.
    virtual bool mayAdvance() { return true; }
    // The user pressed Back on this step.
    virtual void leavingBackwards() {}
    virtual int helpContext() const { return info_.helpContext; }
    // The main dialog moved (WM_MOVE's parameters).
    virtual void frameMoved(WPARAM, LPARAM) {}

    // Creates the step's window from its template, centred in `place` (the main dialog's
    // client coordinates), and shows it; false when it cannot be made.
    bool create(HWND dialog, const RECT& place);
    void destroy();
    HWND window() const { return window_; }

    // Where a picture of `width` x `height` is centred in the step.
    POINT pictureOrigin(int width, int height) const;

protected:
    // After the window and its controls exist, before it shows.
    virtual void created() {}
    // After the window is shown.
    virtual void shown() {}
    // Before the window goes.
    virtual void destroying() {}
    // Draws the step's pattern over its frame.
    virtual void paint(HDC) {}
    // The step's own messages; true when handled, with the dialog procedure's result.
    virtual bool handle(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

    void setBackground(COLORREF colour);
    COLORREF background() const { return background_; }
    HBRUSH backgroundBrush() const { return brush_.get(); }
    void repaint() const;

    WizardHost& host_;

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paintFrame(HDC dc);

    StepInfo info_;
    COLORREF background_;
    GdiHandle<HBRUSH> brush_;
    GdiHandle<HPEN> pen_;
    // The frame on its background, drawn once for the step's size and copied after.
    GdiHandle<HBITMAP> frame_;
    SIZE frameSize_{};
    HWND window_ = nullptr;
    RECT place_{};
};

}  // namespace huevista
