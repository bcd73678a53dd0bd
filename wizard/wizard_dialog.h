// WizardDialog: the main dialog (template 102, "Spectrine Huevista"). It owns the fifteen steps,
// the active sequence, the working CalibrationRecord and one record per monitor, the monitor
// list, the ramps saved at start-up, and runs the wizard in its own modal loop: Next, Back,
// Cancel, Finish, help, the About box and the hand-over from one monitor to the next.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "background_window.h"
#include "calibration_record.h"
#include "fonts.h"
#include "monitor_list.h"
#include "progress_panel.h"
#include "saved_ramps.h"
#include "step_sequence.h"
#include "wizard_host.h"
#include "wizard_step.h"

namespace huevista {

enum ExitCode : int { kExitFinished = 0, kExitCancelled = 1, kExitNotInstalled = 2 };

struct WizardSetup {
    HINSTANCE instance = nullptr;
    std::string programPath;
    const Fonts* fonts = nullptr;
    HPALETTE palette = nullptr;
    HICON icon = nullptr;
    const MonitorList* monitors = nullptr;
    BackgroundWindow* background = nullptr;
    RampDevice ramps = storeRampDevice();
};

class WizardDialog final : public WizardHost {
public:
    explicit WizardDialog(const WizardSetup& setup);
    ~WizardDialog();
    WizardDialog(const WizardDialog&) = delete;
    WizardDialog& operator=(const WizardDialog&) = delete;

    // Saves every monitor's ramp and loads the identity ramp, creates the dialog and runs it
    // until Finish (kExitFinished) or Cancel (kExitCancelled).
    int run(HACCEL accelerators);

    // ---- WizardHost ----
    void chooseDisplayType(int type) override;
    void instructionChanged(const std::string& text) override;
    int monitorCount() const override { return monitors_.count(); }
    HWND nextButton() const override;
    HWND backButton() const override;
    int showMessage(MessageKind kind, const std::string& text, int helpContext) override;
    BackgroundWindow& background() override { return *setup_.background; }
    const Fonts& fonts() const override { return *setup_.fonts; }
    HINSTANCE instance() const override { return setup_.instance; }
    const std::string& programPath() const override { return setup_.programPath; }
    HWND frame() const override { return window_; }

    // ---- State, as the tests read it ----
    static WizardDialog* of(HWND dialog);
    HWND window() const { return window_; }
    const CalibrationRecord& working() const { return working_; }
    CalibrationRecord& working() { return working_; }
    const std::vector<CalibrationRecord>& records() const { return records_; }
    int monitor() const { return monitor_; }
    size_t stepIndex() const { return index_; }
    size_t sequenceLength() const { return sequence_.size(); }
    WizardStep* activeStep() const { return active_; }
    StepKind activeKind() const;
    int helpOverride() const { return helpOverride_; }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void initialise();
    void buildSequence(int type);
    void activate(size_t index, bool storeFirst);
    void showButtons(bool next, bool back, bool cancel);
    void setForwardText(bool finish);
    void centreOn(int monitor);
    void onNext();
    void advance();
    void crossToNextMonitor();
    void onBack();
    void onCancel();
    void onFinish();
    void onHelp();
    void end(int exitCode);
    void loadLogos();
    LRESULT serveDebugExchange(bool import);

    WizardSetup setup_;
    const MonitorList& monitors_;
    std::array<std::unique_ptr<WizardStep>, static_cast<size_t>(StepKind::Count)> steps_;
    std::vector<WizardStep*> sequence_;
    std::vector<StepKind> kinds_;
    size_t index_ = 0;
    WizardStep* active_ = nullptr;
    CalibrationRecord working_ = CalibrationRecord::fresh(kNotChosen);
    std::vector<CalibrationRecord> records_;
    int monitor_ = 0;
    SavedRamps ramps_;
    std::string nextText_, finishText_;
    bool finishShown_ = false;
    int helpOverride_ = 0;
    HWND window_ = nullptr;
    RECT stepArea_{};
    ProgressPanel progress_;
    std::vector<GdiHandle<HBITMAP>> logos_;
    bool ended_ = false;
    int exitCode_ = kExitCancelled;
    UINT debugMessage_ = 0;  // "HuevistaDebug"
};

}  // namespace huevista
