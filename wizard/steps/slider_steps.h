// The slider steps of flat panels and notebooks: Blue, Red and Green match a strip of a chosen
// level against fields of two-thirds, one-half and one-third line patterns on their channel;
// White Pt. finds the highest level of each channel that still shows against full level. Each
// has three vertical picture trackbars, one under each strip; Next waits until all three moved.
#pragma once

#include <array>
#include <optional>

#include "gdi_handle.h"
#include "pictures.h"
#include "wizard_step.h"

namespace huevista {

class SliderStep final : public WizardStep {
public:
    // A colour step on `channel` (0 red, 1 green, 2 blue), or with `white` the White Pt. step.
    SliderStep(WizardHost& host, int channel, bool white);

    void store(CalibrationRecord& record) override;
    void load(const CalibrationRecord& record) override;

    // The three values, left to right, and which were moved.
    std::array<int, 3> values() const { return values_; }
    bool allMoved() const { return moved_[0] && moved_[1] && moved_[2]; }

    // The three trackbars, left to right (the colour steps': highlight, midtone and shadow
    // matches), with the levels they offer.
    struct Slot {
        int id, low, high, offset, preset;
    };
    static const std::array<Slot, 3>& slots(bool white);

private:
    void created() override;
    void paint(HDC dc) override;
    bool handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    RECT stripRect(int slot) const;
    int stripChannel(int slot) const;
    void followNext() const;
    // Trackbars at the values, Next following.
    void showValues() const;

    int channel_;
    bool white_;
    std::array<int, 3> values_{};
    std::array<bool, 3> moved_{};
    std::optional<Picture> picture_;
    GdiHandle<HBITMAP> channelBitmap_, thumbBitmap_;
};

}  // namespace huevista
