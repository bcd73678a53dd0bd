// The patch grids: where a click chooses which patch (and where it chooses nothing), what the
// steps store, the markers a stored record brings back, the warnings and their help.
#include <gtest/gtest.h>

#include "grid_geometry.h"
#include "resource_ids.h"
#include "steps/patch_grid.h"
#include "text_table.h"
#include "wizard_driver.h"

namespace {

using huevista::kColumnChannel;
using huevista::kColumnX;
using huevista::PatchGrid;
using huevista::StepKind;
using huevista::test::WizardTest;

class PatchGridTest : public WizardTest {
protected:
    PatchGrid& grid() const { return *dynamic_cast<PatchGrid*>(dialog().activeStep()); }
    // Clicks every column at (column + dx, y).
    void clickColumns(int dx, int y) const {
        for (int c = 0; c < 3; ++c) clickPicture(kColumnX[c] + dx, y, 395, 430);
    }
    void clickIndices(const int (&indices)[3], int pitch) const {
        for (int c = 0; c < 3; ++c) clickPicture(kColumnX[c] + 30, 9 + pitch * indices[c] + 2, 395, 430);
    }
};

TEST_F(PatchGridTest, AClickChoosesThePatchAtOrAboveItAndOnlyInsideThePicture) {
    struct Case {
        const char* name;
        int dx, y;
        int index;  // -1: nothing chosen
    };
    const Case spaced[] = {
        {"above the picture", 30, -1, -1},    {"above the grid top", 30, 0, 0}, {"first patch", 30, 9, 0},
        {"its last row", 30, 26, 0},          {"the gap below", 30, 44, 0},     {"second patch", 30, 45, 1},
        {"last patch", 30, 405, 11},          {"the picture's last row", 30, 429, 11},
        {"below the picture", 30, 430, -1},   {"14 pixels left", -14, 100, 2},  {"15 pixels left", -15, 100, -1},
        {"13 pixels right", 73 + 13, 100, 2}, {"14 pixels right", 73 + 14, 100, -1},
    };
    const Case dense[] = {
        {"above the picture", 30, -5, -1},  {"first patch", 30, 9, 0},      {"its line below", 30, 24, 0},
        {"between two patches", 30, 27, 1}, {"second patch", 30, 45, 2},    {"last position", 30, 422, 22},
        {"y 423", 30, 423, -1},             {"y 429", 30, 429, -1},          {"beside the margin", -15, 100, -1},
    };
    const struct {
        StepKind kind;
        const Case* cases;
        size_t count;
    } grids[] = {{StepKind::BlackPoint, spaced, std::size(spaced)}, {StepKind::Shadows, dense, std::size(dense)}};
    runWizard({[&] { forward(); },
               [&] { forward(); },
               [&] {
                   for (const auto& g : grids) {
                       ASSERT_EQ(kind(), g.kind);
                       for (size_t i = 0; i < g.count; ++i) {
                           const Case& c = g.cases[i];
                           SCOPED_TRACE(c.name);
                           for (int col = 0; col < 3; ++col) {
                               const auto index = grid().clickIndex(col, POINT{kColumnX[col] + c.dx, c.y});
                               EXPECT_EQ(index ? *index : -1, c.index);
                           }
                           // The same through a click of the step's window.
                           const auto before = grid().chosen();
                           clickColumns(c.dx, c.y);
                           for (int col = 0; col < 3; ++col)
                               EXPECT_EQ(grid().chosen()[static_cast<size_t>(col)], c.index < 0 ? before[static_cast<size_t>(col)] : c.index);
                       }
                       forward();
                   }
                   DestroyWindow(wizard());
               }});
}

TEST_F(PatchGridTest, StepsStoreTheLevelsOfTheirChoices) {
    runWizard({[&] { forward(); },
               [&] { forward(); },
               [&] {
                   EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard(), 1001)));
                   const int indices[3] = {0, 5, 8};  // blue, red, green
                   clickIndices(indices, 36);
                   EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard(), 1001)));
                   EXPECT_EQ(GetFocus(), GetDlgItem(wizard(), 1001));
                   next();
                   const auto& r = dialog().working();
                   EXPECT_EQ(r.blackInput, 0.0);
                   EXPECT_EQ(r.black[2], -8);  // the top patch
                   EXPECT_EQ(r.black[0], 32);
                   EXPECT_EQ(r.black[1], 56);
                   EXPECT_EQ(r.blackValid, 1);
                   const int shadows[3] = {2, 7, 20};
                   clickIndices(shadows, 18);
                   next();
                   EXPECT_NEAR(r.shadowInput, 1.0 / 3, 1e-15);
                   EXPECT_EQ(r.shadow[2], 184);
                   EXPECT_EQ(r.shadow[0], 164);
                   EXPECT_EQ(r.shadow[1], 112);
                   EXPECT_EQ(r.shadowValid, 1);
                   const int highlights[3] = {20, 2, 3};
                   clickIndices(highlights, 18);
                   next();
                   EXPECT_NEAR(r.highlightInput, 2.0 / 3, 1e-15);
                   EXPECT_EQ(r.highlight[2], 176);
                   EXPECT_EQ(r.highlight[0], 248);
                   EXPECT_EQ(r.highlight[1], 244);
                   EXPECT_EQ(r.highlightValid, 1);
                   EXPECT_TRUE(messages.empty());
                   DestroyWindow(wizard());
               }});
}

TEST_F(PatchGridTest, MarkersComeBackFromTheRecordAndAFreshGridShowsNone) {
    runWizard({[&] { forward(); },
               [&] { forward(); },
               [&] {
                   const auto first = shot("fresh");
                   for (int c = 0; c < 3; ++c) EXPECT_EQ(grid().chosen()[static_cast<size_t>(c)], -1);
                   EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard(), 1001)));
                   const int indices[3] = {1, 4, 7};
                   clickIndices(indices, 36);
                   next();
                   back();
                   ASSERT_EQ(kind(), StepKind::BlackPoint);
                   EXPECT_EQ(grid().chosen(), (std::array<int, 3>{1, 4, 7}));
                   EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard(), 1001)));
                   const auto again = shot("returned");
                   RECT client{};
                   GetClientRect(step(), &client);
                   const int ox = (client.right - 395) / 2, oy = (client.bottom - 430) / 2;
                   for (int c = 0; c < 3; ++c) {
                       SCOPED_TRACE(c);
                       const int y = oy + 9 + 36 * indices[c] + 9;
                       const uint32_t marker = static_cast<uint32_t>(128) << (8 * (2 - kColumnChannel[c]));
                       // Both triangles at the marker's height, nothing there before.
                       EXPECT_EQ(at(again, inStep(ox + kColumnX[c] - 2, y)), marker);
                       EXPECT_EQ(at(again, inStep(ox + kColumnX[c] + 73 + 2, y)), marker);
                       EXPECT_EQ(at(first, inStep(ox + kColumnX[c] - 2, y)), 0u);
                       EXPECT_EQ(at(again, inStep(ox + kColumnX[c] - 2, y + 36)), 0u);
                   }
                   DestroyWindow(wizard());
               }});
}

TEST_F(PatchGridTest, TheHoverMarkerTheFrameAndTheCursorFollowThePointer) {
    runWizard({[&] { forward(); },
               [&] { forward(); },
               [&] {
                   RECT client{};
                   GetClientRect(step(), &client);
                   const int ox = (client.right - 395) / 2, oy = (client.bottom - 430) / 2;
                   const int red = kColumnX[1];
                   const LPARAM over = MAKELPARAM(ox + red + 30, oy + 100);
                   HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
                   SendMessageA(step(), WM_MOUSEMOVE, 0, over);
                   HCURSOR overColumn = GetCursor();
                   EXPECT_NE(overColumn, arrow);
                   auto s = shot("hover");
                   // The hover marker at the pointer's own height, in the column's colour.
                   EXPECT_EQ(at(s, inStep(ox + red - 2, oy + 100)), 0x800000u);
                   EXPECT_EQ(at(s, inStep(ox + red - 2, oy + 120)), 0u);
                   // With the button down: the other cursor and a frame around the patch it would take.
                   SendMessageA(step(), WM_LBUTTONDOWN, MK_LBUTTON, over);
                   EXPECT_NE(GetCursor(), overColumn);
                   EXPECT_NE(GetCursor(), arrow);
                   s = shot("frame");
                   const int top = oy + 9 + 36 * 2;  // patch 2 holds y 100
                   EXPECT_EQ(at(s, inStep(ox + red + 7, top)), 0x808080u);
                   EXPECT_EQ(at(s, inStep(ox + red + 7 + 58, top + 17)), 0x808080u);
                   EXPECT_EQ(at(s, inStep(ox + red + 30, top + 5)), 0x100000u);  // inside: the patch
                   SendMessageA(step(), WM_LBUTTONUP, 0, over);
                   s = shot("chosen");
                   EXPECT_EQ(at(s, inStep(ox + red + 7, top)), 0x100000u);  // the frame is gone
                   EXPECT_EQ(grid().chosen()[1], 2);
                   // Over no column: the arrow.
                   SendMessageA(step(), WM_MOUSEMOVE, 0, MAKELPARAM(ox + 140, oy + 100));
                   EXPECT_EQ(GetCursor(), arrow);
                   // The pointer leaves the step: within a tick of the timer the hover markers go.
                   SendMessageA(step(), WM_MOUSEMOVE, 0, MAKELPARAM(ox + red + 30, oy + 300));
                   EXPECT_EQ(at(shot("hover again"), inStep(ox + red - 2, oy + 300)), 0x800000u);
                   SetCursorPos(1000, 5);
                   pumpUntil([&] { return at(shot("left"), inStep(ox + red - 2, oy + 300)) == 0u; }, 2000);
                   s = shot("left");
                   EXPECT_EQ(at(s, inStep(ox + red - 2, oy + 300)), 0u);
                   EXPECT_EQ(at(s, inStep(ox + red - 2, oy + 9 + 36 * 2 + 9)), 0x800000u);  // the chosen marker stays
                   DestroyWindow(wizard());
               }});
}

TEST_F(PatchGridTest, WarningsOfTheGridsAndTheirAnswers) {
    struct Case {
        const char* name;
        StepKind kind;
        int indices[3];
        int answer;                   // IDOK: Adjust, IDCANCEL: Continue
        UINT message;                 // 0: none
        unsigned long long help;      // while it shows
        bool advances;
    };
    const Case cases[] = {
        {"black point index 8", StepKind::BlackPoint, {8, 0, 3}, IDOK, 0, 0, true},
        {"black point index 9, Adjust", StepKind::BlackPoint, {2, 9, 3}, IDOK, IDS_VERY_DARK, 12, false},
        {"black point index 9, Continue", StepKind::BlackPoint, {2, 9, 3}, IDCANCEL, IDS_VERY_DARK, 12, true},
        {"shadows 2 and 20", StepKind::Shadows, {2, 20, 10}, IDOK, 0, 0, true},
        {"shadows 1 and 21: high wins", StepKind::Shadows, {10, 1, 21}, IDOK, IDS_HIGH_GAMMA, 71, false},
        {"shadows 21 alone", StepKind::Shadows, {21, 10, 10}, IDOK, IDS_LOW_GAMMA, 211, false},
        {"highlights 0, Continue", StepKind::Highlights, {0, 10, 10}, IDCANCEL, IDS_HIGH_GAMMA, 71, true},
        {"highlights 22", StepKind::Highlights, {10, 10, 22}, IDOK, IDS_LOW_GAMMA, 211, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        std::vector<unsigned long long> helpWhileShown;
        onDialog(IDD_MESSAGE, [&](HWND box) {
            char text[1024];
            GetDlgItemTextA(box, IDC_MESSAGE_TEXT, text, sizeof text);
            messages.push_back(text);
            SendMessageA(box, WM_HELP, 0, 0);
            helpWhileShown.push_back(static_cast<unsigned long long>(contextOf(helpCalls.back())));
            PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(c.answer), 0);
        });
        runWizard({[&] { forward(); },
                   [&] {
                       while (kind() != c.kind) forward();
                       const int pitch = c.kind == StepKind::BlackPoint ? 36 : 18;
                       for (int col = 0; col < 3; ++col) clickPicture(kColumnX[col] + 30, 9 + pitch * c.indices[col], 395, 430);
                       next();
                       EXPECT_EQ(messages.size(), c.message ? 1u : 0u);
                       if (c.message && !messages.empty()) {
                           EXPECT_EQ(messages[0], huevista::loadString(c.message));
                           EXPECT_EQ(helpWhileShown, std::vector<unsigned long long>{c.help});
                       }
                       EXPECT_EQ(kind() != c.kind, c.advances);
                       EXPECT_EQ(dialog().helpOverride(), 0);
                       if (c.advances && c.kind == StepKind::BlackPoint) {
                           EXPECT_EQ(dialog().working().black[kColumnChannel[1]], 8 * c.indices[1] - 8);
                       }
                       if (!c.advances) {
                           EXPECT_EQ(helpContextShown(), c.kind == StepKind::BlackPoint ? 205 : 203);
                       }
                       DestroyWindow(wizard());
                   }});
    }
}

}  // namespace
