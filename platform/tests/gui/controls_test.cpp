// The built-in controls' message order with real input on the offscreen display, as Win32
// orders it: an owner-drawn button's WM_DRAWITEM and BN_CLICKED, a drop-down list's mouse pick,
// an edit field's clipboard; and the animation's frames, uncompressed and RLE8, on screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui_test.h"
#include "winplat.h"

namespace {

using spx::test::GuiTest;

std::vector<std::string> log;
bool refuseTabChange = false;

LRESULT CALLBACK parentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWITEM: {
            const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            log.push_back("draw " + std::to_string(dis->itemAction) + " " + std::to_string(dis->itemState));
            return TRUE;
        }
        case WM_COMMAND:
            log.push_back("command " + std::to_string(HIWORD(wParam)));
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            log.push_back("notify " + std::to_string(static_cast<int>(header->code)) + " from " + std::to_string(header->idFrom));
            return header->code == TCN_SELCHANGING && refuseTabChange;
        }
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            log.push_back(message == WM_CTLCOLORBTN ? "colour button" : "colour static");
            return DefWindowProcA(hwnd, message, wParam, lParam);
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

class ControlsTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        log.clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = parentProc;
        wc.lpszClassName = "ControlParent";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
        ASSERT_NE(RegisterClassA(&wc), 0);
        parent_ = CreateWindowExA(0, "ControlParent", "", WS_POPUP | WS_VISIBLE, 200, 150, 300, 200, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    HWND child(const char* cls, const char* text, DWORD style, RECT r, int id) {
        HWND h = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, parent_, reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
        EXPECT_NE(h, nullptr);
        pump();
        log.clear();
        return h;
    }
    void click(POINT desktop) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi = {desktop.x, desktop.y, 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, 0, 0};
        in[1].mi = {desktop.x, desktop.y, 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, 0, 0};
        ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
        pump();
    }
    HWND parent_ = nullptr;
};

TEST_F(ControlsTest, AnOwnerDrawnButtonDrawsAndClicksInWin32Order) {
    HWND button = child("Button", "OK", BS_OWNERDRAW, {10, 10, 90, 40}, 7);
    InvalidateRect(button, nullptr, TRUE);
    pump();
    EXPECT_EQ(log, std::vector<std::string>{"draw 1 0"});  // ODA_DRAWENTIRE
    log.clear();
    click(POINT{200 + 50, 150 + 25});
    // Down: pressed (ODA_SELECT, ODS_SELECTED), then the focus (ODA_FOCUS); up: released, then
    // BN_CLICKED.
    const std::vector<std::string> expected = {"draw 2 1", "draw 4 17", "draw 2 16", "command 0"};
    EXPECT_EQ(log, expected);
    // A push button asks for WM_CTLCOLORBTN, a check box for WM_CTLCOLORSTATIC, before painting.
    HWND push = child("Button", "Push", BS_PUSHBUTTON, {100, 10, 180, 40}, 8);
    HWND check = child("Button", "Check", BS_AUTOCHECKBOX, {100, 50, 180, 70}, 9);
    InvalidateRect(push, nullptr, TRUE);
    pump();
    EXPECT_EQ(log, std::vector<std::string>{"colour button"});
    log.clear();
    click(POINT{200 + 110, 150 + 60});
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(std::count(log.begin(), log.end(), "command 0"), 1);
    EXPECT_GE(std::count(log.begin(), log.end(), "colour static"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "colour button"), 0);
}

TEST_F(ControlsTest, ADropDownListPickedWithTheMouse) {
    HWND combo = child("ComboBox", "", CBS_DROPDOWNLIST, {10, 10, 160, 100}, 5);
    for (const char* item : {"Epson Stylus", "Generic InkJet", "HP DeskJet"})
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 0, 0), 0);
    EXPECT_TRUE(log.empty());  // CB_SETCURSEL is silent
    RECT field;
    GetWindowRect(combo, &field);
    EXPECT_LT(field.bottom - field.top, 40);  // the window is the selection field
    click(POINT{(field.left + field.right) / 2, (field.top + field.bottom) / 2});
    ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    // CBN_SETFOCUS, CBN_DROPDOWN (the repaint that follows asks for its colours)
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 2), (std::vector<std::string>{"command 3", "command 7"}));
    log.clear();
    HWND list = FindWindowExA(nullptr, nullptr, "ComboLBox", nullptr);
    ASSERT_NE(list, nullptr);
    RECT r;
    GetWindowRect(list, &r);
    int row = (r.bottom - r.top - 2) / 3;
    click(POINT{r.left + 20, r.top + 1 + row * 2 + row / 2});
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    std::vector<std::string> commands;
    for (const std::string& l : log)
        if (l.rfind("command", 0) == 0) commands.push_back(l);
    EXPECT_EQ(commands, (std::vector<std::string>{"command 9", "command 8", "command 1"}));  // SELENDOK, CLOSEUP, SELCHANGE
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
    char text[32];
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text)), 10);
    EXPECT_STREQ(text, "HP DeskJet");
    EXPECT_FALSE(IsWindow(list));
}

TEST_F(ControlsTest, AnEditFieldCutsCopiesAndPastesThroughTheClipboard) {
    HWND edit = child("Edit", "Generic InkJet", ES_AUTOHSCROLL, {10, 10, 200, 30}, 3);
    HWND other = child("Edit", "", ES_AUTOHSCROLL, {10, 40, 200, 60}, 4);
    SendMessageA(edit, EM_SETSEL, 8, -1);
    DWORD start = 0xBD, end = 0xBD;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 8u);
    EXPECT_EQ(end, 14u);
    SendMessageA(edit, WM_CUT, 0, 0);
    SendMessageA(other, WM_PASTE, 0, 0);
    SendMessageA(other, WM_PASTE, 0, 0);
    char text[32];
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "Generic ");
    GetWindowTextA(other, text, sizeof text);
    EXPECT_STREQ(text, "InkJetInkJet");
    SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
    SendMessageA(edit, WM_PASTE, 0, 0);
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "Generic ");
}

TEST_F(ControlsTest, TabsChangeWhenTheParentLetsThem) {
    HWND tabs = child("SysTabControl32", "", WS_TABSTOP, {10, 10, 290, 190}, 12320);
    int next = 0;
    for (const char* title : {"Settings", "Colour", "Spectrine"}) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(title);
        EXPECT_EQ(SendMessageA(tabs, TCM_INSERTITEMA, 99, reinterpret_cast<LPARAM>(&item)), next++);  // at the end
    }
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(tabs, TCM_SETCURSEL, 1, 0), 0);
    EXPECT_TRUE(log.empty());  // TCM_SETCURSEL is silent
    RECT third{};
    ASSERT_TRUE(SendMessageA(tabs, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&third)));
    POINT at{(third.left + third.right) / 2, (third.top + third.bottom) / 2};
    ClientToScreen(tabs, &at);
    struct Case {
        const char* name;
        bool refuse;
        int selected;
        std::vector<std::string> notes;
    };
    const std::string changing = "notify -552 from 12320", change = "notify -551 from 12320";
    const Case cases[] = {
        {"refused", true, 1, {changing}},
        {"let through", false, 2, {changing, change}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        refuseTabChange = c.refuse;
        log.clear();
        click(at);
        EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), c.selected);
        std::vector<std::string> notes;
        for (const std::string& l : log)
            if (l.rfind("notify", 0) == 0) notes.push_back(l);
        EXPECT_EQ(notes, c.notes);
    }
    // The selected tab stands out where it is painted.
    auto pixels = surfaceOf(parent_, "tabs");
    ASSERT_FALSE(pixels.empty());
    RECT chosen{};
    SendMessageA(tabs, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&chosen));
    EXPECT_LT(chosen.top, third.top);
    char text[4] = "xyz";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    EXPECT_TRUE(SendMessageA(tabs, TCM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(text, "Spe");
    RECT area{10, 10, 290, 190};
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    EXPECT_GT(area.top, 10 + third.bottom - third.top);
    SendMessageA(tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&area));
    EXPECT_EQ(area.left, 10);
    EXPECT_EQ(area.top, 10);
    EXPECT_EQ(area.bottom, 190);
}

TEST_F(ControlsTest, AnimationsShowTheirFramesUncompressedAndRunLengthEncoded) {
    HMODULE library = LoadLibraryA(WINPLAT_DIALOG_LIBRARY_PATH);
    ASSERT_NE(library, nullptr);
    for (int clip : {301, 302}) {
        SCOPED_TRACE(clip);
        HWND animation = child("SysAnimate32", "", 0, {20, 20, 60, 60}, 10);
        ASSERT_TRUE(SendMessageA(animation, ACM_OPENA, reinterpret_cast<WPARAM>(library), reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(clip))));
        RECT r;
        GetClientRect(animation, &r);
        EXPECT_EQ(r.right, 16);  // the control takes the clip's size
        EXPECT_EQ(r.bottom, 12);
        // Frame k: a bar of palette colour k + 1 (red, green, blue) at x = 4k, black elsewhere.
        const uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF};
        for (int frame = 0; frame < 3; ++frame) {
            SCOPED_TRACE(frame);
            ASSERT_TRUE(SendMessageA(animation, ACM_PLAY, 1, MAKELPARAM(frame, frame)));
            pump();
            auto pixels = surfaceOf(parent_, "clip" + std::to_string(clip) + "-" + std::to_string(frame));
            ASSERT_FALSE(pixels.empty());
            for (int x = 0; x < 16; ++x)
                EXPECT_EQ(pixels[20 + 6][static_cast<size_t>(20 + x)], (x / 4 == frame) ? colours[frame] : 0u) << "x " << x;
        }
        // ACS_TRANSPARENT: the black of the first pixel shows the parent's static background.
        SetWindowLongPtrA(animation, GWL_STYLE, GetWindowLongPtrA(animation, GWL_STYLE) | ACS_TRANSPARENT);
        InvalidateRect(animation, nullptr, TRUE);
        pump();
        auto keyed = surfaceOf(parent_, "clip" + std::to_string(clip) + "-transparent");
        ASSERT_FALSE(keyed.empty());
        COLORREF face = GetSysColor(COLOR_3DFACE);
        EXPECT_EQ(keyed[20 + 6][20 + 0], static_cast<uint32_t>(GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face)));
        EXPECT_EQ(keyed[20 + 6][20 + 8], 0x0000FFu);  // the bar of the frame shown
        EXPECT_EQ(std::count(log.begin(), log.end(), "command 1"), 1);  // ACN_START
        SendMessageA(animation, ACM_STOP, 0, 0);
        EXPECT_EQ(std::count(log.begin(), log.end(), "command 2"), 1);  // ACN_STOP
        log.clear();
        DestroyWindow(animation);
    }
    FreeLibrary(library);
}

}  // namespace
