// The wizard's GUI tests: an installed suite in a fresh root with the GUI fixture's two virtual
// monitors, the wizard started in process as its program would start it, and a script of
// actions run one after the other from a timer while the wizard's own loop runs (each action
// may open a modal dialog, which a dialog script answers). Help and shell requests are
// recorded.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "canvas_test.h"
#include "fake_suite.h"
#include "wizard_dialog.h"

namespace huevista::test {

using Surface = spx::test::Surface;
using Action = std::function<void()>;

class WizardTest : public spx::test::GuiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the wizard and runs `script`; the last action is expected to end it. Returns the
    // exit code (a wizard still running after `timeoutMs` is closed and the test fails).
    int runWizard(std::vector<Action> script, std::vector<std::string> arguments = {}, DWORD timeoutMs = 30000);

    // The running wizard.
    HWND wizard() const { return wizard_; }
    WizardDialog& dialog() const { return *WizardDialog::of(wizard_); }
    HWND step() const;
    StepKind kind() const { return dialog().activeKind(); }

    // Buttons of the main dialog, or else of the active step, as the user presses them (a
    // click on the control, which sends its notification).
    void press(int id) const;
    void next() const { press(1001); }
    void back() const { press(1002); }
    // A key pressed and released (with Ctrl held when `control`), as input the wizard's loop
    // receives.
    void key(int virtualKey, bool control = false);
    // A click of the active step at (x, y) relative to the picture of `width` x `height`
    // centred in it.
    void clickPicture(int x, int y, int width, int height) const;
    // Moves a vertical trackbar of the active step to `position` as a drag would.
    void slide(int id, int position) const;

    // The main dialog's surface, and a pixel of it at a point of the active step's client area.
    Surface shot(const std::string& name);
    static uint32_t at(const Surface& s, POINT p);
    POINT inStep(int x, int y) const;  // step client point -> surface point
    POINT inWindow(HWND child, int x, int y) const;

    // Does what the active step needs before Next is available: a display type on Setup
    // (`type`), a patch in each column of a grid (`gridIndex`), every slider moved, a lighting
    // (fluorescent) when none is chosen.
    void completeStep(int type = 0, int gridIndex = 4);
    // Moves on from the active step: its choices made (completeStep), then Next (on Setup the
    // choice itself moves on).
    void forward(int type = 0, int gridIndex = 4);
    // Runs the wizard's messages that wait now.
    void settle() { pumpDialog(wizard_); }
    // The progress panel and the instruction panel.
    HWND progressPanel() const;
    std::string textOf(HWND window, int id) const;
    std::string instructionShown() const { return textOf(wizard_, 1005); }
    std::string titleShown() const { return textOf(progressPanel(), 1017); }
    // Help as the Help button asks for it: the context of the last request (-1: contents).
    long long helpContextShown();
    // The context of a recorded help request (-1: contents).
    static long long contextOf(const std::string& call);

    // Answers the message dialog (186) with IDOK or IDCANCEL, recording each text shown.
    void answerMessages(int answer);
    std::vector<std::string> messages;

    FakeSuite suite;

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    std::vector<Action> script_;
    size_t next_ = 0;
    bool busy_ = false;
    HWND wizard_ = nullptr;
    DWORD started_ = 0;
    DWORD timeout_ = 0;
    UINT_PTR timer_ = 0;
};

}  // namespace huevista::test
