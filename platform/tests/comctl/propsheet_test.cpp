// Property sheets without pixels: page descriptions copied whole, page callbacks and the
// parent's count, the frame's template and its edits, the PSN_* notifications in Win32's order
// with the pages' answers, the PSM_* messages and the results of modal and modeless sheets.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialog_template.h"
#include "fresh_root.h"
#include "window_text.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;
using spx::test::sheetTabText;
using spx::test::windowText;
using winplat::detail::DialogItemTemplate;
using winplat::detail::DialogTemplate;
using winplat::detail::parseDialogTemplate;
using winplat::detail::writeDialogTemplate;

std::vector<std::string>* journal = nullptr;  // the running test's

std::string codeName(UINT code) {
    switch (code) {
        case PSN_SETACTIVE: return "setactive";
        case PSN_KILLACTIVE: return "killactive";
        case PSN_APPLY: return "apply";
        case PSN_RESET: return "reset";
        case PSN_HELP: return "help";
        case PSN_QUERYCANCEL: return "querycancel";
        default: return "notify " + std::to_string(static_cast<int>(code));
    }
}

// A page of the tests: its answers to notifications (taken in order, 0 once used up) and what
// it does when one arrives, before answering.
struct TestPage {
    int index = 0;
    std::map<UINT, std::deque<LRESULT>> answers;
    std::map<UINT, std::function<void(HWND page)>> actions;
};

// The description of a test page with a word after it, as objects that begin with their
// description carry their own data.
struct PageObject {
    PROPSHEETPAGEA psp;
    DWORD tail;
};

INT_PTR CALLBACK pageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* object = reinterpret_cast<PageObject*>(lParam);
        SetWindowLongPtrA(page, DWLP_USER, lParam);
        journal->push_back("p" + std::to_string(reinterpret_cast<TestPage*>(object->psp.lParam)->index) + ":init " +
                           std::to_string(object->tail));
        return TRUE;
    }
    auto* object = reinterpret_cast<PageObject*>(GetWindowLongPtrA(page, DWLP_USER));
    if (message != WM_NOTIFY || !object) return FALSE;
    auto* test = reinterpret_cast<TestPage*>(object->psp.lParam);
    const auto* n = reinterpret_cast<const PSHNOTIFY*>(lParam);
    std::string entry = "p" + std::to_string(test->index) + ":" + codeName(n->hdr.code);
    if (n->hdr.code == PSN_APPLY) entry += n->lParam ? " ok" : " now";
    if (n->hdr.hwndFrom != GetParent(page)) entry += " (not from the sheet)";
    journal->push_back(entry);
    if (auto action = test->actions.find(n->hdr.code); action != test->actions.end()) action->second(page);
    LRESULT result = 0;
    if (auto& queue = test->answers[n->hdr.code]; !queue.empty()) {
        result = queue.front();
        queue.pop_front();
    }
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

UINT CALLBACK pageCallback(HWND, UINT message, LPPROPSHEETPAGEA psp) {
    const char* name = message == PSPCB_CREATE ? "create" : message == PSPCB_RELEASE ? "release" : "addref";
    journal->push_back("p" + std::to_string(reinterpret_cast<TestPage*>(psp->lParam)->index) + ":" + name);
    return TRUE;
}

class PropertySheets : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        journal = &log;
        DialogTemplate t;
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE;
        t.cx = 212, t.cy = 120;
        t.title = "Spectrine";
        t.pointSize = 8;
        t.face = "MS Shell Dlg";
        DialogItemTemplate edit;
        edit.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER;
        edit.id = 1001;
        edit.className.ordinal = 0x81;
        edit.x = 10, edit.y = 10, edit.cx = 100, edit.cy = 12;
        t.items.push_back(edit);
        pageTemplate = writeDialogTemplate(t);
        WinplatSetDialogHook(hook, this);
    }
    void TearDown() override {
        WinplatSetDialogHook(nullptr, nullptr);
        journal = nullptr;
        FreshRootTest::TearDown();
    }

    // Test pages 0 .. count-1, each with its own answers and actions.
    void makePages(int count) {
        tests.assign(static_cast<size_t>(count), TestPage{});
        objects.resize(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            tests[static_cast<size_t>(i)].index = i;
            PageObject& o = objects[static_cast<size_t>(i)];
            o = {};
            o.psp.dwSize = sizeof(PageObject);
            o.psp.dwFlags = PSP_DLGINDIRECT | PSP_USECALLBACK;
            o.psp.pResource = reinterpret_cast<LPCDLGTEMPLATEA>(pageTemplate.data());
            o.psp.pfnDlgProc = pageProc;
            o.psp.lParam = reinterpret_cast<LPARAM>(&tests[static_cast<size_t>(i)]);
            o.psp.pfnCallback = pageCallback;
            o.tail = 0xC0FFEE00u + static_cast<DWORD>(i);
        }
    }
    // A sheet over the page objects; `script` runs once the frame exists, before its loop.
    INT_PTR runSheet(DWORD flags, std::function<void(HWND sheet)> script, PFNPROPSHEETCALLBACK callback = nullptr) {
        sheetScript = std::move(script);
        PROPSHEETHEADERA h{};
        h.dwSize = sizeof h;
        h.dwFlags = flags | PSH_PROPSHEETPAGE;
        h.pfnCallback = callback;
        h.pszCaption = "Display Properties";
        h.nPages = static_cast<UINT>(objects.size());
        h.ppsp = &objects[0].psp;
        return PropertySheetA(&h);
    }
    static void hook(HWND dialog, HINSTANCE, LPCSTR, void* ctx) {
        auto* self = static_cast<PropertySheets*>(ctx);
        if (GetDlgItem(dialog, IDC_PSTABCONTROL) && self->sheetScript) self->sheetScript(dialog);
    }
    static void press(HWND sheet, int id) {
        PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(sheet, id)));
    }

public:  // the cases arrange the pages
    std::vector<std::string> log;
    std::vector<TestPage> tests;
    std::vector<PageObject> objects;
    std::vector<BYTE> pageTemplate;
    std::function<void(HWND)> sheetScript;
};

TEST_F(PropertySheets, PageDescriptionsAreCopiedWholeAndCountTheirParent) {
    struct Case {
        const char* name;
        DWORD flags;
        DWORD size;
        bool made;
        UINT countWhileAlive;
        std::vector<std::string> callbacks;  // after the destruction
    };
    const Case cases[] = {
        {"plain", PSP_DLGINDIRECT, sizeof(PageObject), true, 0, {}},
        {"counted", PSP_DLGINDIRECT | PSP_USEREFPARENT, sizeof(PageObject), true, 1, {}},
        {"called back", PSP_DLGINDIRECT | PSP_USECALLBACK | PSP_USEREFPARENT, sizeof(PROPSHEETPAGEA), true, 1,
         {"p0:release"}},
        {"the 32-bit size", PSP_DLGINDIRECT | PSP_USEREFPARENT, 40, false, 0, {}},
        {"one byte short", PSP_DLGINDIRECT, sizeof(PROPSHEETPAGEA) - 1, false, 0, {}},
    };
    makePages(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        UINT parentCount = 0;
        PageObject o = objects[0];
        o.psp.dwFlags = c.flags;
        o.psp.dwSize = c.size;
        o.psp.pcRefParent = &parentCount;
        SetLastError(0xdeadbeef);
        HPROPSHEETPAGE page = CreatePropertySheetPageA(&o.psp);
        EXPECT_EQ(page != nullptr, c.made);
        if (!page) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
            EXPECT_EQ(parentCount, 0u);
            continue;
        }
        o.psp.pfnCallback = nullptr;  // the page kept its own copy
        o.psp.pcRefParent = nullptr;
        EXPECT_EQ(parentCount, c.countWhileAlive);
        EXPECT_TRUE(log.empty());  // nothing is called until a sheet shows the page
        EXPECT_TRUE(DestroyPropertySheetPage(page));
        EXPECT_EQ(parentCount, 0u);
        EXPECT_EQ(log, c.callbacks);
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(DestroyPropertySheetPage(page));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    EXPECT_EQ(CreatePropertySheetPageA(nullptr), nullptr);
    EXPECT_FALSE(DestroyPropertySheetPage(nullptr));
}

TEST_F(PropertySheets, NotificationsArriveInOrderAndTheirAnswersDecide) {
    struct Case {
        const char* name;
        int pages;
        std::function<void(PropertySheets&)> arrange;   // answers and actions of the pages
        std::function<void(HWND sheet)> script;         // what the user does
        INT_PTR result;
        std::vector<std::string> log;                   // after the pages' creation
    };
    auto answer = [](PropertySheets& t, int page, UINT code, std::deque<LRESULT> answers) {
        t.tests[static_cast<size_t>(page)].answers[code] = std::move(answers);
    };
    auto pressAll = [](std::vector<int> ids) {
        return [ids](HWND sheet) {
            for (int id : ids) press(sheet, id);
        };
    };
    const Case cases[] = {
        {"OK", 1, nullptr, pressAll({IDOK}), 1, {"p0:killactive", "p0:apply ok", "p0:release"}},
        {"Cancel", 1, nullptr, pressAll({IDCANCEL}), 0, {"p0:querycancel", "p0:reset", "p0:release"}},
        {"an invalid answer keeps the sheet", 1,
         [&](PropertySheets& t) { answer(t, 0, PSN_APPLY, {PSNRET_INVALID_NOCHANGEPAGE}); },
         pressAll({IDOK, IDOK}), 1,
         {"p0:killactive", "p0:apply ok", "p0:killactive", "p0:apply ok", "p0:release"}},
        {"a page that will not be left", 1, [&](PropertySheets& t) { answer(t, 0, PSN_KILLACTIVE, {TRUE}); },
         pressAll({IDOK, IDCANCEL}), 0, {"p0:killactive", "p0:querycancel", "p0:reset", "p0:release"}},
        {"a refused cancel", 1, [&](PropertySheets& t) { answer(t, 0, PSN_QUERYCANCEL, {TRUE}); },
         pressAll({IDCANCEL, IDOK}), 1, {"p0:querycancel", "p0:killactive", "p0:apply ok", "p0:release"}},
        {"restart asked while applying", 1,
         [](PropertySheets& t) {
             t.tests[0].actions[PSN_APPLY] = [](HWND page) { SendMessageA(GetParent(page), PSM_RESTARTWINDOWS, 0, 0); };
         },
         pressAll({IDOK}), ID_PSRESTARTWINDOWS, {"p0:killactive", "p0:apply ok", "p0:release"}},
        {"reboot outranks restart, even on cancel", 1, nullptr,
         [](HWND sheet) {
             SendMessageA(sheet, PSM_REBOOTSYSTEM, 0, 0);
             SendMessageA(sheet, PSM_RESTARTWINDOWS, 0, 0);
             press(sheet, IDCANCEL);
         },
         ID_PSREBOOTSYSTEM, {"p0:querycancel", "p0:reset", "p0:release"}},
        {"only pages shown hear of OK", 3, nullptr,
         [](HWND sheet) {
             EXPECT_TRUE(SendMessageA(sheet, PSM_SETCURSEL, 2, 0));
             press(sheet, IDOK);
         },
         1,
         {"p0:killactive", "p2:create", "p2:init 3237998082", "p2:setactive", "p2:killactive", "p0:apply ok",
          "p2:apply ok", "p0:release", "p1:release", "p2:release"}},
        {"a page that will not show", 2, [&](PropertySheets& t) { answer(t, 1, PSN_SETACTIVE, {-1}); },
         [](HWND sheet) {
             HWND first = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
             EXPECT_FALSE(SendMessageA(sheet, PSM_SETCURSEL, 1, 0));
             EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)), first);
             EXPECT_EQ(SendDlgItemMessageA(sheet, IDC_PSTABCONTROL, TCM_GETCURSEL, 0, 0), 0);
             press(sheet, IDCANCEL);
         },
         0,
         {"p0:killactive", "p1:create", "p1:init 3237998081", "p1:setactive", "p0:setactive", "p0:querycancel",
          "p0:reset", "p1:reset", "p0:release", "p1:release"}},
        {"an invalid page comes forward", 2, [&](PropertySheets& t) { answer(t, 1, PSN_APPLY, {PSNRET_INVALID}); },
         [](HWND sheet) {
             SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
             SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
             press(sheet, IDOK);
             press(sheet, IDCANCEL);
         },
         0,
         {"p0:killactive", "p1:create", "p1:init 3237998081", "p1:setactive", "p1:killactive", "p0:setactive",
          "p0:killactive", "p0:apply ok", "p1:apply ok", "p1:setactive", "p1:querycancel", "p0:reset", "p1:reset",
          "p0:release", "p1:release"}},
        {"apply now keeps the sheet", 1, nullptr,
         [](HWND sheet) {
             HWND apply = GetDlgItem(sheet, IDC_PSAPPLY);
             HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
             EXPECT_FALSE(IsWindowEnabled(apply));
             SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);  // disabled: nothing
             SendMessageA(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
             EXPECT_TRUE(IsWindowEnabled(apply));
             SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
             EXPECT_FALSE(IsWindowEnabled(apply));
             SendMessageA(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
             SendMessageA(sheet, PSM_UNCHANGED, reinterpret_cast<WPARAM>(page), 0);
             EXPECT_FALSE(IsWindowEnabled(apply));
             SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
         },
         1, {"p0:killactive", "p0:apply now", "p0:setactive", "p0:querycancel", "p0:reset", "p0:release"}},
        {"help goes to the page", 1, nullptr, pressAll({IDHELP, IDCANCEL}), 0,
         {"p0:help", "p0:querycancel", "p0:reset", "p0:release"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makePages(c.pages);
        if (c.arrange) c.arrange(*this);
        log.clear();
        EXPECT_EQ(runSheet(PSH_HASHELP, c.script), c.result);
        std::vector<std::string> expected = {"p0:create", "p0:init 3237998080", "p0:setactive"};
        expected.insert(expected.end(), c.log.begin(), c.log.end());
        EXPECT_EQ(log, expected);
    }
}

// The wizard's edit of the frame's template: no caption, border or system menu, and OK, Cancel
// and Apply hidden, made in place on the bytes PSCB_PRECREATE hands over.
void hideFrameAndButtons(BYTE* bytes) {
    auto* t = reinterpret_cast<DLGTEMPLATE*>(bytes);
    t->style &= ~(WS_BORDER | WS_DLGFRAME | WS_SYSMENU);
    BYTE* at = bytes + sizeof(DLGTEMPLATE) + 4;  // no menu, no class
    auto skipText = [&] {
        while (at[0] || at[1]) at += 2;
        at += 2;
    };
    skipText();  // the caption
    at += 2;     // the point size
    skipText();  // the face
    for (int i = 0; i < t->cdit; ++i) {
        at = bytes + ((at - bytes + 3) & ~3);
        auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(at);
        if (item->id == IDOK || item->id == IDCANCEL || item->id == IDC_PSAPPLY) item->style &= ~WS_VISIBLE;
        at += sizeof(DLGITEMTEMPLATE);
        if (at[0] == 0xFF && at[1] == 0xFF) at += 4;
        else skipText();
        skipText();
        at += 2;  // no creation data
    }
}

std::vector<std::string> sheetCallbacks;
DialogTemplate frameReceived;

int CALLBACK editingCallback(HWND sheet, UINT message, LPARAM lParam) {
    if (message == PSCB_PRECREATE) {
        sheetCallbacks.push_back(std::string("precreate, frame ") + (sheet ? "given" : "null"));
        auto* bytes = reinterpret_cast<BYTE*>(lParam);
        if (auto parsed = parseDialogTemplate({bytes, 4096})) frameReceived = *parsed;
        hideFrameAndButtons(bytes);
    } else if (message == PSCB_INITIALIZED) {
        sheetCallbacks.push_back(std::string("initialized, visible ") + (IsWindowVisible(sheet) ? "yes" : "no") +
                                 ", page " + (SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) ? "made" : "missing"));
    }
    return 0;
}

TEST_F(PropertySheets, AModelessSheetFromAnEditedFrameTemplate) {
    sheetCallbacks.clear();
    frameReceived = {};
    makePages(2);
    objects[1].psp.dwFlags |= PSP_USETITLE;
    objects[1].psp.pszTitle = "Settings";
    INT_PTR made = runSheet(PSH_MODELESS | PSH_USECALLBACK, nullptr, editingCallback);
    ASSERT_NE(made, -1);
    auto sheet = reinterpret_cast<HWND>(made);
    ASSERT_TRUE(IsWindow(sheet));

    // The template as the callback got it.
    EXPECT_FALSE(frameReceived.extended);
    EXPECT_EQ(frameReceived.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(frameReceived.title, "Display Properties");
    std::vector<std::string> items;
    for (const DialogItemTemplate& i : frameReceived.items)
        items.push_back(std::to_string(i.id) + " " + winplat::detail::className(i.className) + " " + i.title.text +
                        ((i.style & WS_VISIBLE) ? " visible" : "") + ((i.style & WS_DISABLED) ? " disabled" : ""));
    EXPECT_EQ(items, (std::vector<std::string>{"1 Button OK visible", "2 Button Cancel visible",
                                               "12321 Button &Apply visible disabled", "9 Button Help",
                                               "12320 SysTabControl32  visible"}));
    EXPECT_EQ(sheetCallbacks, (std::vector<std::string>{"precreate, frame null", "initialized, visible no, page made"}));

    // The sheet as the edit made it: frameless, no buttons and no row for them.
    EXPECT_TRUE(IsWindowVisible(sheet));
    EXPECT_EQ(GetWindowLongPtrA(sheet, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), 0);
    EXPECT_EQ(GetWindowLongPtrA(sheet, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
    RECT window{}, client{}, tab{};
    GetWindowRect(sheet, &window);
    GetClientRect(sheet, &client);
    EXPECT_EQ(window.right - window.left, client.right);
    EXPECT_EQ(window.bottom - window.top, client.bottom);
    for (int id : {IDOK, IDCANCEL, IDC_PSAPPLY, IDHELP}) EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, id))) << id;
    GetWindowRect(GetDlgItem(sheet, IDC_PSTABCONTROL), &tab);
    MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&tab), 2);
    EXPECT_GT(tab.left, 0);
    EXPECT_EQ(client.right - tab.right, tab.left);
    EXPECT_EQ(client.bottom - tab.bottom, tab.top);

    // Tabs and pages carry the template's caption unless a title is given.
    EXPECT_EQ(sheetTabText(sheet, 0), "Spectrine");
    EXPECT_EQ(sheetTabText(sheet, 1), "Settings");
    auto page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    EXPECT_EQ(windowText(page), "Spectrine");
    EXPECT_EQ(GetParent(page), sheet);
    EXPECT_EQ(GetWindowLongPtrA(page, GWL_STYLE) & (WS_CHILD | WS_CAPTION | WS_POPUP), WS_CHILD);
    EXPECT_TRUE(IsWindowVisible(page));

    // The host's loop hands the sheet's messages over: Enter in the page presses the hidden OK.
    MSG other{GetDesktopWindow(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_FALSE(SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&other)));
    MSG enter{GetDlgItem(page, 1001), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    log.clear();
    EXPECT_TRUE(SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&enter)));
    EXPECT_EQ(log, (std::vector<std::string>{"p0:killactive", "p0:apply ok"}));
    EXPECT_EQ(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0), 0);
    EXPECT_TRUE(IsWindow(sheet));  // the host destroys it
    EXPECT_TRUE(IsWindow(page));
    DestroyWindow(sheet);
    EXPECT_FALSE(IsWindow(page));
    EXPECT_EQ(log, (std::vector<std::string>{"p0:killactive", "p0:apply ok", "p0:release", "p1:release"}));
}

TEST_F(PropertySheets, SheetsThatCannotBeMade) {
    makePages(1);
    PROPSHEETHEADERA h{};
    h.dwSize = sizeof h - 1;
    h.dwFlags = PSH_PROPSHEETPAGE;
    h.nPages = 1;
    h.ppsp = &objects[0].psp;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(PropertySheetA(&h), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(PropertySheetA(nullptr), -1);
    h.dwSize = sizeof h;
    h.nPages = 0;
    EXPECT_EQ(PropertySheetA(&h), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // A stale page handle is refused, and the good ones stay the caller's.
    UINT count = 0;
    objects[0].psp.dwFlags |= PSP_USEREFPARENT;
    objects[0].psp.pcRefParent = &count;
    HPROPSHEETPAGE good = CreatePropertySheetPageA(&objects[0].psp);
    HPROPSHEETPAGE stale = CreatePropertySheetPageA(&objects[0].psp);
    ASSERT_TRUE(DestroyPropertySheetPage(stale));
    HPROPSHEETPAGE handles[] = {good, stale};
    h.dwFlags = 0;
    h.nPages = 2;
    h.phpage = handles;
    log.clear();
    SetLastError(0xdeadbeef);
    EXPECT_EQ(PropertySheetA(&h), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(count, 1u);
    EXPECT_TRUE(DestroyPropertySheetPage(good));
    EXPECT_EQ(count, 0u);
}

}  // namespace
