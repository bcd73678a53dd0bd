// The steps with the reference card: Lighting (the room light, four picture buttons with their
// sounds; on panels the main dialog slides down to the screen's ledge), Luminance (the area
// around the card as bright as the card) and Color (as white as the card, along the white-point
// table). The matching steps fill the area around the card through the tone model, with direct
// colours.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "gdi_handle.h"
#include "white_table.h"
#include "window_helpers.h"
#include "wizard_step.h"

namespace huevista {

// Where the card goes in `area` (step client coordinates) of a step `stepWidth` wide: the
// "Tintoken" (card kind 1) a third of the step's width in from each side and a sixth of the
// area's height down, the "Tintplate" 65 pixels in from each side and 10 down.
RECT cardFrame(const RECT& area, int stepWidth, int cardKind);

// The card kind of this installation: "Settings" "ReferenceCard" = "Tintoken" gives 1, anything
// else (and nothing) the "Tintplate", 0.
int installedCardKind();

class CardStepBase : public WizardStep {
public:
    std::string instruction() const override;

protected:
    CardStepBase(WizardHost& host, const StepInfo& info);
    RECT workArea() const;
    // The rounded frame around the working area and the card's dotted frame.
    void paintCardFrames(HDC dc, const RECT& card) const;
    int displayType_ = kNotChosen;
    int cardKind_ = 0;
    int lighting_ = -1;

private:
    UINT instructionFormat_;
};

class LightingStep final : public CardStepBase {
public:
    explicit LightingStep(WizardHost& host);
    std::string instruction() const override;
    void load(const CalibrationRecord& record) override;
    void store(CalibrationRecord& record) override;
    void leavingBackwards() override;
    int lighting() const { return lighting_; }
    // The main dialog's bottom before it slid down (0: it did not).
    int rememberedBottom() const { return rememberedBottom_; }

private:
    void created() override;
    void shown() override;
    void paint(HDC dc) override;
    bool handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void choose(int lighting);
    void followNext() const;
    void slideDown();
    std::array<ButtonFaces, 4> faces_;
    int rememberedBottom_ = 0;
};

// Luminance and Color.
class MatchingStep final : public CardStepBase {
public:
    enum class Kind { Luminance, Color };
    MatchingStep(WizardHost& host, Kind kind);
    void load(const CalibrationRecord& record) override;
    void store(CalibrationRecord& record) override;
    bool mayAdvance() override;

    int luminance() const { return luminance_; }
    int colorPosition() const { return position_; }
    // The levels the area around the card shows.
    std::array<int, 3> levels() const { return levels_; }
    const WhiteTable& table() const;

private:
    void created() override;
    void paint(HDC dc) override;
    bool handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    int sliderId() const;
    void setSlider() const;
    // The whites and their levels at every colour position (Color) or at the one (Luminance).
    void computeLevels();
    std::array<int, 3> levelsOf(const std::array<int, 3>& white) const;

    Kind kind_;
    CalibrationRecord model_;  // the record with the tone model computed
    bool tableOpen_ = false;
    int luminance_ = 100;
    int position_ = 0;
    std::array<int, 3> levels_{};
    std::vector<std::array<int, 3>> levelTable_;  // Color: one per position
    mutable std::optional<WhiteTable> table_;
};

}  // namespace huevista
