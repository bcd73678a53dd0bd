// The measuring pictures as the steps show them, probed pixel by pixel in the main dialog's
// surface: the black point grid, the shadow and highlight dithers with their patches and black
// lines, the slider fields and strips, the landscapes' levels, the viewing-angle picture, the
// step frame and the instruction panel's control symbols.
#include <gtest/gtest.h>

#include <set>

#include "grid_geometry.h"
#include "instruction_panel.h"
#include "pictures.h"
#include "resource_ids.h"
#include "text_table.h"
#include "wizard_driver.h"

namespace {

using huevista::StepKind;
using huevista::test::Surface;
using huevista::test::WizardTest;
using huevista::kColumnChannel;
using huevista::kColumnX;

uint32_t rgb(int r, int g, int b) { return static_cast<uint32_t>(r) << 16 | g << 8 | b; }
uint32_t onChannel(int channel, int level) {
    return rgb(channel == 0 ? level : 0, channel == 1 ? level : 0, channel == 2 ? level : 0);
}
uint32_t grey(int level) { return rgb(level, level, level); }

class PatternsTest : public WizardTest {
protected:
    // A pixel of the picture of `width` x `height` centred in the active step.
    uint32_t pixel(const Surface& s, int x, int y, int width = 395, int height = 430) const {
        RECT client{};
        GetClientRect(step(), &client);
        return at(s, inStep((client.right - width) / 2 + x, (client.bottom - height) / 2 + y));
    }
    // The levels found in the picture, as greys (every pixel must be a grey).
    std::set<int> greysOf(const Surface& s, int width, int height) const {
        std::set<int> levels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t p = pixel(s, x, y, width, height);
                const int r = static_cast<int>(p >> 16), g = (p >> 8) & 0xFF, b = p & 0xFF;
                if (r != g || g != b) ADD_FAILURE() << "not a grey at " << x << "," << y << ": " << std::hex << p;
                levels.insert(r);
            }
        return levels;
    }
};

TEST_F(PatternsTest, BlackPointPatchesSitOnTheirColumnsAtTheirLevels) {
    runWizard({[&] { forward(); },
               [&] { forward(); },
               [&] {
                   ASSERT_EQ(kind(), StepKind::BlackPoint);
                   const Surface s = shot("black point");
                   for (int c = 0; c < 3; ++c) {
                       SCOPED_TRACE(c);
                       const int left = kColumnX[c], channel = kColumnChannel[c];
                       for (int y : {0, 200, 429}) {
                           for (int x : {0, 1, 71, 72}) EXPECT_EQ(pixel(s, left + x, y), grey(32)) << x << "," << y;
                           EXPECT_EQ(pixel(s, left + 2, y), grey(0));
                           EXPECT_EQ(pixel(s, left - 1, y), grey(0));
                       }
                       for (int k = 0; k < 12; ++k) {
                           const int top = 9 + 36 * k;
                           const uint32_t level = onChannel(channel, 8 * k);
                           for (auto [x, y] : {std::pair{7, 0}, {65, 0}, {7, 17}, {65, 17}, {36, 9}})
                               EXPECT_EQ(pixel(s, left + x, top + y), level) << "patch " << k;
                           for (auto [x, y] : {std::pair{6, 0}, {66, 0}, {36, -1}, {36, 18}})
                               EXPECT_EQ(pixel(s, left + x, top + y), grey(0)) << "beside patch " << k;
                       }
                   }
                   DestroyWindow(wizard());
               }});
}

TEST_F(PatternsTest, ShadowsAndHighlightsShowTheirDithersPatchesAndBlackLines) {
    struct Case {
        const char* name;
        int lit;        // lit rows in every three
        int first;      // level of patch 0
        int patchStep;  // level step between patches (the first one of the highlights aside)
    };
    const Case cases[] = {{"shadows", 1, 192, 8}, {"highlights", 2, 255, 8}};
    runWizard({[&] { forward(); },
               [&] { forward(); },
               [&] { forward(); },
               [&] {
                   for (const Case& c : cases) {
                       SCOPED_TRACE(c.name);
                       ASSERT_EQ(kind(), c.lit == 1 ? StepKind::Shadows : StepKind::Highlights);
                       const Surface s = shot(c.name);
                       for (int col = 0; col < 3; ++col) {
                           const int left = kColumnX[col], channel = kColumnChannel[col];
                           for (int y : {0, 100, 429}) {
                               EXPECT_EQ(pixel(s, left, y), grey(136));
                               EXPECT_EQ(pixel(s, left + 72, y), grey(136));
                           }
                           // The dither beside the patches: lit rows on the channel at full level.
                           for (int y = 0; y < 430; ++y) {
                               const bool lit = y % 3 < c.lit;
                               EXPECT_EQ(pixel(s, left + 10, y), lit ? onChannel(channel, 255) : grey(0)) << y;
                               EXPECT_EQ(pixel(s, left + 60, y), lit ? onChannel(channel, 255) : grey(0)) << y;
                           }
                           for (int j = 0; j < 12; ++j) {
                               const int top = 9 + 36 * j;
                               const int level = c.lit == 2 && j > 0 ? 256 - 8 * j : c.first - c.patchStep * j;
                               for (auto [x, y] : {std::pair{28, 0}, {44, 0}, {28, 14}, {44, 14}})
                                   EXPECT_EQ(pixel(s, left + x, top + y), onChannel(channel, level)) << "patch " << j;
                               EXPECT_EQ(pixel(s, left + 36, top - 1), grey(0)) << "line above " << j;
                               EXPECT_EQ(pixel(s, left + 36, top + 15), grey(0)) << "line below " << j;
                           }
                       }
                       forward();
                   }
                   DestroyWindow(wizard());
               }});
}

TEST_F(PatternsTest, LandscapesUseOnlyTheirLevelsWithFarRangesAboveNearOnes) {
    const struct {
        int type;
        const std::vector<int>* levels;
        StepKind kind;
    } cases[] = {{0, &huevista::nightLevels(), StepKind::Brightness}, {1, &huevista::dayLevels(), StepKind::Contrast}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        runWizard({[&] { forward(c.type); },
                   [&] {
                       if (c.type == 1) forward(1);
                       ASSERT_EQ(kind(), c.kind);
                       const Surface s = shot("landscape");
                       const std::set<int> found = greysOf(s, 385, 430);
                       EXPECT_EQ(found, std::set<int>(c.levels->begin(), c.levels->end()));
                       // Down every column the layers come in their order, far before near.
                       const std::vector<int>& order = *c.levels;
                       for (int x = 0; x < 385; x += 7) {
                           size_t layer = 0;
                           for (int y = 0; y < 430; ++y) {
                               const int level = static_cast<int>(pixel(s, x, y, 385, 430) & 0xFF);
                               if (c.type == 0 && level == 128 && y < 120) continue;  // the moon
                               size_t at = 0;
                               while (at < order.size() && order[at] != level) ++at;
                               EXPECT_GE(at, layer) << x << "," << y;
                               layer = std::max(layer, at);
                           }
                           EXPECT_EQ(layer, order.size() - 1);
                       }
                       DestroyWindow(wizard());
                   }});
    }
}

TEST_F(PatternsTest, TheViewingAnglePictureIsAGreyFrameAroundTheDarkLevels) {
    runWizard({[&] { forward(1); },
               [&] {
                   ASSERT_EQ(kind(), StepKind::TiltFit);
                   const Surface s = shot("tiltfit");
                   EXPECT_EQ(greysOf(s, 395, 430), (std::set<int>{0, 8, 16, huevista::kTiltFrameLevel}));
                   EXPECT_EQ(pixel(s, 40, 200), grey(huevista::kTiltFrameLevel));
                   DestroyWindow(wizard());
               }});
}

TEST_F(PatternsTest, SliderFieldsAndStripsShowTheirLevels) {
    const int fieldX[3] = {18, 150, 282}, stripX[3] = {52, 184, 316};
    struct Case {
        StepKind kind;
        int notebook;
        int channels[3];   // field and strip channel, left to right
        int strip[3];      // default strip levels
        int period[3], lit[3];  // line patterns; lit 0: a solid field
    };
    const Case cases[] = {
        {StepKind::WhitePoint, 2, {2, 0, 1}, {255, 255, 255}, {1, 1, 1}, {1, 1, 1}},
        {StepKind::Blue, 2, {2, 2, 2}, {192, 160, 128}, {3, 2, 3}, {2, 1, 1}},
        {StepKind::Red, 2, {0, 0, 0}, {192, 160, 128}, {3, 2, 3}, {2, 1, 1}},
        {StepKind::Green, 2, {1, 1, 1}, {192, 160, 128}, {3, 2, 3}, {2, 1, 1}},
    };
    runWizard({[&] { forward(2); },
               [&] { forward(2); },
               [&] {
                   for (const Case& c : cases) {
                       SCOPED_TRACE(static_cast<int>(c.kind));
                       ASSERT_EQ(kind(), c.kind);
                       const Surface s = shot("sliders");
                       RECT client{};
                       GetClientRect(step(), &client);
                       auto field = [&](int x, int y) { return at(s, inStep((client.right - 395) / 2 + x, 16 + y)); };
                       EXPECT_EQ(field(5, 5), rgb(160, 160, 164));
                       for (int f = 0; f < 3; ++f) {
                           for (int y = 14; y < 136; ++y)
                               EXPECT_EQ(field(fieldX[f] + 5, y),
                                         y % c.period[f] < c.lit[f] ? onChannel(c.channels[f], 255) : grey(0))
                                   << "field " << f << " row " << y;
                           for (auto [x, y] : {std::pair{0, 28}, {19, 28}, {0, 121}, {19, 121}})
                               EXPECT_EQ(field(stripX[f] + x, y), onChannel(c.channels[f], c.strip[f])) << "strip " << f;
                           EXPECT_NE(field(stripX[f] + 20, 28), onChannel(c.channels[f], c.strip[f] - 1));
                       }
                       forward(2);
                   }
                   DestroyWindow(wizard());
               }});
}

TEST_F(PatternsTest, TheStepFrameAndTheInstructionSymbols) {
    runWizard({[&] {
                   const Surface s = shot("frame");
                   RECT client{};
                   GetClientRect(step(), &client);
                   // The rounded frame: a 4-pixel grey pen along the client reduced by 3 and inset by 2.
                   EXPECT_EQ(at(s, inStep(client.right / 2, 1)), grey(128));
                   EXPECT_EQ(at(s, inStep(1, client.bottom / 2)), grey(128));
                   EXPECT_EQ(at(s, inStep(client.right - 5, client.bottom / 2)), grey(128));
                   EXPECT_EQ(at(s, inStep(client.right / 2, client.bottom - 2)), grey(192));
                   EXPECT_EQ(at(s, inStep(0, 0)), grey(192));
                   EXPECT_EQ(at(s, inStep(client.right / 2, 20)), grey(0));
                   forward();
               },
               [&] {
                   // Brightness: the brightness symbol in its place in the line.
                   HWND panel = GetDlgItem(wizard(), IDC_INSTRUCTIONS);
                   const std::string text = huevista::loadString(IDS_BRIGHTNESS_INSTRUCTION);
                   ASSERT_NE(text.find('\x01'), std::string::npos);
                   RECT client{};
                   GetClientRect(panel, &client);
                   HDC dc = GetDC(panel);
                   HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(panel, WM_GETFONT, 0, 0)));
                   TEXTMETRICA tm{};
                   GetTextMetricsA(dc, &tm);
                   const auto lines = huevista::breakInstruction(dc, text, client.right - 2 * huevista::kInstructionMargin, 16);
                   POINT symbol{-1, -1};
                   for (size_t i = 0; i < lines.size(); ++i)
                       if (size_t at = lines[i].find('\x01'); at != std::string::npos)
                           symbol = {huevista::kInstructionMargin + huevista::measureInstruction(dc, lines[i].substr(0, at), 16),
                                     huevista::kInstructionMargin + static_cast<int>(i) * tm.tmHeight + (tm.tmHeight - 16) / 2};
                   SelectObject(dc, old);
                   ReleaseDC(panel, dc);
                   ASSERT_GE(symbol.x, 0);
                   const Surface s = shot("instruction");
                   EXPECT_EQ(at(s, inWindow(panel, symbol.x + 8, symbol.y + 8)), grey(255));  // the sun
                   EXPECT_EQ(at(s, inWindow(panel, symbol.x + 3, symbol.y + 5)), grey(0));
                   EXPECT_EQ(at(s, inWindow(panel, 2, 2)), grey(0));
                   DestroyWindow(wizard());
               }});
}

}  // namespace
