// "Display Properties" of the control stand-in, run inside the test: its Settings page, then
// the pages of the handlers registered for the display (the test server's, registered by its
// own DllRegisterServer), handlers that cannot serve left out, and the control program's refusal
// of other applets.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display_properties.h"
#include "gui_test.h"
#include "second_process.h"
#include "test_server.h"
#include "win32_holders.h"
#include "window_text.h"
#include "winplat.h"

namespace {

using spx::test::GuiTest;
using spx::test::runProgram;
using spx::test::sheetTabText;
using spx::test::windowText;

const std::string kServer = WINPLAT_TEST_SERVER_PATH;

void addHandler(const std::string& name, const std::string& classId) {
    winplat::RegKey key;
    ASSERT_EQ(key.create(HKEY_LOCAL_MACHINE, std::string(kDisplayHandlersKey) + "\\" + name), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(classId.c_str()),
                             static_cast<DWORD>(classId.size() + 1)),
              ERROR_SUCCESS);
}

class DisplayProperties : public GuiTest {
protected:
    static void event(const char* what, HWND, void* ctx) { static_cast<DisplayProperties*>(ctx)->events.push_back(what); }
    static LRESULT answer(UINT, HWND, void*) { return 0; }
    // Hears the test server's page once COM has loaded the server.
    void observeServer() {
        auto observe = reinterpret_cast<WinplatTestServerObserveFn>(
            GetProcAddress(GetModuleHandleA(kServer.c_str()), "WinplatTestServerObserve"));
        ASSERT_NE(observe, nullptr);
        observe(&observer);
    }
    WinplatTestObserver observer{event, answer, this};
    std::vector<std::string> events;
};

TEST_F(DisplayProperties, SettingsThenThePagesOfTheRegisteredHandlers) {
    // Handlers that cannot serve come first and are left out: a class that is not registered,
    // a name that is no class id, and a server whose attach refuses.
    addHandler("Unregistered", "{00000000-1111-2222-3333-444444444444}");
    addHandler("Nonsense", "not a class id");
    addHandler("Refusing", "{5B2A4C12-7E3D-4F21-9A6B-1C2D3E4F5A62}");
    winplat::RegKey refusing;
    ASSERT_EQ(refusing.create(HKEY_CLASSES_ROOT, "CLSID\\{5B2A4C12-7E3D-4F21-9A6B-1C2D3E4F5A62}\\InProcServer32"),
              ERROR_SUCCESS);
    const std::string refusingPath = WINPLAT_REFUSING_SERVER_PATH;
    RegSetValueExA(refusing.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(refusingPath.c_str()),
                   static_cast<DWORD>(refusingPath.size() + 1));
    ASSERT_EQ(runProgram({WINPLAT_REGSVR_PATH, "/s", kServer}), 0);

    bool scripted = false;
    onDialog(0, [&](HWND sheet) {
        if (!GetDlgItem(sheet, IDC_PSTABCONTROL)) return;
        scripted = true;
        EXPECT_EQ(FindWindowA("#32770", "Display Properties"), sheet);
        EXPECT_EQ(SendDlgItemMessageA(sheet, IDC_PSTABCONTROL, TCM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(sheetTabText(sheet, 0), "Settings");
        EXPECT_EQ(sheetTabText(sheet, 1), "Spectrine");
        auto settings = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        EXPECT_EQ(windowText(settings), "Settings");
        EXPECT_EQ(windowText(GetDlgItem(settings, 1002)), "1024 by 768 pixels");
        EXPECT_EQ(windowText(GetDlgItem(settings, 1003)), "True Color (32 bit)");
        EXPECT_EQ(windowText(GetDlgItem(settings, 1001)), "Default Monitor on Virtual Display Adapter");
        observeServer();
        EXPECT_TRUE(SendMessageA(sheet, PSM_SETCURSEL, 1, 0));
        EXPECT_EQ(windowText(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0))), "Spectrine");
        PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(runDisplayProperties(GetModuleHandleA(nullptr), 0), 0);
    EXPECT_TRUE(scripted);
    EXPECT_EQ(events, (std::vector<std::string>{"init", "setactive", "querycancel", "reset", "release"}));
    // The sheet's COM is over: the server is gone, and the refusing one was never kept.
    void* gone = dlopen(kServer.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    EXPECT_EQ(gone, nullptr);
    void* never = dlopen(refusingPath.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    EXPECT_EQ(never, nullptr);
}

TEST_F(DisplayProperties, TheStartPageAndASheetWithoutHandlers) {
    struct Case {
        const char* name;
        bool registered;
        UINT start;
        std::vector<std::string> tabs;
        std::string current;
    };
    const Case cases[] = {
        {"no handlers", false, 0, {"Settings"}, "Settings"},
        {"the handler's page first shown", true, 1, {"Settings", "Spectrine"}, "Spectrine"},
        {"a page beyond the last", true, 7, {"Settings", "Spectrine"}, "Spectrine"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.registered) {
            ASSERT_EQ(runProgram({WINPLAT_REGSVR_PATH, "/s", kServer}), 0);
        }
        std::vector<std::string> tabs;
        std::string current;
        onDialog(0, [&](HWND sheet) {
            if (!GetDlgItem(sheet, IDC_PSTABCONTROL)) return;
            for (int i = 0; i < SendDlgItemMessageA(sheet, IDC_PSTABCONTROL, TCM_GETITEMCOUNT, 0, 0); ++i)
                tabs.push_back(sheetTabText(sheet, i));
            current = windowText(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)));
            PostMessageA(sheet, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(runDisplayProperties(GetModuleHandleA(nullptr), c.start), 1);  // OK applies
        EXPECT_EQ(tabs, c.tabs);
        EXPECT_EQ(current, c.current);
    }
    // The program itself serves no other applet.
    EXPECT_EQ(runProgram({WINPLAT_CONTROL_PATH, "main.cpl"}), 10);
    EXPECT_EQ(runProgram({WINPLAT_CONTROL_PATH}), 10);
}

}  // namespace
