#include "slider_steps.h"

#include <algorithm>

#include "resource_ids.h"
#include "slider_control.h"

namespace huevista {
namespace {

constexpr int kStripX[3] = {52, 184, 316};
constexpr int kStripTop = 28, kStripWidth = 20, kStripHeight = 94;
constexpr int kPictureTop = 16;     // the fields' picture from the step's top
constexpr int kSliderGap = 8;       // between the picture and the trackbars
constexpr int kSliderBottom = 24;   // space kept under the trackbars
constexpr int kWhiteChannels[3] = {2, 0, 1};  // White Pt.: blue, red, green strips

StepInfo infoOf(int channel, bool white) {
    if (white) return {IDD_SLIDERS, IDS_TITLE_WHITEPOINT, IDS_WHITEPOINT_INSTRUCTION, 0};
    switch (channel) {
        case kRed: return {IDD_SLIDERS, IDS_TITLE_RED, IDS_RED_INSTRUCTION, 204};
        case kGreen: return {IDD_SLIDERS, IDS_TITLE_GREEN, IDS_GREEN_INSTRUCTION, 204};
        default: return {IDD_SLIDERS, IDS_TITLE_BLUE, IDS_BLUE_INSTRUCTION, 204};
    }
}

int thumbOf(int channel, bool white) {
    if (white) return IDB_THUMB_WHITE;
    return channel == kRed ? IDB_THUMB_RED : (channel == kGreen ? IDB_THUMB_GREEN : IDB_THUMB_BLUE);
}

}  // namespace

const std::array<SliderStep::Slot, 3>& SliderStep::slots(bool white) {
    // Positions run from top to bottom: the value is an offset less the position.
    static const std::array<Slot, 3> tone = {Slot{IDC_SLIDER_LEFT, 128, 255, 383, 192},
                                             Slot{IDC_SLIDER_MIDDLE, 96, 224, 320, 160},
                                             Slot{IDC_SLIDER_RIGHT, 64, 192, 256, 128}};
    static const std::array<Slot, 3> whites = {Slot{IDC_SLIDER_LEFT, 168, 255, 423, 255},
                                               Slot{IDC_SLIDER_MIDDLE, 168, 255, 423, 255},
                                               Slot{IDC_SLIDER_RIGHT, 168, 255, 423, 255}};
    return white ? whites : tone;
}

SliderStep::SliderStep(WizardHost& host, int channel, bool white)
    : WizardStep(host, infoOf(channel, white), kFieldsBackground), channel_(channel), white_(white) {
    for (int i = 0; i < 3; ++i) values_[i] = slots(white_)[i].preset;
}

int SliderStep::stripChannel(int slot) const { return white_ ? kWhiteChannels[slot] : channel_; }

void SliderStep::load(const CalibrationRecord& record) {
    const auto& s = slots(white_);
    if (white_) {
        // The moved state stays with the step.
        const int levels[3] = {record.white[kBlue], record.white[kRed], record.white[kGreen]};
        for (int i = 0; i < 3; ++i) values_[i] = std::clamp(levels[i], s[i].low, s[i].high);
        return;
    }
    // A level not measured yet (-1) leaves its trackbar at the preset, not moved.
    const int levels[3] = {record.highlight[channel_], record.midtone[channel_], record.shadow[channel_]};
    for (int i = 0; i < 3; ++i) {
        moved_[i] = levels[i] != -1;
        values_[i] = moved_[i] ? std::clamp(levels[i], s[i].low, s[i].high) : s[i].preset;
    }
    if (window()) showValues();  // loaded while showing (an import)
}

void SliderStep::showValues() const {
    for (int i = 0; i < 3; ++i) {
        const Slot& s = slots(white_)[static_cast<size_t>(i)];
        SendDlgItemMessageA(window(), s.id, TBM_SETPOS, TRUE, s.offset - values_[static_cast<size_t>(i)]);
    }
    followNext();
}

void SliderStep::store(CalibrationRecord& record) {
    if (!allMoved()) return;
    if (white_) {
        record.whiteInput = 1.0;
        record.white[kRed] = values_[1];
        record.white[kGreen] = values_[2];
        record.white[kBlue] = values_[0];
        return;
    }
    record.shadowInput = 1.0 / 3.0;
    record.midtoneInput = 0.5;
    record.highlightInput = 2.0 / 3.0;
    record.shadow[channel_] = values_[2];
    record.midtone[channel_] = values_[1];
    record.highlight[channel_] = values_[0];
}

RECT SliderStep::stripRect(int slot) const {
    const POINT o = pictureOrigin(kFieldsWidth, 0);
    const int left = o.x + kStripX[slot], top = kPictureTop + kStripTop;
    return RECT{left, top, left + kStripWidth, top + kStripHeight};
}

void SliderStep::created() {
    channelBitmap_.reset(LoadBitmapA(host_.instance(), MAKEINTRESOURCEA(IDB_SLIDER_CHANNEL)));
    thumbBitmap_.reset(LoadBitmapA(host_.instance(), MAKEINTRESOURCEA(thumbOf(channel_, white_))));
    RECT client{};
    GetClientRect(window(), &client);
    const int top = kPictureTop + kFieldsHeight + kSliderGap;
    for (int i = 0; i < 3; ++i) {
        const Slot& s = slots(white_)[static_cast<size_t>(i)];
        HWND slider = GetDlgItem(window(), s.id);
        const RECT strip = stripRect(i);
        SetWindowPos(slider, nullptr, strip.left, top, kStripWidth, client.bottom - kSliderBottom - top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        setSliderBitmaps(slider, channelBitmap_.get(), thumbBitmap_.get());
        SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(s.offset - s.high, s.offset - s.low));
    }
    showValues();
}

void SliderStep::followNext() const {
    EnableWindow(host_.nextButton(), allMoved());
    SetFocus(allMoved() ? host_.nextButton() : host_.backButton());
}

void SliderStep::paint(HDC dc) {
    if (!picture_) picture_ = white_ ? whiteFieldsPicture() : toneFieldsPicture(channel_);
    const POINT o = pictureOrigin(kFieldsWidth, 0);
    picture_->draw(dc, o.x, kPictureTop);
    for (int i = 0; i < 3; ++i) {
        const RECT strip = stripRect(i);
        GdiHandle<HBRUSH> fill(CreateSolidBrush(channelColour(stripChannel(i), values_[static_cast<size_t>(i)])));
        FillRect(dc, &strip, fill.get());
    }
}

bool SliderStep::handle(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
    if (message == WM_CTLCOLORSTATIC) {
        // The trackbars stand on the step's own ground.
        result = reinterpret_cast<INT_PTR>(backgroundBrush());
        return true;
    }
    if (message != WM_VSCROLL || !lParam) return false;
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
    for (int i = 0; i < 3; ++i) {
        const Slot& s = slots(white_)[static_cast<size_t>(i)];
        if (s.id != id) continue;
        const int value = s.offset - static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0));
        if (value != values_[static_cast<size_t>(i)]) {
            values_[static_cast<size_t>(i)] = value;
            moved_[static_cast<size_t>(i)] = true;
            const RECT strip = stripRect(i);
            InvalidateRect(window(), &strip, FALSE);
            UpdateWindow(window());
            if (allMoved()) followNext();
        }
        result = TRUE;
        return true;
    }
    return false;
}

}  // namespace huevista
