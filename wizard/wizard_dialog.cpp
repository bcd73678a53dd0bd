#include "wizard_dialog.h"

#include "calibration_log.h"
#include "debug_exchange.h"
#include "finish_calibration.h"
#include "logo_files.h"
#include "message_dialog.h"
#include "profforge.h"
#include "resource_ids.h"
#include "about_box.h"
#include "steps/bare_steps.h"
#include "steps/card_steps.h"
#include "steps/patch_grid.h"
#include "steps/picture_steps.h"
#include "steps/setup_step.h"
#include "steps/slider_steps.h"
#include "text_table.h"
#include "win32_extras.h"
#include "window_helpers.h"

namespace huevista {
namespace {

std::unique_ptr<WizardStep> makeStep(StepKind kind, WizardHost& host) {
    switch (kind) {
        case StepKind::Setup: return std::make_unique<SetupStep>(host);
        case StepKind::TiltFit: return std::make_unique<TiltFitStep>(host);
        case StepKind::Brightness: return std::make_unique<LandscapeStep>(host, false);
        case StepKind::Contrast: return std::make_unique<LandscapeStep>(host, true);
        case StepKind::BlackPoint: return std::make_unique<BlackPointStep>(host);
        case StepKind::Shadows: return std::make_unique<ToneGridStep>(host, false);
        case StepKind::Highlights: return std::make_unique<ToneGridStep>(host, true);
        case StepKind::WhitePoint: return std::make_unique<SliderStep>(host, kRed, true);
        case StepKind::Blue: return std::make_unique<SliderStep>(host, kBlue, false);
        case StepKind::Red: return std::make_unique<SliderStep>(host, kRed, false);
        case StepKind::Green: return std::make_unique<SliderStep>(host, kGreen, false);
        case StepKind::Lighting: return std::make_unique<LightingStep>(host);
        case StepKind::Luminance: return std::make_unique<MatchingStep>(host, MatchingStep::Kind::Luminance);
        case StepKind::Color: return std::make_unique<MatchingStep>(host, MatchingStep::Kind::Color);
        default: return std::make_unique<DoneStep>(host);
    }
}

RECT childRect(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

WizardDialog::WizardDialog(const WizardSetup& setup)
    : setup_(setup), monitors_(*setup.monitors), ramps_(setup.ramps) {
    debugMessage_ = debugExchangeMessage();
    for (size_t k = 0; k < steps_.size(); ++k) steps_[k] = makeStep(static_cast<StepKind>(k), *this);
    nextText_ = loadString(IDS_NEXT);
    finishText_ = loadString(IDS_FINISH);
    records_.assign(static_cast<size_t>(monitors_.count()), CalibrationRecord::fresh(kNotChosen));
}

WizardDialog::~WizardDialog() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

WizardDialog* WizardDialog::of(HWND dialog) {
    return reinterpret_cast<WizardDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

HWND WizardDialog::nextButton() const { return GetDlgItem(window_, IDC_NEXT); }
HWND WizardDialog::backButton() const { return GetDlgItem(window_, IDC_BACK); }

StepKind WizardDialog::activeKind() const { return index_ < kinds_.size() ? kinds_[index_] : StepKind::Count; }

int WizardDialog::run(HACCEL accelerators) {
    ramps_.saveAndReset(monitors_.count());
    HWND owner = setup_.background ? setup_.background->window() : nullptr;
    window_ = CreateDialogParamA(setup_.instance, MAKEINTRESOURCEA(IDD_MAIN), owner, procedure,
                                 reinterpret_cast<LPARAM>(this));
    if (!window_) {
        ramps_.restore();
        return kExitCancelled;
    }
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    MSG msg;
    while (!ended_ && IsWindow(window_)) {
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (accelerators && TranslateAcceleratorA(window_, accelerators, &msg)) continue;
        if (IsDialogMessageA(window_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (owner && IsWindow(owner)) EnableWindow(owner, TRUE);
    if (!ended_) {
        // Ended from outside (the session quit): as a Cancel, without asking.
        ramps_.restore();
        exitCode_ = kExitCancelled;
    }
    if (IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
    return exitCode_;
}

INT_PTR CALLBACK WizardDialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<WizardDialog*>(lParam)->window_ = window;
    }
    WizardDialog* self = of(window);
    return self ? self->handle(message, wParam, lParam) : FALSE;
}

INT_PTR WizardDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: initialise(); return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_NEXT: onNext(); return TRUE;
                case IDC_BACK: onBack(); return TRUE;
                case IDCANCEL: onCancel(); return TRUE;
                case IDC_HELP_BUTTON: onHelp(); return TRUE;
                default: return FALSE;
            }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != IDM_ABOUT) return FALSE;
            runAboutBox(setup_.instance, window_, setup_.programPath);
            return TRUE;
        case BUILDER_PROGRESS_MESSAGE:
            // The builders' progress: answered 0, so that they go on.
            SetWindowLongPtrA(window_, DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_MOVE:
            if (active_) active_->frameMoved(wParam, lParam);
            return FALSE;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return dialogGrey(wParam);
        case WM_QUERYNEWPALETTE: {
            if (!setup_.palette) return FALSE;
            HDC dc = GetDC(window_);
            HPALETTE old = SelectPalette(dc, setup_.palette, FALSE);
            RealizePalette(dc);
            SelectPalette(dc, old, FALSE);
            ReleaseDC(window_, dc);
            SetWindowLongPtrA(window_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        case WM_DESTROY:
            if (active_) active_->destroy();
            return FALSE;
        default:
            if (message != debugMessage_ || !debugMessage_) return FALSE;
            SetWindowLongPtrA(window_, DWLP_MSGRESULT, serveDebugExchange(wParam != 0));
            return TRUE;
    }
}

// The debug exchange: import (from the shared block into the working record, the active step
// loading it and repainting) or export (the active step storing first). 0 when the block cannot
// be mapped, with nothing changed.
LRESULT WizardDialog::serveDebugExchange(bool import) {
    DebugBlock block;
    if (!block) return 0;
    if (!import) {
        if (active_) active_->store(working_);
        block.write(exportFields(working_));
        return 1;
    }
    const auto& color = static_cast<const MatchingStep&>(*steps_[static_cast<size_t>(StepKind::Color)]);
    importFields(block.read(), working_, color.table().positions());
    if (active_) {
        active_->load(working_);
        RedrawWindow(active_->window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    return 1;
}

void WizardDialog::initialise() {
    HMENU system = GetSystemMenu(window_, FALSE);
    AppendMenuA(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(system, MF_STRING, IDM_ABOUT, loadString(IDS_ABOUT_MENU).c_str());
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(setup_.icon));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(setup_.icon));
    progress_.create(setup_.instance, window_, GetDlgItem(window_, IDC_PROGRESS_PLACE), fonts().get(FontKind::Bold10));
    SendDlgItemMessageA(window_, IDC_INSTRUCTIONS, WM_SETFONT, reinterpret_cast<WPARAM>(fonts().get(FontKind::Regular12)),
                        FALSE);
    stepArea_ = childRect(window_, IDC_STEP_AREA);
    ShowWindow(GetDlgItem(window_, IDC_STEP_AREA), SW_HIDE);
    loadLogos();
    showButtons(false, false, false);
    buildSequence(kNotChosen);
    activate(0, false);
    centreOn(0);
}

void WizardDialog::loadLogos() {
    const struct {
        int id;
        const char* key;
        const char* builtIn;
    } logos[] = {{IDC_LOGO_PROGRESS, "Progress", "Progress.bmp"},
                 {IDC_LOGO_MAIN, "MainLogo", "Logo.bmp"},
                 {IDC_LOGO_BROUGHT_TO, "BroughtTo", "OEMSetup.bmp"},
                 {IDC_LOGO_EMBOSSED, "Embossed", "LCDLogo.bmp"}};
    for (const auto& logo : logos) {
        GdiHandle<HBITMAP> bitmap(loadLogo(setup_.programPath, logo.key, logo.builtIn));
        if (!bitmap) continue;
        SendDlgItemMessageA(window_, logo.id, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
        logos_.push_back(std::move(bitmap));
    }
}

void WizardDialog::buildSequence(int type) {
    working_.resetTo(type);
    sequence_.clear();
    kinds_.clear();
    for (StepKind kind : sequenceFor(type)) {
        sequence_.push_back(steps_[static_cast<size_t>(kind)].get());
        kinds_.push_back(kind);
    }
}

void WizardDialog::showButtons(bool next, bool back, bool cancel) {
    const struct {
        int id;
        bool shown;
    } buttons[] = {{IDC_NEXT, next}, {IDC_BACK, back}, {IDCANCEL, cancel}};
    for (const auto& b : buttons) {
        HWND button = GetDlgItem(window_, b.id);
        if (b.shown) EnableWindow(button, TRUE);
        ShowWindow(button, b.shown ? SW_SHOW : SW_HIDE);
    }
}

void WizardDialog::setForwardText(bool finish) {
    finishShown_ = finish;
    SetDlgItemTextA(window_, IDC_NEXT, (finish ? finishText_ : nextText_).c_str());
}

void WizardDialog::activate(size_t index, bool storeFirst) {
    WizardStep* old = active_;
    if (storeFirst && old) old->store(working_);
    index_ = index;
    active_ = sequence_[index];
    if (old == active_) old->destroy();
    active_->load(working_);
    active_->create(window_, stepArea_);
    progress_.show(static_cast<int>(index), active_->title());
    instructionChanged(active_->instruction());
    // Next shows on Setup exactly when this monitor's display type is set up.
    if (index == 0) ShowWindow(nextButton(), working_.setUp == 1 ? SW_SHOW : SW_HIDE);
    if (old && old != active_) old->destroy();
}

void WizardDialog::centreOn(int monitor) {
    if (monitor < 0 || monitor >= monitors_.count()) return;
    const RECT& m = monitors_.monitors[static_cast<size_t>(monitor)];
    RECT r{};
    GetWindowRect(window_, &r);
    SetWindowPos(window_, nullptr, m.left + ((m.right - m.left) - (r.right - r.left)) / 2,
                 m.top + ((m.bottom - m.top) - (r.bottom - r.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WizardDialog::chooseDisplayType(int type) {
    buildSequence(type);
    advance();
}

void WizardDialog::instructionChanged(const std::string& text) {
    SetDlgItemTextA(window_, IDC_INSTRUCTIONS, text.c_str());
}

int WizardDialog::showMessage(MessageKind kind, const std::string& text, int helpContext) {
    const int saved = helpOverride_;
    helpOverride_ = helpContext;
    const int answer =
        runMessageDialog(setup_.instance, window_, kind, text, fonts().get(FontKind::Regular12), setup_.icon);
    helpOverride_ = saved;
    return answer;
}

void WizardDialog::onNext() {
    if (!active_ || !active_->mayAdvance()) return;
    if (finishShown_) {
        onFinish();
        return;
    }
    advance();
}

void WizardDialog::advance() {
    if (index_ + 1 >= sequence_.size()) return;
    const size_t next = index_ + 1, last = sequence_.size() - 1;
    if (next == last && monitor_ + 1 < monitors_.count()) {
        crossToNextMonitor();
        return;
    }
    showButtons(true, true, true);
    setForwardText(next == last);
    if (next != last) {
        activate(next, true);
        return;
    }
    // Done! on the last monitor: its record is complete and every monitor is finished. The
    // finishing works on the monitors' records; the working record stays this monitor's.
    active_->store(working_);
    records_[static_cast<size_t>(monitor_)] = working_;
    finishCalibration(window_, records_);
    working_ = records_[static_cast<size_t>(monitor_)];
    activate(next, false);
}

// Color of one monitor hands over to Setup of the next, which is activated once, with that
// monitor's record when it was set up before.
void WizardDialog::crossToNextMonitor() {
    active_->store(working_);
    records_[static_cast<size_t>(monitor_)] = working_;
    ++monitor_;
    centreOn(monitor_);
    setForwardText(false);
    showButtons(false, true, false);
    buildSequence(kNotChosen);
    const CalibrationRecord& next = records_[static_cast<size_t>(monitor_)];
    if (next.setUp == 1) {
        working_ = next;
    } else {
        working_.color = -1;
        working_.blackValid = working_.shadowValid = working_.highlightValid = working_.midtoneValid = 0;
    }
    activate(0, false);
}

void WizardDialog::onBack() {
    if (index_ > 0) {
        const size_t back = index_ - 1;
        setForwardText(back == sequence_.size() - 1);
        active_->leavingBackwards();
        if (back > 0) showButtons(true, true, true);
        else showButtons(true, monitor_ > 0, false);
        activate(back, true);
        return;
    }
    if (monitor_ == 0) return;
    // From Setup of a later monitor back to the Color step of the one before, in that monitor's
    // own sequence and with its own record.
    active_->store(working_);
    records_[static_cast<size_t>(monitor_)] = working_;
    --monitor_;
    centreOn(monitor_);
    working_ = records_[static_cast<size_t>(monitor_)];
    buildSequence(working_.displayType);
    setForwardText(false);
    showButtons(true, true, true);
    activate(sequence_.size() - 2, false);
}

void WizardDialog::onCancel() {
    // Only the very first Setup has nothing to lose.
    if (index_ != 0 || monitor_ != 0) {
        if (showMessage(MessageKind::YesNo, loadString(IDS_EXIT_NOW), 14) != IDOK) return;
    }
    ramps_.restore();
    end(kExitCancelled);
}

// Each monitor's block goes to the log in monitor order. A log that cannot be written asks to
// try again; Cancel finishes without the rest of the log.
void WizardDialog::onFinish() {
    const std::string log = logPathFor(setup_.programPath);
    for (const CalibrationRecord& record : records_) {
        working_ = record;
        while (!appendLog(log, working_)) {
            if (MessageBoxA(window_, "Can't Open Huevista log file.\nCheck if it is used by an application.",
                            "Spectrine Huevista", MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY) {
                end(kExitFinished);
                return;
            }
        }
    }
    end(kExitFinished);
}

void WizardDialog::onHelp() {
    const int context = helpOverride_ ? helpOverride_ : (active_ ? active_->helpContext() : 0);
    const std::string file = folderOf(setup_.programPath) + "Spectrine.hlp";
    WinHelpA(window_, file.c_str(), context ? HELP_CONTEXT : HELP_CONTENTS, static_cast<ULONG_PTR>(context));
}

void WizardDialog::end(int exitCode) {
    exitCode_ = exitCode;
    ended_ = true;
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

}  // namespace huevista
