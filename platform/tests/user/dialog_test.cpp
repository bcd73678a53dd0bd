// Dialogs without pixels: the template reader over the test library's classic and extended
// templates and their damage, the DWLP_MSGRESULT rule of DefDlgProcA, the "#32770" class,
// IsDialogMessageA's keys, the dialog-item helpers, accelerators and MulDiv.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_template.h"
#include "fresh_root.h"
#include "resources.h"

namespace {

using namespace winplat::detail;
using spx::test::FreshRootTest;

class DialogTest : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        library_ = LoadLibraryA(WINPLAT_RESOURCE_DOUBLE_PATH);
        ASSERT_NE(library_, nullptr);
    }
    void TearDown() override {
        FreeLibrary(library_);
        FreshRootTest::TearDown();
    }
    HMODULE library_ = nullptr;
};

TEST_F(DialogTest, ClassicAndExtendedTemplatesAreReadAndDamageIsRefused) {
    struct Case {
        int id;
        bool extended;
        DWORD style;
        DWORD exStyle;
        RECT units;
        const char* title;
        WORD points;
        const char* face;
        std::vector<std::string> items;  // class:title:id:x,y,cx,cy
    };
    const Case cases[] = {
        {200, true, DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_CONTEXTHELP, {10, 20, 180, 90},
         "Spectrine", 8, "MS Shell Dlg", {"Button:OK:1:120,70,50,14", "MSCTLS_TRACKBAR32::1001:10,10,100,15"}},
        {201, false, DS_MODALFRAME | WS_POPUP | WS_CAPTION | DS_SETFONT, 0, {0, 0, 120, 40}, "Classic", 8, "MS Shell Dlg",
         {"Button:Cancel:2:60,20,50,14"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        auto bytes = resourceData(library_, MAKEINTRESOURCEA(c.id), RT_DIALOG);
        ASSERT_TRUE(bytes.has_value());
        auto t = parseDialogTemplate(*bytes);
        ASSERT_TRUE(t.has_value());
        EXPECT_EQ(t->extended, c.extended);
        EXPECT_EQ(t->style & ~WS_VISIBLE, c.style);
        EXPECT_EQ(t->exStyle, c.exStyle);
        EXPECT_EQ((RECT{t->x, t->y, t->cx, t->cy}.left), c.units.left);
        EXPECT_EQ(t->y, c.units.top);
        EXPECT_EQ(t->cx, c.units.right);
        EXPECT_EQ(t->cy, c.units.bottom);
        EXPECT_EQ(t->title, c.title);
        EXPECT_EQ(t->pointSize, c.points);
        EXPECT_EQ(t->face, c.face);
        auto itemsOf = [](const DialogTemplate& d) {
            std::vector<std::string> items;
            for (const DialogItemTemplate& i : d.items)
                items.push_back(className(i.className) + ":" + i.title.text + ":" + std::to_string(i.id) + ":" +
                                std::to_string(i.x) + "," + std::to_string(i.y) + "," + std::to_string(i.cx) + "," +
                                std::to_string(i.cy));
            return items;
        };
        EXPECT_EQ(itemsOf(*t), c.items);
        // Written as a classic template, it reads back the same but for what only the extended
        // form holds (help ids, weight, italic).
        auto again = parseDialogTemplate(writeDialogTemplate(*t));
        ASSERT_TRUE(again.has_value());
        EXPECT_FALSE(again->extended);
        EXPECT_EQ(again->style, t->style);
        EXPECT_EQ(again->exStyle, t->exStyle);
        EXPECT_EQ((std::vector<short>{again->x, again->y, again->cx, again->cy}), (std::vector<short>{t->x, t->y, t->cx, t->cy}));
        EXPECT_EQ(again->title, t->title);
        EXPECT_EQ(again->pointSize, t->pointSize);
        EXPECT_EQ(again->face, t->face);
        EXPECT_EQ(itemsOf(*again), c.items);
        // Cut anywhere before the last item's end, the bytes are refused, never over-read.
        for (size_t cut = 0; cut + 2 < bytes->size(); ++cut) {
            std::vector<BYTE> part(bytes->begin(), bytes->begin() + static_cast<ptrdiff_t>(cut));
            EXPECT_FALSE(parseDialogTemplate(part).has_value()) << "cut at " << cut;
        }
    }
}

TEST_F(DialogTest, WrittenTemplatesKeepNamesOrdinalsAndCreationData) {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION;  // no DS_SETFONT: no font fields
    t.cx = 100, t.cy = -1;
    t.menu.ordinal = 7;
    t.className.text = "MyDialogClass";
    t.title = "Caf\xE9 \x80";  // Windows-1252 text survives the UTF-16 round trip
    for (size_t odd : {0u, 1u, 3u, 4u}) {
        DialogItemTemplate item;
        item.style = WS_CHILD | WS_VISIBLE;
        item.id = static_cast<DWORD>(100 + odd);
        item.className.ordinal = 0x82;
        item.title.ordinal = 139;
        item.creationData.assign(odd, static_cast<BYTE>(0xA0 + odd));
        t.items.push_back(item);
    }
    std::vector<BYTE> bytes = writeDialogTemplate(t);
    auto back = parseDialogTemplate(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->cy, -1);
    EXPECT_EQ(back->menu.ordinal, std::optional<WORD>(7));
    EXPECT_EQ(back->className.text, "MyDialogClass");
    EXPECT_EQ(back->title, t.title);
    EXPECT_TRUE(back->face.empty());
    ASSERT_EQ(back->items.size(), t.items.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back->items[i].id, t.items[i].id);
        EXPECT_EQ(back->items[i].title.ordinal, std::optional<WORD>(139));
        EXPECT_EQ(className(back->items[i].className), "Static");
        EXPECT_EQ(back->items[i].creationData, t.items[i].creationData);
    }
    for (size_t cut = 0; cut + 2 < bytes.size(); ++cut) {
        std::vector<BYTE> part(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(cut));
        EXPECT_FALSE(parseDialogTemplate(part).has_value()) << "cut at " << cut;
    }
}

// An in-memory classic template: style, then items of (class atom, style, id, title).
struct Item {
    WORD atom;
    DWORD style;
    WORD id;
    const char* title;
};
std::vector<WORD> classicTemplate(DWORD style, const std::vector<Item>& items) {
    std::vector<WORD> t = {LOWORD(style), HIWORD(style), 0, 0, static_cast<WORD>(items.size()), 0, 0, 200, 100, 0, 0, 0};
    for (size_t i = 0; i < items.size(); ++i) {
        if (t.size() % 2) t.push_back(0);  // DWORD alignment
        DWORD s = items[i].style | WS_CHILD | WS_VISIBLE;
        t.insert(t.end(), {LOWORD(s), HIWORD(s), 0, 0, 10, static_cast<WORD>(10 + 14 * i), 80, 12, items[i].id, 0xFFFF,
                           items[i].atom});
        for (const char* c = items[i].title; *c; ++c) t.push_back(static_cast<WORD>(*c));
        t.insert(t.end(), {0, 0});
    }
    return t;
}

std::vector<std::pair<UINT, WPARAM>> seen;
LONG_PTR answer = 0;

INT_PTR CALLBACK answeringProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: return FALSE;
        case WM_USER + 5:
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, answer);
            return TRUE;
        case WM_CTLCOLORSTATIC: return 0x1234;
        case WM_USER + 6: return FALSE;  // not handled: DefDlgProcA's own answer
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) seen.emplace_back(message, wParam);
            return TRUE;
        default: return FALSE;
    }
}

TEST_F(DialogTest, DefDlgProcAnswersThroughMsgResultExceptTheDirectMessages) {
    WNDCLASSA wc{};
    ASSERT_TRUE(GetClassInfoA(nullptr, "#32770", &wc));
    EXPECT_EQ(wc.cbWndExtra, DLGWINDOWEXTRA);
    std::vector<WORD> t = classicTemplate(WS_POPUP, {{0x80, BS_PUSHBUTTON, IDCANCEL, "Cancel"}});
    HWND dialog = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), nullptr, answeringProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetClassLongPtrA(dialog, GCW_ATOM), 0x8002u);
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, WC_DIALOG, nullptr), dialog);
    struct Case {
        const char* name;
        UINT message;
        LONG_PTR stored;
        LRESULT result;
    };
    const Case cases[] = {
        {"handled: the stored result", WM_USER + 5, 77, 77},
        {"handled: a negative result", WM_USER + 5, -1, -1},
        {"a control colour: the return value itself", WM_CTLCOLORSTATIC, 99, 0x1234},
        {"not handled: WM_USER answers 0", WM_USER, 55, 0},
        {"not handled", WM_USER + 6, 55, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        answer = c.stored;
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0xBD);
        EXPECT_EQ(SendMessageA(dialog, c.message, 0, 0), c.result);
    }
    SetWindowLongPtrA(dialog, DWLP_USER, 0x5EC);
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), 0x5EC);
    // WM_CLOSE posts the Cancel button's command.
    seen.clear();
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    EXPECT_EQ(seen, (std::vector<std::pair<UINT, WPARAM>>{{WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)}}));
    EXPECT_TRUE(IsWindow(dialog));
    DestroyWindow(dialog);
}

TEST_F(DialogTest, IsDialogMessageMovesTheFocusAndPressesButtons) {
    std::vector<WORD> t = classicTemplate(WS_POPUP, {
                                                        {0x82, SS_LEFT, 100, "&Name:"},
                                                        {0x81, WS_TABSTOP | WS_BORDER, 101, ""},
                                                        {0x80, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 102, "&Red"},
                                                        {0x80, BS_AUTORADIOBUTTON, 103, "&Green"},
                                                        {0x80, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 104, "&Linked"},
                                                        {0x80, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, "OK"},
                                                        {0x80, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, "Cancel"},
                                                    });
    HWND dialog = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), nullptr, answeringProc, 0);
    ASSERT_NE(dialog, nullptr);
    SetFocus(GetDlgItem(dialog, 101));
    struct Case {
        const char* name;
        UINT message;
        WPARAM key;
        int focus;  // the focused control's id after
        std::vector<std::pair<UINT, WPARAM>> commands;
    };
    auto clicked = [](int id) { return std::pair<UINT, WPARAM>{WM_COMMAND, MAKEWPARAM(id, BN_CLICKED)}; };
    const std::vector<Case> cases = {
        {"Tab to the first radio button", WM_KEYDOWN, VK_TAB, 102, {}},
        {"an arrow moves within the group and checks", WM_KEYDOWN, VK_DOWN, 103, {clicked(103)}},
        {"Tab leaves the group", WM_KEYDOWN, VK_TAB, 104, {}},
        {"Enter presses the default button", WM_KEYDOWN, VK_RETURN, 104, {clicked(IDOK)}},
        {"Escape sends IDCANCEL", WM_KEYDOWN, VK_ESCAPE, 104, {clicked(IDCANCEL)}},
        {"a mnemonic clicks its button", WM_CHAR, 'l', 104, {clicked(104)}},
        {"a static's mnemonic focuses what follows it", WM_CHAR, 'n', 101, {}},
        {"the edit takes its characters", WM_CHAR, 'r', 101, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        MSG msg{GetFocus(), c.message, c.key, 0, 0, {}};
        EXPECT_TRUE(IsDialogMessageA(dialog, &msg));
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), c.focus);
        EXPECT_EQ(seen, c.commands);
    }
    EXPECT_EQ(IsDlgButtonChecked(dialog, 103), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 102), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 104), static_cast<UINT>(BST_CHECKED));
    char text[8] = "zzzzzzz";
    EXPECT_EQ(GetDlgItemTextA(dialog, 101, text, sizeof text), 1u);
    EXPECT_STREQ(text, "r");
    // A message for another window is not the dialog's.
    MSG other{HWND_MESSAGE, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(IsDialogMessageA(dialog, &other));
    DestroyWindow(dialog);
}

TEST_F(DialogTest, DialogItemHelpers) {
    std::vector<WORD> t = classicTemplate(WS_POPUP, {{0x81, WS_TABSTOP, 101, "12"}, {0x80, BS_AUTOCHECKBOX, 102, "x"},
                                                     {0x80, BS_AUTORADIOBUTTON | WS_GROUP, 103, "a"},
                                                     {0x80, BS_AUTORADIOBUTTON, 104, "b"}});
    HWND dialog = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), nullptr, answeringProc, 0);
    ASSERT_NE(dialog, nullptr);
    BOOL ok = FALSE;
    EXPECT_EQ(GetDlgItemInt(dialog, 101, &ok, FALSE), 12u);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(SetDlgItemInt(dialog, 101, static_cast<UINT>(-40), TRUE));
    EXPECT_EQ(static_cast<int>(GetDlgItemInt(dialog, 101, &ok, TRUE)), -40);
    EXPECT_EQ(GetDlgItemInt(dialog, 101, &ok, FALSE), 0u);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(SetDlgItemTextA(dialog, 101, "4x"));
    GetDlgItemInt(dialog, 101, &ok, TRUE);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(CheckDlgButton(dialog, 102, BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 102), static_cast<UINT>(BST_CHECKED));
    EXPECT_TRUE(CheckRadioButton(dialog, 103, 104, 104));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 103), 0u);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 104), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(GetDlgCtrlID(GetDlgItem(dialog, 104)), 104);
    EXPECT_EQ(GetDlgItem(dialog, 999), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));
    EXPECT_EQ(SendDlgItemMessageA(dialog, 102, BM_GETCHECK, 0, 0), BST_CHECKED);
    DestroyWindow(dialog);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 102, BM_GETCHECK, 0, 0), 0);
}

std::vector<std::pair<UINT, WPARAM>> accelerated;
LRESULT CALLBACK acceleratedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == WM_SYSCOMMAND) accelerated.emplace_back(message, wParam);
    return message == WM_SYSCOMMAND ? 0 : DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(DialogTest, AcceleratorsBecomeCommandsOrSystemCommands) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = acceleratedProc;
    wc.lpszClassName = "Accelerated";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND w = CreateWindowExA(0, "Accelerated", "", WS_POPUP | WS_SYSMENU, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetFocus(w);
    HACCEL table = LoadAcceleratorsA(library_, MAKEINTRESOURCEA(128));
    ASSERT_NE(table, nullptr);
    struct Case {
        const char* name;
        bool control;
        WPARAM key;
        bool systemItem;  // 16 is on the system menu
        int translated;
        std::vector<std::pair<UINT, WPARAM>> sent;
    };
    const Case cases[] = {
        {"Ctrl+A: a command", true, 'A', false, 1, {{WM_COMMAND, MAKEWPARAM(16, 1)}}},
        {"A alone: nothing", false, 'A', false, 0, {}},
        {"F1", false, VK_F1, false, 1, {{WM_COMMAND, MAKEWPARAM(9, 1)}}},
        {"Ctrl+A on the system menu: a system command", true, 'A', true, 1, {{WM_SYSCOMMAND, 16}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.systemItem) AppendMenuA(GetSystemMenu(w, FALSE), MF_STRING, 16, "&About");
        // The key state follows the input retrieved.
        INPUT control{};
        control.type = INPUT_KEYBOARD;
        control.ki = {VK_CONTROL, 0x1D, static_cast<DWORD>(c.control ? 0 : KEYEVENTF_KEYUP), 0, 0};
        ASSERT_EQ(SendInput(1, &control, sizeof control), 1u);
        MSG m;
        ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
        ASSERT_EQ(m.wParam, static_cast<WPARAM>(VK_CONTROL));
        accelerated.clear();
        MSG key{w, WM_KEYDOWN, c.key, 1, 0, {}};
        EXPECT_EQ(TranslateAcceleratorA(w, table, &key), c.translated);
        EXPECT_EQ(accelerated, c.sent);
    }
    EXPECT_TRUE(DestroyAcceleratorTable(table));
    MSG key{w, WM_KEYDOWN, VK_F1, 1, 0, {}};
    EXPECT_EQ(TranslateAcceleratorA(w, table, &key), 0);
    DestroyWindow(w);
}

TEST(MulDiv, RoundsHalfAwayFromZeroAndRefusesWhatDoesNotFit) {
    struct Case {
        int number, numerator, denominator, result;
    };
    const Case cases[] = {
        {8, 96, 72, 11},  {10, 6, 4, 15}, {5, 1, 2, 3},     {-5, 1, 2, -3},          {7, 1, 0, -1},
        {3, -1, 2, -2},   {1 << 30, 8, 2, -1}, {1 << 30, 4, 8, 1 << 29}, {-4, 3, -2, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << "*" << c.numerator << "/" << c.denominator);
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.result);
    }
}

}  // namespace
