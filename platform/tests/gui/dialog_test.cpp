// Dialogs on the offscreen display: the adjust-like template 903 run modally and driven by id
// from its hook (trackbar notifications from messages, keys and a drag, the drop-down list's
// find rules, the edit field's limit, Enter and Escape), its geometry in dialog units, and
// modal loops beside modeless dialogs and message boxes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "gui_test.h"
#include "winplat.h"

namespace {

using spx::test::GuiTest;

struct Event {
    UINT message;  // WM_HSCROLL, WM_VSCROLL or WM_COMMAND
    int code;      // TB_* or the notification
    int id;        // the control's id
    bool operator==(const Event&) const = default;
};

struct Adjust {
    std::vector<Event> events;
    std::function<void(HWND)> script;
};

void paintFace(const DRAWITEMSTRUCT& dis) {
    HMODULE library = GetModuleHandleA(WINPLAT_DIALOG_LIBRARY_PATH);
    int face = dis.CtlID == IDOK ? 201 : dis.CtlID == IDCANCEL ? 202 : 203;
    HBITMAP bitmap = LoadBitmapA(library, MAKEINTRESOURCEA(face));
    HDC source = CreateCompatibleDC(dis.hDC);
    HGDIOBJ old = SelectObject(source, bitmap);
    StretchBlt(dis.hDC, dis.rcItem.left, dis.rcItem.top, dis.rcItem.right - dis.rcItem.left,
               dis.rcItem.bottom - dis.rcItem.top, source, 0, 0, 8, 8, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(bitmap);
}

INT_PTR CALLBACK adjustProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* a = reinterpret_cast<Adjust*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            for (const char* printer : {"Epson Stylus", "Generic InkJet", "HP DeskJet"})
                SendDlgItemMessageA(dialog, 1030, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(printer));
            SendDlgItemMessageA(dialog, 1040, EM_LIMITTEXT, 24, 0);
            SendDlgItemMessageA(dialog, 1070, ACM_OPENA, reinterpret_cast<WPARAM>(GetModuleHandleA(WINPLAT_DIALOG_LIBRARY_PATH)),
                                reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(302)));
            SendDlgItemMessageA(dialog, 1060, PBM_SETPOS, 40, 0);
            return TRUE;
        case WM_HSCROLL:
        case WM_VSCROLL:
            a->events.push_back({message, LOWORD(wParam), GetDlgCtrlID(reinterpret_cast<HWND>(lParam))});
            return TRUE;
        case WM_COMMAND:
            a->events.push_back({message, HIWORD(wParam), LOWORD(wParam)});
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        case WM_DRAWITEM: paintFace(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_APP:
            if (a->script) a->script(dialog);
            return TRUE;
        default: return FALSE;
    }
}

class DialogTest : public GuiTest {
public:
    using GuiTest::surfaceOf;  // for timer procedures

protected:
    void SetUp() override {
        GuiTest::SetUp();
        library_ = LoadLibraryA(WINPLAT_DIALOG_LIBRARY_PATH);
        ASSERT_NE(library_, nullptr);
    }
    void TearDown() override {
        if (library_) FreeLibrary(library_);
        GuiTest::TearDown();
    }

    void key(WORD vk) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki = {vk, static_cast<WORD>(vk & 0x7F), 0, 0, 0};
        in[1].ki = {vk, static_cast<WORD>(vk & 0x7F), KEYEVENTF_KEYUP, 0, 0};
        ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
    }
    void mouse(DWORD flags, POINT at) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi = {at.x, at.y, 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags, 0, 0};
        ASSERT_EQ(SendInput(1, &in, sizeof in), 1u);
    }
    // Events of one control, from `from` on.
    static std::vector<Event> of(const Adjust& a, int id, size_t from = 0) {
        std::vector<Event> out;
        for (size_t i = from; i < a.events.size(); ++i)
            if (a.events[i].id == id) out.push_back(a.events[i]);
        return out;
    }

    HMODULE library_ = nullptr;
};

TEST_F(DialogTest, TheAdjustDialogIsDrivenByIdFromItsHook) {
    struct Ending {
        const char* name;
        WORD key;
        INT_PTR result;
    };
    for (const Ending& ending : {Ending{"Enter presses the default button", VK_RETURN, IDOK},
                                 Ending{"Escape cancels", VK_ESCAPE, IDCANCEL}}) {
        SCOPED_TRACE(ending.name);
        Adjust a;
        bool ran = false;
        a.script = [&](HWND dialog) {
            ran = true;
            HWND track = GetDlgItem(dialog, 1001);
            ASSERT_NE(track, nullptr);
            // TBM_SETPOS moves the thumb and tells nobody.
            SendMessageA(track, TBM_SETPOS, TRUE, 50);
            EXPECT_EQ(SendMessageA(track, TBM_GETPOS, 0, 0), 50);
            EXPECT_TRUE(of(a, 1001).empty());

            // A drag: the thumb tracks, then its position and the end of tracking.
            RECT thumb{};
            SendMessageA(track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            POINT at{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
            ClientToScreen(track, &at);
            mouse(MOUSEEVENTF_LEFTDOWN, at);
            mouse(0, POINT{at.x + 20, at.y});
            mouse(MOUSEEVENTF_LEFTUP, POINT{at.x + 20, at.y});
            pumpDialog(dialog);
            std::vector<Event> drag = of(a, 1001);
            ASSERT_GE(drag.size(), 3u);
            for (size_t i = 0; i + 2 < drag.size(); ++i) EXPECT_EQ(drag[i].code, TB_THUMBTRACK);
            EXPECT_EQ(drag[drag.size() - 2].code, TB_THUMBPOSITION);
            EXPECT_EQ(drag.back().code, TB_ENDTRACK);
            LONG dragged = static_cast<LONG>(SendMessageA(track, TBM_GETPOS, 0, 0));
            EXPECT_GT(dragged, 50);

            // Keys, each followed by the end of tracking when it is released; the vertical
            // trackbar speaks WM_VSCROLL.
            struct KeyCase {
                WORD vk;
                int id;
                UINT message;
                int code;
                LONG delta;
            };
            SendDlgItemMessageA(dialog, 1004, TBM_SETPOS, TRUE, 50);
            const KeyCase keys[] = {
                {VK_RIGHT, 1001, WM_HSCROLL, TB_LINEDOWN, 1},  {VK_LEFT, 1001, WM_HSCROLL, TB_LINEUP, -1},
                {VK_NEXT, 1001, WM_HSCROLL, TB_PAGEDOWN, 20},  {VK_PRIOR, 1001, WM_HSCROLL, TB_PAGEUP, -20},
                {VK_UP, 1004, WM_VSCROLL, TB_LINEUP, -1},      {VK_DOWN, 1004, WM_VSCROLL, TB_LINEDOWN, 1},
            };
            for (const KeyCase& k : keys) {
                HWND target = GetDlgItem(dialog, k.id);
                SetFocus(target);
                LONG before = static_cast<LONG>(SendMessageA(target, TBM_GETPOS, 0, 0));
                size_t from = a.events.size();
                key(k.vk);
                pumpDialog(dialog);
                EXPECT_EQ(of(a, k.id, from), (std::vector<Event>{{k.message, k.code, k.id}, {k.message, TB_ENDTRACK, k.id}}))
                    << "key " << k.vk;
                EXPECT_EQ(SendMessageA(target, TBM_GETPOS, 0, 0), before + k.delta) << "key " << k.vk;
            }
            SetFocus(track);
            size_t from = a.events.size();
            key(VK_HOME);
            key(VK_END);
            pumpDialog(dialog);
            EXPECT_EQ(of(a, 1001, from), (std::vector<Event>{{WM_HSCROLL, TB_TOP, 1001}, {WM_HSCROLL, TB_ENDTRACK, 1001},
                                                             {WM_HSCROLL, TB_BOTTOM, 1001}, {WM_HSCROLL, TB_ENDTRACK, 1001}}));

            // The drop-down list's find rules.
            HWND combo = GetDlgItem(dialog, 1030);
            auto text = [](const char* s) { return reinterpret_cast<LPARAM>(s); };
            EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), text("generic")), 1);
            EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
            EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), text("zz")), CB_ERR);
            EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
            EXPECT_EQ(SendMessageA(combo, CB_FINDSTRING, 1, text("e")), 0);  // wraps past the end
            EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text("generic")), CB_ERR);
            EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text("generic inkjet")), 1);
            EXPECT_TRUE(of(a, 1030).empty());  // selecting by message notifies nobody

            // Typing 25 characters into a field limited to 24 keeps 24 and says so once.
            HWND edit = GetDlgItem(dialog, 1040);
            SetFocus(edit);
            from = a.events.size();
            for (int i = 0; i < 25; ++i) key(static_cast<WORD>('A' + i % 26));
            pumpDialog(dialog);
            char typed[64];
            EXPECT_EQ(GetWindowTextA(edit, typed, sizeof typed), 24);
            EXPECT_EQ(std::string(typed), "abcdefghijklmnopqrstuvwx");
            std::vector<Event> editEvents = of(a, 1040, from);
            EXPECT_EQ(std::count(editEvents.begin(), editEvents.end(), Event{WM_COMMAND, EN_MAXTEXT, 1040}), 1);
            EXPECT_EQ(std::count(editEvents.begin(), editEvents.end(), Event{WM_COMMAND, EN_CHANGE, 1040}), 24);

            // The surface shows the owner-drawn faces where the buttons are.
            auto pixels = surfaceOf(dialog, "adjust");
            ASSERT_FALSE(pixels.empty());
            struct Face {
                int id;
                uint32_t colour;
            };
            for (Face f : {Face{IDOK, 0x008000}, Face{IDCANCEL, 0x800000}, Face{IDHELP, 0x000080}}) {
                RECT r;
                GetWindowRect(GetDlgItem(dialog, f.id), &r);
                RECT d;
                GetWindowRect(dialog, &d);
                EXPECT_EQ(pixels[static_cast<size_t>((r.top + r.bottom) / 2 - d.top)][static_cast<size_t>((r.left + r.right) / 2 - d.left)],
                          f.colour)
                    << "face of " << f.id;
            }
            SetFocus(track);
            key(ending.key);
        };
        onDialog(903, [](HWND dialog) { PostMessageA(dialog, WM_APP, 0, 0); });
        INT_PTR result = DialogBoxParamA(library_, MAKEINTRESOURCEA(903), nullptr, adjustProc, reinterpret_cast<LPARAM>(&a));
        EXPECT_TRUE(ran);
        EXPECT_EQ(result, ending.result);
        EXPECT_EQ(a.events.back(), (Event{WM_COMMAND, BN_CLICKED, static_cast<int>(ending.result)}));
    }
}

TEST_F(DialogTest, ControlsSitWhereMapDialogRectPutsTheirTemplateRectangles) {
    struct Place {
        int id;
        RECT units;
    };
    const Place places[] = {
        {1001, {10, 10, 110, 28}},  {1004, {120, 10, 138, 90}}, {1011, {145, 12, 185, 20}},
        {1020, {190, 10, 250, 20}}, {1040, {10, 98, 110, 110}}, {IDHELP, {122, 145, 172, 159}},
        {1060, {10, 118, 170, 128}},
    };
    HWND dialog = CreateDialogParamA(library_, MAKEINTRESOURCEA(903), nullptr, adjustProc, 0);
    ASSERT_NE(dialog, nullptr);
    // The base units of the dialog's font: the average of A-Z and a-z, and the height.
    auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE letters{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    int baseX = (letters.cx / 26 + 1) / 2, baseY = tm.tmHeight;
    RECT unit{0, 0, 4, 8};
    ASSERT_TRUE(MapDialogRect(dialog, &unit));
    EXPECT_EQ(unit.right, baseX);
    EXPECT_EQ(unit.bottom, baseY);
    RECT client{}, whole{0, 0, 260, 170};
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &whole);
    EXPECT_EQ(client.right, whole.right);
    EXPECT_EQ(client.bottom, whole.bottom);
    for (const Place& p : places) {
        SCOPED_TRACE(p.id);
        RECT expected = p.units;
        MapDialogRect(dialog, &expected);
        RECT actual;
        GetWindowRect(GetDlgItem(dialog, p.id), &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
    }
    EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(8, 16));
    DestroyWindow(dialog);
}

INT_PTR CALLBACK besideProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_APP + 1) {
        SetWindowLongPtrA(dialog, DWLP_USER, GetWindowLongPtrA(dialog, DWLP_USER) + static_cast<LONG_PTR>(wParam));
        return TRUE;
    }
    return FALSE;
}

TEST_F(DialogTest, ModelessDialogsAndMessageBoxesLiveThroughModalLoops) {
    WinplatSetMessageBoxHandler(nullptr, nullptr);  // the real message box
    HWND beside = CreateDialogParamA(library_, MAKEINTRESOURCEA(905), nullptr, besideProc, 0);
    ASSERT_NE(beside, nullptr);
    ShowWindow(beside, SW_SHOW);
    Adjust a;
    int answer = 0;
    a.script = [&](HWND dialog) {
        // The modeless dialog keeps receiving what is posted to it while the modal loop runs.
        PostMessageA(beside, WM_APP + 1, 5, 0);
        PostMessageA(beside, WM_APP + 1, 7, 0);
        // A message box opened here: its hook answers No; then this dialog goes on.
        EXPECT_FALSE(IsWindowEnabled(beside));  // the modal dialog's owner
        answer = MessageBoxA(dialog, "Apply the changes?", "Apply", MB_YESNO | MB_ICONQUESTION);
        EXPECT_TRUE(IsWindowEnabled(dialog));  // the message box gave its owner back
        EXPECT_EQ(GetWindowLongPtrA(beside, DWLP_USER), 12);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    HWND box = nullptr;
    char boxTitle[32] = {};
    onDialog(903, [](HWND dialog) { PostMessageA(dialog, WM_APP, 0, 0); });
    onDialog(0, [&](HWND dialog) {
        box = dialog;
        GetWindowTextA(dialog, boxTitle, sizeof boxTitle);
        EXPECT_EQ(FindWindowA("#32770", "Apply"), dialog);
        EXPECT_NE(GetDlgItem(dialog, IDYES), nullptr);
        EXPECT_EQ(GetDlgItem(dialog, IDCANCEL), nullptr);
        // Answered once it shows: its surface is kept, with the style's icon at the top left.
        SetTimer(dialog, 1, 10, [](HWND box, UINT, UINT_PTR id, DWORD) {
            KillTimer(box, id);
            auto* self = reinterpret_cast<DialogTest*>(GetWindowLongPtrA(box, GWLP_USERDATA));
            auto pixels = self->surfaceOf(box, "message box");
            ASSERT_FALSE(pixels.empty());
            RECT client{0, 0, 0, 0};
            MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 1);
            RECT frame;
            GetWindowRect(box, &frame);
            size_t x0 = static_cast<size_t>(client.left - frame.left + 11), y0 = static_cast<size_t>(client.top - frame.top + 11);
            int coloured = 0;
            for (size_t y = y0; y < y0 + 32; ++y)
                for (size_t x = x0; x < x0 + 32; ++x) coloured += pixels[y][x] != pixels[y0 - 4][x0 - 4];
            EXPECT_GT(coloured, 100) << "no icon";
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
        });
        SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    });
    EXPECT_EQ(DialogBoxParamA(library_, MAKEINTRESOURCEA(903), beside, adjustProc, reinterpret_cast<LPARAM>(&a)), IDOK);
    EXPECT_TRUE(IsWindowEnabled(beside));
    EXPECT_EQ(answer, IDNO);
    EXPECT_NE(box, nullptr);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_STREQ(boxTitle, "Apply");
    EXPECT_EQ(sounds, std::vector<std::string>{"SystemQuestion"});
    EXPECT_TRUE(IsWindow(beside));
    DestroyWindow(beside);
}

}  // namespace
