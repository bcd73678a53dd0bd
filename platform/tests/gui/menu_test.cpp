// Popup menus: a menu built with InsertMenuA reaches the popup-menu handler intact and its
// answer comes back (returned under TPM_RETURNCMD, posted as WM_COMMAND otherwise); without a
// handler the platform's own menu runs on the keyboard; RT_MENU resources; the system menu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_test.h"
#include "winplat.h"

namespace {

using spx::test::GuiTest;

std::vector<std::pair<UINT, WPARAM>> commands;

LRESULT CALLBACK ownerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == WM_SYSCOMMAND) commands.emplace_back(message, wParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class MenuTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        commands.clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = ownerProc;
        wc.lpszClassName = "MenuOwner";
        ASSERT_NE(RegisterClassA(&wc), 0);
        owner_ = CreateWindowExA(0, "MenuOwner", "Owner", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 100, 100, 200, 120,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
    }
    void key(WORD vk) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki = {vk, 0, 0, 0, 0};
        in[1].ki = {vk, 0, KEYEVENTF_KEYUP, 0, 0};
        ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
    }
    HWND owner_ = nullptr;
};

// Open, Linked (checked), a separator, More > First, Exit (greyed), built out of order.
HMENU buildTrayMenu() {
    HMENU more = CreatePopupMenu();
    AppendMenuA(more, MF_STRING, 32771, "&First");
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 32769, "E&xit");
    InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, 32768, "&Open");
    InsertMenuA(menu, 32769, MF_BYCOMMAND | MF_POPUP, reinterpret_cast<UINT_PTR>(more), "&More");
    InsertMenuA(menu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    InsertMenuA(menu, 1, MF_BYPOSITION | MF_STRING, 32770, "&Linked");
    CheckMenuItem(menu, 32770, MF_BYCOMMAND | MF_CHECKED);
    return menu;
}

const std::vector<std::string> kTrayItems = {"&Open|0", "&Linked|8", "|" + std::to_string(MF_SEPARATOR & 0xFF), "&More|16",
                                             "  &First|0", "E&xit|1"};

TEST_F(MenuTest, AMenuReachesTheHandlerIntactAndItsAnswerComesBack) {
    struct Case {
        const char* name;
        UINT flags;
        UINT answer;
        BOOL result;
        std::vector<std::pair<UINT, WPARAM>> posted;
    };
    const Case cases[] = {
        {"returned", TPM_RETURNCMD | TPM_RIGHTBUTTON, 32771, 32771, {}},
        {"nothing chosen", TPM_RETURNCMD, 0, 0, {}},
        {"posted as WM_COMMAND", TPM_RIGHTALIGN, 32768, TRUE, {{WM_COMMAND, 32768}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HMENU menu = buildTrayMenu();
        menusSeen.clear();
        commands.clear();
        answerMenus(c.answer);
        EXPECT_EQ(TrackPopupMenu(menu, c.flags, 300, 200, 0, owner_, nullptr), c.result);
        pump();
        EXPECT_EQ(menusSeen, kTrayItems);
        EXPECT_EQ(commands, c.posted);
        EXPECT_TRUE(DestroyMenu(menu));
    }
    // The menu calls' answers on the same menu.
    HMENU menu = buildTrayMenu();
    EXPECT_EQ(GetMenuItemCount(menu), 5);
    EXPECT_EQ(GetMenuState(menu, 32771, MF_BYCOMMAND), 0u);  // found in the submenu
    EXPECT_EQ(CheckMenuItem(menu, 32770, MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(EnableMenuItem(menu, 32769, MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(GetMenuState(menu, 32769, MF_BYCOMMAND), 0u);
    char text[4] = "xyz";
    EXPECT_EQ(GetMenuStringA(menu, 32768, text, sizeof text, MF_BYCOMMAND), 3);
    EXPECT_STREQ(text, "&Op");
    EXPECT_TRUE(RemoveMenu(menu, 0, MF_BYPOSITION));
    EXPECT_EQ(GetMenuItemID(menu, 0), 32770u);
    EXPECT_EQ(GetMenuState(menu, 99, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(menu));
    EXPECT_EQ(GetMenuItemCount(menu), -1);
}

TEST_F(MenuTest, ThePlatformsMenuRunsOnTheKeyboard) {
    struct Case {
        const char* name;
        std::vector<WORD> keys;
        UINT chosen;
    };
    const Case cases[] = {
        {"first item", {VK_DOWN, VK_RETURN}, 32768},
        {"past the separator", {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}, 32771},
        {"into the submenu", {VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}, 32771},
        {"greyed item", {VK_UP, VK_RETURN, VK_ESCAPE}, 0},
        {"mnemonic", {'L'}, 32770},
        {"escape", {VK_ESCAPE}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HMENU menu = buildTrayMenu();
        SetFocus(owner_);
        for (WORD k : c.keys) key(k);
        EXPECT_EQ(static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD, 150, 150, 0, owner_, nullptr)), c.chosen);
        pump();
        DestroyMenu(menu);
    }
}

TEST_F(MenuTest, ResourceMenusAndTheSystemMenu) {
    HMODULE library = LoadLibraryA(WINPLAT_DIALOG_LIBRARY_PATH);
    ASSERT_NE(library, nullptr);
    HMENU bar = LoadMenuA(library, MAKEINTRESOURCEA(400));
    ASSERT_NE(bar, nullptr);
    HMENU tray = GetSubMenu(bar, 0);
    ASSERT_NE(tray, nullptr);
    answerMenus(0);
    TrackPopupMenu(tray, TPM_RETURNCMD, 0, 0, 0, owner_, nullptr);
    EXPECT_EQ(menusSeen, kTrayItems);
    EXPECT_EQ(LoadMenuA(library, MAKEINTRESOURCEA(401)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    DestroyMenu(bar);
    FreeLibrary(library);

    // The system menu: Move, a separator, Close; its picks arrive as WM_SYSCOMMAND, and an item
    // added to it is a system command for the accelerators too.
    HMENU system = GetSystemMenu(owner_, FALSE);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(GetSystemMenu(owner_, FALSE), system);
    EXPECT_EQ(GetMenuItemID(system, 2), static_cast<UINT>(SC_CLOSE));
    EXPECT_TRUE(AppendMenuA(system, MF_STRING, 16, "&About..."));
    answerMenus(16);
    commands.clear();
    SendMessageA(owner_, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    pump();
    EXPECT_EQ(commands, (std::vector<std::pair<UINT, WPARAM>>{{WM_SYSCOMMAND, SC_KEYMENU}, {WM_SYSCOMMAND, 16}}));
}

}  // namespace
