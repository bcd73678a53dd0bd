// Lighting, Luminance and Color on the screen: each lighting choice sounds once, Next from the
// first choice; the area around the card shows the tone model's levels of the white at the
// luminance (CRT: the inverse Motta model; panel: the panel model) and follows the sliders; the
// dim-room warning at luminance 20 and not 21; the colour step's table colour.
#include <gtest/gtest.h>

#include <cmath>

#include "panelforge.h"
#include "resource_ids.h"
#include "steps/card_steps.h"
#include "tone_model.h"
#include "white_table.h"
#include "wizard_driver.h"

namespace {

using huevista::MatchingStep;
using huevista::StepKind;
using huevista::test::WizardTest;

class CardStepsTest : public WizardTest {
protected:
    void forwardTo(StepKind wanted, int type) {
        for (int i = 0; i < 20 && kind() != wanted; ++i) forward(type);
        ASSERT_EQ(kind(), wanted);
    }
    MatchingStep& matching() const { return *dynamic_cast<MatchingStep*>(dialog().activeStep()); }
    bool nextEnabled() const { return IsWindowEnabled(GetDlgItem(wizard(), IDC_NEXT)); }
    // The expected levels of the white at `position` and `luminance` through the tone model.
    std::array<int, 3> expectedLevels(int position, int luminance) {
        huevista::CalibrationRecord model = dialog().working();
        huevista::beginToneModel(model);
        const auto table = huevista::WhiteTable::load(suite.ini);
        const auto white = table.bytesAt(huevista::panelClassOf(model.displayType), model.lighting, position);
        std::array<int, 3> out{};
        for (int ch = 0; ch < 3; ++ch)
            out[static_cast<size_t>(ch)] = huevista::inverseToneLevel(model, white[static_cast<size_t>(ch)] * luminance / 100, ch);
        return out;
    }
    // The colour shown in the working area beside the card (left margin, half-way down).
    uint32_t areaPixel() {
        RECT area{};
        GetWindowRect(GetDlgItem(step(), IDC_WORK_AREA), &area);
        MapWindowPoints(nullptr, step(), reinterpret_cast<POINT*>(&area), 2);
        return at(shot("area"), inStep(area.left + 20, (area.top + area.bottom) / 2));
    }
    static uint32_t rgb(const std::array<int, 3>& l) {
        return static_cast<uint32_t>(l[0] << 16 | l[1] << 8 | l[2]);
    }
};

TEST_F(CardStepsTest, EachLightingChoiceSoundsOnceAndTheFirstEnablesNext) {
    runWizard({[&] { forwardTo(StepKind::Lighting, 0); },
               [&] {
                   EXPECT_FALSE(nextEnabled());
                   EXPECT_EQ(GetFocus(), GetDlgItem(wizard(), IDC_BACK));
                   sounds.clear();
                   const struct {
                       int id;
                       std::vector<std::string> sounds;
                   } cases[] = {{IDC_INCANDESCENT, {"#187"}}, {IDC_INCANDESCENT, {"#187"}}, {IDC_DAYLIGHT, {"#187", "#189"}},
                                {IDC_FLUORESCENT, {"#187", "#189", "#186"}}};
                   for (const auto& c : cases) {
                       SCOPED_TRACE(c.id);
                       press(c.id);
                       EXPECT_EQ(sounds, c.sounds);
                       EXPECT_TRUE(nextEnabled());
                   }
                   next();
                   EXPECT_EQ(dialog().working().lighting, 0);
                   EXPECT_EQ(dialog().working().cardKind, 0);
                   ASSERT_EQ(kind(), StepKind::Luminance);
                   EXPECT_EQ(textOf(step(), IDC_CARD_FRAME), "Place\n\nTintplate\n\nHere");
                   DestroyWindow(wizard());
               }});
}

TEST_F(CardStepsTest, TheAreaAroundTheCardFollowsTheToneModelAndTheDimRoomWarningComesAtTwenty) {
    answerMessages(IDOK);  // "Adjust"
    for (int type : {0, 1}) {
        SCOPED_TRACE(type == 0 ? "CRT" : "flat panel");
        messages.clear();
        runWizard({[&] { forwardTo(StepKind::Luminance, type); },
                   [&] {
                       const int start = matching().colorPosition();
                       EXPECT_EQ(start, 5 * huevista::WhiteTable::load(suite.ini).perEntry());  // "Default" 5
                       for (int luminance : {100, 63, 21}) {
                           SCOPED_TRACE(luminance);
                           slide(IDC_LUMINANCE_SLIDER, 100 - luminance);
                           const auto expected = expectedLevels(start, luminance);
                           EXPECT_EQ(matching().levels(), expected);
                           EXPECT_EQ(areaPixel(), rgb(expected));
                       }
                       slide(IDC_LUMINANCE_SLIDER, 80);  // 20: warned, Adjust stays
                       next();
                       EXPECT_EQ(kind(), StepKind::Luminance);
                       ASSERT_EQ(messages.size(), 1u);
                       EXPECT_EQ(messages[0].substr(0, 48), "The Huevista detects that your room lighting is ");
                       slide(IDC_LUMINANCE_SLIDER, 79);  // 21: no warning
                       next();
                       EXPECT_EQ(messages.size(), 1u);
                       ASSERT_EQ(kind(), StepKind::Color);
                       EXPECT_EQ(dialog().working().luminance, 21);
                       const int positions = huevista::WhiteTable::load(suite.ini).positions();
                       EXPECT_EQ(SendDlgItemMessageA(step(), IDC_COLOR_SLIDER, TBM_GETRANGEMAX, 0, 0), positions - 1);
                       slide(IDC_COLOR_SLIDER, positions - 1 - 12);
                       EXPECT_EQ(matching().colorPosition(), 12);
                       EXPECT_EQ(areaPixel(), rgb(expectedLevels(12, 21)));
                       next();  // on to the second monitor
                       EXPECT_EQ(dialog().records()[0].color, 12);
                       DestroyWindow(wizard());
                   }});
    }
}

TEST_F(CardStepsTest, OnAPanelTheWizardSlidesDownToItsScreensBottomAndBackUp) {
    const struct {
        const char* name;
        int monitor;
        int monitorBottom;
    } cases[] = {{"first monitor", 0, 768}, {"second monitor, a CRT on the first", 1, 500}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        runWizard({[&] {
                       for (int i = 0; i < 30 && !(dialog().monitor() == c.monitor && kind() == StepKind::Lighting); ++i)
                           forward(dialog().monitor() == c.monitor ? 1 : 0);
                       ASSERT_EQ(dialog().monitor(), c.monitor);
                       ASSERT_EQ(kind(), StepKind::Lighting);
                   },
                   [&] {
                       RECT r{};
                       GetWindowRect(wizard(), &r);
                       EXPECT_EQ(r.bottom, c.monitorBottom);
                       const int remembered = dynamic_cast<huevista::LightingStep*>(dialog().activeStep())->rememberedBottom();
                       EXPECT_LT(remembered, c.monitorBottom);
                       // Shown again while down: it stays (no endless slide).
                       press(IDC_DAYLIGHT);
                       next();
                       back();
                       ASSERT_EQ(kind(), StepKind::Lighting);
                       GetWindowRect(wizard(), &r);
                       EXPECT_EQ(r.bottom, c.monitorBottom);
                       back();
                       GetWindowRect(wizard(), &r);
                       EXPECT_EQ(r.bottom, remembered);
                       DestroyWindow(wizard());
                   }});
    }
}

TEST_F(CardStepsTest, AMatchingStepLoadedWhileShownRecomputesAndRepaints) {
    runWizard({[&] { forwardTo(StepKind::Luminance, 0); },
               [&] {
                   const int position = matching().colorPosition();
                   dialog().working().luminance = 40;
                   dialog().activeStep()->load(dialog().working());
                   EXPECT_EQ(matching().luminance(), 40);
                   EXPECT_EQ(SendDlgItemMessageA(step(), IDC_LUMINANCE_SLIDER, TBM_GETPOS, 0, 0), 60);
                   EXPECT_EQ(areaPixel(), rgb(expectedLevels(position, 40)));
                   // Held to 0..100.
                   dialog().working().luminance = 250;
                   dialog().activeStep()->load(dialog().working());
                   EXPECT_EQ(matching().luminance(), 100);
                   DestroyWindow(wizard());
               }});
}

}  // namespace
