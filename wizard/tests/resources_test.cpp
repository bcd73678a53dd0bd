// The wizard's own resources as the program carries them: the string table with the given
// texts exactly and the chosen ones in their voice, every template, picture, icon, cursor,
// accelerator, sound and the palette, keyed by kind and number.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fresh_root.h"
#include "resource_ids.h"
#include "text_table.h"

namespace {

class WizardResourcesTest : public spx::test::FreshRootTest {};

TEST_F(WizardResourcesTest, TheGivenTextsStandAsTheyAre) {
    struct Case {
        UINT id;
        const char* text;
    };
    const Case cases[] = {
        {101, "&About Spectrine...\tCtrl-A"},
        {102, "Click on the picture of your display."},
        {111, "You can now match your display to another device or optimize it for the type of work you do.\n\n"
              "You can return to this Control Panel later from the taskbar or Display Properties."},
        {113, "Tilt your display until the image in the picture frame just turns black."},
        {115, "Click on the picture of your primary room lighting.\n\nThen smooth the %s onto the glass where shown."},
        {120, "Setup"}, {121, "Brightness"}, {122, "Black Pt."}, {123, "White Pt."}, {124, "Shadows"},
        {126, "Highlights"}, {127, "Luminance"}, {128, "Color"}, {129, "Done!"}, {130, "Contrast"},
        {131, "Lighting"}, {132, "TiltFit"}, {133, "Blue"}, {134, "Red"}, {135, "Green"},
        {136, "Click on the picture of your primary room lighting.\n\nThen place the %s on the ledge of your screen where shown."},
        {137, "Tintoken"}, {138, "Tintplate"}, {139, "Place\n\n%s\n\nHere"}, {140, "Place\n\n%s\n\nHere"},
        {141, "Hit the <ENTER> key to start."},
        {161, "The Huevista detects that your screen is very dark. For best results, adjust your brightness control "
              "to a higher setting before continuing with the Huevista."},
        {164, "You have not completed all color calibration steps.\n\nDo you really want to exit now?"},
        {165, "You're done!\n\nThe Huevista has fully characterized the colors of your display."},
        {167, "Arial"}, {170, "Next >"}, {171, "Finish"}, {172, "Monitor %d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(huevista::loadString(c.id), c.text);
    }
    for (UINT id : {162u, 163u, 166u}) EXPECT_EQ(huevista::loadString(id).rfind("The Huevista detects that your ", 0), 0u) << id;
}

TEST_F(WizardResourcesTest, TheChosenTextsHoldTheirPlaceholdersAndNoClaims) {
    auto count = [](const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    struct Case {
        UINT id;
        const char* placeholder;  // each exactly once; null: none at all
    };
    const Case cases[] = {{103, "\x01"}, {104, nullptr}, {105, nullptr}, {106, nullptr}, {107, nullptr},
                          {108, nullptr}, {109, "%s"},   {110, "%s"},    {112, "\x02"},  {114, nullptr},
                          {116, nullptr}, {117, nullptr}, {118, nullptr}, {169, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const std::string text = huevista::loadString(c.id);
        EXPECT_FALSE(text.empty());
        for (const char* mark : {"%s", "%d", "\x01", "\x02"})
            EXPECT_EQ(count(text, mark), c.placeholder && !std::strcmp(c.placeholder, mark) ? 1u : 0u) << mark;
        for (const char* claim : {"trademark", "Trademark", "patent", "Patent", "(R)", "(TM)", "\xAE", "\x99"})
            EXPECT_EQ(text.find(claim), std::string::npos) << claim;
    }
    EXPECT_EQ(huevista::loadString(169).rfind("https://", 0), 0u);
}

TEST_F(WizardResourcesTest, EveryResourceIsThereByKindAndNumber) {
    HMODULE self = GetModuleHandleA(nullptr);
    struct Case {
        LPCSTR type;
        LPCSTR name;
    };
    const Case cases[] = {
        {RT_DIALOG, MAKEINTRESOURCEA(100)}, {RT_DIALOG, MAKEINTRESOURCEA(102)}, {RT_DIALOG, MAKEINTRESOURCEA(103)},
        {RT_DIALOG, MAKEINTRESOURCEA(133)}, {RT_DIALOG, MAKEINTRESOURCEA(138)}, {RT_DIALOG, MAKEINTRESOURCEA(150)},
        {RT_DIALOG, MAKEINTRESOURCEA(154)}, {RT_DIALOG, MAKEINTRESOURCEA(155)}, {RT_DIALOG, MAKEINTRESOURCEA(156)},
        {RT_DIALOG, MAKEINTRESOURCEA(157)}, {RT_DIALOG, MAKEINTRESOURCEA(158)}, {RT_DIALOG, MAKEINTRESOURCEA(186)},
        {RT_DIALOG, MAKEINTRESOURCEA(198)}, {RT_DIALOG, MAKEINTRESOURCEA(201)}, {RT_DIALOG, MAKEINTRESOURCEA(204)},
        {RT_BITMAP, MAKEINTRESOURCEA(139)}, {RT_BITMAP, MAKEINTRESOURCEA(140)}, {RT_BITMAP, MAKEINTRESOURCEA(217)},
        {RT_BITMAP, MAKEINTRESOURCEA(218)}, {RT_BITMAP, "CRT_U"}, {RT_BITMAP, "CRT_H"}, {RT_BITMAP, "CRT_D"},
        {RT_BITMAP, "LCD_U"}, {RT_BITMAP, "LCD_H"}, {RT_BITMAP, "LCD_D"}, {RT_BITMAP, "LAP_U"}, {RT_BITMAP, "LAP_H"},
        {RT_BITMAP, "LAP_D"}, {RT_GROUP_ICON, MAKEINTRESOURCEA(128)}, {RT_GROUP_CURSOR, MAKEINTRESOURCEA(176)},
        {RT_GROUP_CURSOR, MAKEINTRESOURCEA(177)}, {RT_ACCELERATOR, MAKEINTRESOURCEA(128)},
        {RT_RCDATA, MAKEINTRESOURCEA(226)}, {"WAVE", MAKEINTRESOURCEA(186)}, {"WAVE", MAKEINTRESOURCEA(189)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(IS_INTRESOURCE(c.name) ? std::to_string(reinterpret_cast<uintptr_t>(c.name)) : c.name);
        EXPECT_NE(FindResourceA(self, c.name, c.type), nullptr);
    }
    // The three numbers that serve two kinds.
    EXPECT_NE(FindResourceA(self, MAKEINTRESOURCEA(186), RT_DIALOG), nullptr);
    EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCEA(186), RT_BITMAP), nullptr);
    EXPECT_EQ(huevista::loadString(138), "Tintplate");
    EXPECT_EQ(huevista::loadString(139), "Place\n\n%s\n\nHere");
    // The accelerator: Ctrl+A is system command 16.
    HACCEL table = LoadAcceleratorsA(self, MAKEINTRESOURCEA(128));
    ASSERT_NE(table, nullptr);
    DestroyAcceleratorTable(table);
}

TEST_F(WizardResourcesTest, ThePaletteHoldsTheSystemColoursAndEveryLevelOfEight) {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(226), RT_RCDATA);
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(self, found), 768u);
    const auto* rgb = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
    auto entry = [&](int i) { return RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]); };
    EXPECT_EQ(entry(0), RGB(0, 0, 0));
    EXPECT_EQ(entry(7), RGB(192, 192, 192));
    EXPECT_EQ(entry(8), RGB(192, 220, 192));
    EXPECT_EQ(entry(9), RGB(166, 202, 240));
    EXPECT_EQ(entry(246), RGB(255, 251, 240));
    EXPECT_EQ(entry(247), RGB(160, 160, 164));
    EXPECT_EQ(entry(248), RGB(128, 128, 128));
    EXPECT_EQ(entry(255), RGB(255, 255, 255));
    int k = 0;
    for (int level = 8; level <= 248; level += 8) {
        if (level == 128) continue;
        SCOPED_TRACE(level);
        EXPECT_EQ(entry(10 + k), RGB(level, level, level));
        EXPECT_EQ(entry(40 + k), RGB(level, 0, 0));
        EXPECT_EQ(entry(70 + k), RGB(0, level, 0));
        EXPECT_EQ(entry(100 + k), RGB(0, 0, level));
        ++k;
    }
    EXPECT_EQ(k, 30);
    for (int i = 0; i <= 16; ++i) EXPECT_EQ(entry(130 + i), RGB(64 + 8 * i, 128, 192 - 8 * i)) << i;
    for (int i = 219; i <= 245; ++i) EXPECT_EQ(entry(i), RGB(0, 0, 0)) << i;
}

}  // namespace
