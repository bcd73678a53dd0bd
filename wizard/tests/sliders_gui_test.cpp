// The slider steps: their defaults and positions, Next waiting for all three trackbars, what
// they store (only once all three moved) and load, and White Pt.'s moved state across a load.
#include <gtest/gtest.h>

#include "resource_ids.h"
#include "steps/slider_steps.h"
#include "wizard_driver.h"

namespace {

using huevista::SliderStep;
using huevista::StepKind;
using huevista::test::WizardTest;

class SlidersTest : public WizardTest {
protected:
    SliderStep& sliders() const { return *dynamic_cast<SliderStep*>(dialog().activeStep()); }
    int position(int id) const { return static_cast<int>(SendDlgItemMessageA(step(), id, TBM_GETPOS, 0, 0)); }
    bool nextEnabled() const { return IsWindowEnabled(GetDlgItem(wizard(), IDC_NEXT)); }
};

TEST_F(SlidersTest, ColourStepsStartAtTheirDefaultsAndWaitForAllThreeTrackbars) {
    runWizard({[&] { forward(1); },
               [&] { forward(1); },
               [&] {
                   forward(1);
                   ASSERT_EQ(kind(), StepKind::Blue);
                   EXPECT_EQ(sliders().values(), (std::array<int, 3>{192, 160, 128}));
                   EXPECT_EQ(position(IDC_SLIDER_LEFT), 191);
                   EXPECT_EQ(position(IDC_SLIDER_MIDDLE), 160);
                   EXPECT_EQ(position(IDC_SLIDER_RIGHT), 128);
                   EXPECT_FALSE(nextEnabled());
                   EXPECT_EQ(GetFocus(), GetDlgItem(wizard(), IDC_BACK));
                   slide(IDC_SLIDER_LEFT, 183);    // 200
                   slide(IDC_SLIDER_RIGHT, 156);   // 100
                   EXPECT_FALSE(nextEnabled());
                   // Two of three moved: leaving stores nothing.
                   back();
                   EXPECT_EQ(dialog().working().shadow[huevista::kBlue], -1);
                   EXPECT_EQ(dialog().working().highlight[huevista::kBlue], -1);
                   next();
                   ASSERT_EQ(kind(), StepKind::Blue);
                   EXPECT_EQ(sliders().values(), (std::array<int, 3>{192, 160, 128}));
                   slide(IDC_SLIDER_LEFT, 183);
                   slide(IDC_SLIDER_RIGHT, 156);
                   slide(IDC_SLIDER_MIDDLE, 170);  // 150
                   EXPECT_TRUE(nextEnabled());
                   EXPECT_EQ(sliders().values(), (std::array<int, 3>{200, 150, 100}));
                   next();
                   const auto& r = dialog().working();
                   EXPECT_EQ(r.highlight[huevista::kBlue], 200);
                   EXPECT_EQ(r.midtone[huevista::kBlue], 150);
                   EXPECT_EQ(r.shadow[huevista::kBlue], 100);
                   EXPECT_NEAR(r.shadowInput, 1.0 / 3, 1e-15);
                   EXPECT_EQ(r.midtoneInput, 0.5);
                   EXPECT_NEAR(r.highlightInput, 2.0 / 3, 1e-15);
                   EXPECT_EQ(r.shadowValid + r.midtoneValid + r.highlightValid, 0);  // not the sliders' to set
                   // Shown again with the record's values: moved, Next enabled.
                   back();
                   ASSERT_EQ(kind(), StepKind::Blue);
                   EXPECT_EQ(sliders().values(), (std::array<int, 3>{200, 150, 100}));
                   EXPECT_EQ(position(IDC_SLIDER_LEFT), 183);
                   EXPECT_TRUE(nextEnabled());
                   DestroyWindow(wizard());
               }});
}

TEST_F(SlidersTest, WhitePointKeepsItsMovedStateAcrossALoad) {
    runWizard({[&] { forward(2); },
               [&] { forward(2); },
               [&] {
                   ASSERT_EQ(kind(), StepKind::WhitePoint);
                   EXPECT_EQ(sliders().values(), (std::array<int, 3>{255, 255, 255}));
                   for (int id : {IDC_SLIDER_LEFT, IDC_SLIDER_MIDDLE, IDC_SLIDER_RIGHT}) EXPECT_EQ(position(id), 168);
                   EXPECT_EQ(helpContextShown(), -1);  // the help contents
                   slide(IDC_SLIDER_LEFT, 178);    // blue 245
                   slide(IDC_SLIDER_MIDDLE, 188);  // red 235
                   EXPECT_FALSE(nextEnabled());
                   slide(IDC_SLIDER_RIGHT, 198);   // green 225
                   EXPECT_TRUE(nextEnabled());
                   next();
                   const auto& r = dialog().working();
                   EXPECT_EQ(r.whiteInput, 1.0);
                   EXPECT_EQ(r.white[huevista::kRed], 235);
                   EXPECT_EQ(r.white[huevista::kGreen], 225);
                   EXPECT_EQ(r.white[huevista::kBlue], 245);
                   back();
                   ASSERT_EQ(kind(), StepKind::WhitePoint);
                   EXPECT_TRUE(nextEnabled());
                   EXPECT_EQ(sliders().values(), (std::array<int, 3>{245, 235, 225}));
                   // Back to Setup and the same type again: still moved.
                   back();
                   back();
                   next();
                   forward(2);
                   ASSERT_EQ(kind(), StepKind::WhitePoint);
                   EXPECT_TRUE(nextEnabled());
                   DestroyWindow(wizard());
               }});
}

}  // namespace
