// Navigation through the main dialog: the steps, titles, progress dots, instructions and help
// contexts of each display type's sequence; Cancel and its question; the About box; Setup's
// display modes; and the hand-over between two monitors.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "resource_ids.h"
#include "text_table.h"
#include "vltutil.h"
#include "wizard_driver.h"

namespace {

using huevista::StepKind;
using huevista::test::WizardTest;
using K = huevista::StepKind;

struct Expected {
    StepKind kind;
    UINT title;
    long long help;  // -1: the help contents
};

// The instruction each step shows; the card steps name the "Tintplate" of a fresh record.
std::string instructionOf(StepKind kind, int type) {
    const std::map<StepKind, UINT> plain = {
        {K::Setup, IDS_SETUP_INSTRUCTION},         {K::Brightness, IDS_BRIGHTNESS_INSTRUCTION},
        {K::BlackPoint, IDS_BLACKPOINT_INSTRUCTION}, {K::Shadows, IDS_SHADOWS_INSTRUCTION},
        {K::Highlights, IDS_HIGHLIGHTS_INSTRUCTION}, {K::TiltFit, IDS_TILTFIT_INSTRUCTION},
        {K::Contrast, IDS_CONTRAST_INSTRUCTION},     {K::WhitePoint, IDS_WHITEPOINT_INSTRUCTION},
        {K::Blue, IDS_BLUE_INSTRUCTION},             {K::Red, IDS_RED_INSTRUCTION},
        {K::Green, IDS_GREEN_INSTRUCTION},           {K::Done, IDS_DONE_INSTRUCTION}};
    if (auto it = plain.find(kind); it != plain.end()) return huevista::loadString(it->second);
    const UINT format = kind == K::Lighting ? (type == 0 ? IDS_LIGHTING_CRT_INSTRUCTION : IDS_LIGHTING_PANEL_INSTRUCTION)
                        : kind == K::Luminance ? IDS_LUMINANCE_INSTRUCTION
                                               : IDS_COLOR_INSTRUCTION;
    return huevista::formatString(format, "Tintplate");
}

class NavigationTest : public WizardTest {
protected:
    // The colours of a done and a to-do dot at its centre.
    std::vector<bool> dotsDone() {
        const auto surface = shot("dots");
        std::vector<bool> done;
        for (int id = 1006; id <= 1013; ++id) {
            HWND dot = GetDlgItem(progressPanel(), id);
            const uint32_t pixel = at(surface, inWindow(dot, 6, 6));
            EXPECT_TRUE(pixel == 0x00C800 || pixel == 0x606060) << std::hex << pixel;
            done.push_back(pixel == 0x00C800);
        }
        return done;
    }

    // Checks the active step against `e` at position `index` of its sequence.
    void expectStep(const Expected& e, size_t index, size_t length) {
        SCOPED_TRACE(huevista::loadString(e.title));
        EXPECT_EQ(kind(), e.kind);
        EXPECT_EQ(dialog().stepIndex(), index);
        EXPECT_EQ(helpContextShown(), e.help);
        EXPECT_EQ(textOf(wizard(), 1001), index + 1 == length ? "Finish" : "Next >");
        if (index == 0) {
            EXPECT_FALSE(IsWindowVisible(progressPanel()));
            return;
        }
        EXPECT_TRUE(IsWindowVisible(progressPanel()));
        EXPECT_EQ(titleShown(), huevista::loadString(e.title));
        const std::vector<bool> done = dotsDone();
        for (size_t dot = 0; dot < done.size(); ++dot) EXPECT_EQ(done[dot], dot < index) << "dot " << dot;
        EXPECT_EQ(instructionShown(), instructionOf(e.kind, dialog().working().displayType));
    }
};

TEST_F(NavigationTest, EachDisplayTypeWalksItsStepsWithTheirTitlesDotsAndHelp) {
    const std::vector<Expected> crt = {
        {K::Setup, IDS_TITLE_SETUP, 3},           {K::Brightness, IDS_TITLE_BRIGHTNESS, 201},
        {K::BlackPoint, IDS_TITLE_BLACKPOINT, 205}, {K::Shadows, IDS_TITLE_SHADOWS, 203},
        {K::Highlights, IDS_TITLE_HIGHLIGHTS, 203}, {K::Lighting, IDS_TITLE_LIGHTING, 105},
        {K::Luminance, IDS_TITLE_LUMINANCE, 207},  {K::Color, IDS_TITLE_COLOR, 208},
        {K::Done, IDS_TITLE_DONE, 209}};
    const std::vector<Expected> panel = {
        {K::Setup, IDS_TITLE_SETUP, 3},         {K::TiltFit, IDS_TITLE_TILTFIT, 200},   {K::Contrast, IDS_TITLE_CONTRAST, 202},
        {K::Blue, IDS_TITLE_BLUE, 204},         {K::Red, IDS_TITLE_RED, 204},           {K::Green, IDS_TITLE_GREEN, 204},
        {K::Lighting, IDS_TITLE_LIGHTING, 105}, {K::Luminance, IDS_TITLE_LUMINANCE, 207}, {K::Color, IDS_TITLE_COLOR, 208},
        {K::Done, IDS_TITLE_DONE, 212}};
    std::vector<Expected> notebook = panel;
    notebook[2] = {K::WhitePoint, IDS_TITLE_WHITEPOINT, -1};
    // Monitor 1 is walked with each type, monitor 2 as a CRT to reach Done!.
    const struct {
        int type;
        const std::vector<Expected>* steps;
    } cases[] = {{0, &crt}, {1, &panel}, {2, &notebook}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        std::vector<huevista::test::Action> script;
        for (size_t i = 0; i < c.steps->size(); ++i) {
            const bool last = i + 1 == c.steps->size();
            script.push_back([&, i, last] {
                // Done! comes on the last monitor; before it the second monitor is walked.
                if (last) {
                    EXPECT_EQ(dialog().monitor(), 1);
                    expectStep((*c.steps)[i], i, c.steps->size());
                    next();  // Finish
                    return;
                }
                if (dialog().monitor() == 0) expectStep((*c.steps)[i], i, c.steps->size());
                forward(c.type);
                if (i + 2 == c.steps->size()) {
                    EXPECT_EQ(dialog().monitor(), 1);
                    EXPECT_EQ(kind(), K::Setup);
                    // Monitor 2 follows the same sequence up to its Color step.
                    for (size_t j = 0; j + 2 < c.steps->size(); ++j) forward(c.type);
                    EXPECT_EQ(kind(), K::Color);
                    next();
                }
            });
        }
        EXPECT_EQ(runWizard(script), 0);
    }
}

TEST_F(NavigationTest, TheStepAreaHoldsThePicturesAndTheDialogFitsTheSmallerMonitor) {
    runWizard({[&] {
        RECT client{}, frame{};
        GetClientRect(step(), &client);
        EXPECT_GE(client.right, 395);
        EXPECT_GE(client.bottom, 430);
        GetWindowRect(wizard(), &frame);
        EXPECT_LE(frame.right - frame.left, kSecondMonitor.right - kSecondMonitor.left);
        EXPECT_LE(frame.bottom - frame.top, kSecondMonitor.bottom - kSecondMonitor.top);
        char caption[64] = "";
        GetWindowTextA(wizard(), caption, sizeof caption);
        EXPECT_STREQ(caption, "Spectrine Huevista");
        DestroyWindow(wizard());
    }});
}

TEST_F(NavigationTest, CancelAsksEverywhereButOnTheFirstSetupAndNoKeepsStepAndRecord) {
    answerMessages(IDCANCEL);  // No
    huevista::CalibrationRecord before;
    const int code = runWizard({
        [&] { forward(); },
        [&] { forward(); },
        [&] {
            completeStep();
            before = dialog().working();
            press(IDCANCEL);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0], huevista::loadString(IDS_EXIT_NOW));
            EXPECT_EQ(kind(), K::BlackPoint);
            EXPECT_EQ(memcmp(&dialog().working(), &before, sizeof before), 0);
            EXPECT_EQ(dialog().activeStep()->helpContext(), 205);
            // The question's help is context 14 while it shows.
            onDialog(186, [&](HWND box) {
                messages.push_back("asked");
                SendMessageA(box, WM_HELP, 0, 0);
                PostMessageA(box, WM_COMMAND, IDOK, 0);  // Yes
            });
            press(IDCANCEL);
        },
    });
    EXPECT_EQ(code, 1);
    ASSERT_FALSE(helpCalls.empty());
    EXPECT_EQ(contextOf(helpCalls.back()), 14);
}

TEST_F(NavigationTest, TheAboutBoxShowsTheStoredChoiceAndWritesItBack) {
    int stored = 0;
    ASSERT_EQ(ReadControlPanelInitscreen(&stored), 0);
    int shown = -1;
    onDialog(IDD_ABOUT, [&](HWND about) {
        shown = IsDlgButtonChecked(about, IDC_NO_LOGO);
        EXPECT_EQ(textOf(about, IDC_WEB_ADDRESS), huevista::loadString(IDS_WEB_ADDRESS));
        SendDlgItemMessageA(about, IDC_WEB_ADDRESS, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendDlgItemMessageA(about, IDC_WEB_ADDRESS, WM_LBUTTONUP, 0, 0);
        SendDlgItemMessageA(about, IDC_NO_LOGO, BM_CLICK, 0, 0);
        PostMessageA(about, WM_COMMAND, IDOK, 0);
    });
    const int code = runWizard({[&] {
        HMENU system = GetSystemMenu(wizard(), FALSE);
        char text[64] = "";
        GetMenuStringA(system, IDM_ABOUT, text, sizeof text, MF_BYCOMMAND);
        EXPECT_STREQ(text, "&About Spectrine...\tCtrl-A");
        // Ctrl+A through the wizard's loop and its accelerators.
        key('A', true);
    },
                                 [&] { DestroyWindow(wizard()); }});
    EXPECT_EQ(code, 1);
    EXPECT_EQ(shown, BST_UNCHECKED);
    ASSERT_EQ(ReadControlPanelInitscreen(&stored), 1);
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(shellCalls, std::vector<std::string>{"open|" + huevista::loadString(IDS_WEB_ADDRESS) + "|<null>"});
}

TEST_F(NavigationTest, SetupLaysOutTheVisibleChoicesAndStartsByItselfWhenNoneIs) {
    struct Case {
        const char* name;
        DWORD mode;
        bool enter;  // else the 3-second timer
        StepKind first;
    };
    const Case cases[] = {
        {"all hidden, flat panel preselected, timer", 0x7 | (1u << 17), false, K::TiltFit},
        {"all hidden, none preselected, Enter", 0x7, true, K::Brightness},
        {"all hidden, notebook and flat panel preselected, Enter", 0x7 | (1u << 18) | (1u << 17), true, K::TiltFit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSpectrineRegValue("Settings", "LCDMode", REG_DWORD, reinterpret_cast<const BYTE*>(&c.mode), sizeof c.mode);
        // Taken before the wizard starts, so a script that runs late on a busy machine still
        // measures at least the time since Setup appeared.
        const DWORD started = GetTickCount();
        const int code = runWizard({[&] {
            EXPECT_EQ(instructionShown(), "Hit the <ENTER> key to start.");
            for (int id : {1014, 1015, 1016, 1019, 1020, 1021}) EXPECT_FALSE(IsWindowVisible(GetDlgItem(step(), id)));
            if (c.enter) key(VK_RETURN);
        },
                                    [&] {
                                        if (!c.enter) {
                                            ASSERT_TRUE(pumpUntil([&] { return kind() != K::Setup; }, 10000));
                                            EXPECT_GE(GetTickCount() - started, 2900u);
                                        }
                                        EXPECT_EQ(kind(), c.first);
                                        DestroyWindow(wizard());
                                    }});
        EXPECT_EQ(code, 1);
    }
    // Two visible choices share the step's width.
    const DWORD crtHidden = 0x1;
    WriteSpectrineRegValue("Settings", "LCDMode", REG_DWORD, reinterpret_cast<const BYTE*>(&crtHidden), sizeof crtHidden);
    runWizard({[&] {
        RECT client{}, panel{}, notebook{};
        GetClientRect(step(), &client);
        GetWindowRect(GetDlgItem(step(), 1015), &panel);
        GetWindowRect(GetDlgItem(step(), 1016), &notebook);
        MapWindowPoints(nullptr, step(), reinterpret_cast<POINT*>(&panel), 2);
        MapWindowPoints(nullptr, step(), reinterpret_cast<POINT*>(&notebook), 2);
        const int width = panel.right - panel.left, gap = (client.right - 2 * width) / 3;
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(step(), 1014)));
        EXPECT_EQ(panel.left, gap);
        EXPECT_EQ(notebook.left, width + 2 * gap);
        EXPECT_EQ(instructionShown(), "Click on the picture of your display.");
        // Enter with choices shown and none made does nothing.
        key(VK_RETURN);
        settle();
        EXPECT_EQ(kind(), K::Setup);
        DestroyWindow(wizard());
    }});
}

TEST_F(NavigationTest, ASecondVisitToSetupKeepsTheMeasurementsOfTheSameTypeAndResetsForAnother) {
    const int code = runWizard({
        [&] { forward(); },
        [&] { forward(); },
        [&] {
            forward(0, 3);
            EXPECT_EQ(dialog().working().black[0], 16);
            back();
            back();
            back();
            EXPECT_EQ(kind(), K::Setup);
            // The type is chosen already: Next shows, and moves on as a click on CRT does.
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(wizard(), 1001)));
            next();
            EXPECT_EQ(kind(), K::Brightness);
            EXPECT_EQ(dialog().working().black[0], 16);
            EXPECT_EQ(dialog().working().blackValid, 1);
            back();
            completeStep(1);
            EXPECT_EQ(kind(), K::TiltFit);
            EXPECT_EQ(dialog().working().displayType, 1);
            EXPECT_EQ(dialog().working().black[0], 0);
            EXPECT_EQ(dialog().working().blackValid, 0);
            EXPECT_EQ(dialog().sequenceLength(), 10u);
            DestroyWindow(wizard());
        },
    });
    EXPECT_EQ(code, 1);
}

class TwoMonitorTest : public NavigationTest {
protected:
    void walkToSecondMonitor(int type) {
        while (dialog().monitor() == 0) forward(type, 3);
    }
    POINT centreOf(HWND w) const {
        RECT r{};
        GetWindowRect(w, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
};

TEST_F(TwoMonitorTest, ColorHandsOverToTheSecondMonitorAndBackReturnsWithItsOwnRecord) {
    const struct {
        int first, second;
    } cases[] = {{0, 1}, {1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " then " + std::to_string(c.second));
        huevista::CalibrationRecord firstRecord;
        int setupWindows = 0;
        const int code = runWizard({
            [&] {
                const POINT centre = centreOf(wizard());
                EXPECT_NEAR(centre.x, 512, 1);
                EXPECT_NEAR(centre.y, 384, 1);
                walkToSecondMonitor(c.first);
                EXPECT_EQ(kind(), K::Setup);
                EXPECT_FALSE(IsWindowVisible(GetDlgItem(wizard(), 1001)));
                EXPECT_TRUE(IsWindowVisible(GetDlgItem(wizard(), 1002)));
                EXPECT_FALSE(IsWindowVisible(GetDlgItem(wizard(), IDCANCEL)));
                const POINT second = centreOf(wizard());
                EXPECT_NEAR(second.x, 1424, 1);
                EXPECT_NEAR(second.y, 200, 1);
                firstRecord = dialog().records()[0];
                EXPECT_EQ(firstRecord.displayType, c.first);
                EXPECT_EQ(firstRecord.setUp, 1);
                // Monitor 2 chooses its type and steps back to monitor 1's Color.
                completeStep(c.second);
                back();
                EXPECT_EQ(kind(), K::Setup);
                back();
                EXPECT_EQ(dialog().monitor(), 0);
                EXPECT_EQ(kind(), K::Color);
                EXPECT_EQ(dialog().sequenceLength(), c.first == 0 ? 9u : 10u);
                EXPECT_EQ(memcmp(&dialog().working(), &firstRecord, sizeof firstRecord), 0);
                EXPECT_NEAR(centreOf(wizard()).x, 512, 1);
                EXPECT_TRUE(IsWindowVisible(GetDlgItem(wizard(), IDCANCEL)));
                // Forward again: monitor 2's Setup is made once, with its record.
                onDialog(IDD_SETUP, [&](HWND) { ++setupWindows; });
                next();
                EXPECT_EQ(setupWindows, 1);
                onDialog(IDD_SETUP, [](HWND) {});
                EXPECT_EQ(dialog().monitor(), 1);
                EXPECT_EQ(dialog().working().displayType, c.second);
                EXPECT_EQ(dialog().working().setUp, 1);
                EXPECT_TRUE(IsWindowVisible(GetDlgItem(wizard(), 1001)));
                // Cancel on a later monitor's Setup asks too.
                answerMessages(IDCANCEL);
                press(IDCANCEL);
                EXPECT_EQ(messages.size(), 1u);
                EXPECT_EQ(kind(), K::Setup);
                answerMessages(IDOK);
                press(IDCANCEL);
            },
        });
        EXPECT_EQ(code, 1);
        messages.clear();
    }
}

}  // namespace
