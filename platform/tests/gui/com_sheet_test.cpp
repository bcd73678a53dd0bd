// In-process COM servers and the sheets they add pages to: the test server registered by its own
// DllRegisterServer through regsvr, created with CoCreateInstance and asked for its page, in a
// modal sheet (the order of its notifications, an invalid answer, a restart) and in a modeless
// sheet without frame or buttons (checked on its surface); CoFreeUnusedLibraries once its page
// is gone; the failures of finding, loading and asking a server.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialog_template.h"
#include "gui_test.h"
#include "second_process.h"
#include "test_server.h"
#include "win32_holders.h"
#include "winplat.h"

namespace {

using spx::test::GuiTest;

const std::string kServer = WINPLAT_TEST_SERVER_PATH;
const std::string kRefusing = WINPLAT_REFUSING_SERVER_PATH;

bool isLoaded(const std::string& path) {
    void* h = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

// regsvr's exit status with these arguments.
int regsvr(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), WINPLAT_REGSVR_PATH);
    return spx::test::runProgram(std::move(arguments));
}

std::string defaultValue(HKEY root, const std::string& path, const char* name = nullptr) {
    winplat::RegKey key(root, path);
    char value[1024] = "<missing>";
    DWORD size = sizeof value - 1;
    if (key) RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    return value;
}

BOOL CALLBACK collectPage(HPROPSHEETPAGE page, LPARAM lParam) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam)->push_back(page);
    return TRUE;
}

uint32_t surfaceColour(int index) {
    COLORREF c = GetSysColor(index);
    return static_cast<uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
}

class ComSheets : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
    }
    void TearDown() override {
        CoUninitialize();
        GuiTest::TearDown();
    }

    // The test server's extension, made through COM, its page heard by this test.
    IShellPropSheetExt* createExtension() {
        IShellPropSheetExt* extension = nullptr;
        HRESULT hr = CoCreateInstance(kTestServerClass, nullptr, CLSCTX_INPROC_SERVER, IID_IShellPropSheetExt,
                                      reinterpret_cast<void**>(&extension));
        EXPECT_EQ(hr, S_OK);
        HMODULE server = GetModuleHandleA(kServer.c_str());
        auto observe = reinterpret_cast<WinplatTestServerObserveFn>(GetProcAddress(server, "WinplatTestServerObserve"));
        objects = reinterpret_cast<WinplatTestServerObjectsFn>(GetProcAddress(server, "WinplatTestServerObjects"));
        if (observe) observe(&observer);
        return extension;
    }
    std::vector<HPROPSHEETPAGE> pagesOf(IShellPropSheetExt* extension) {
        std::vector<HPROPSHEETPAGE> pages;
        EXPECT_EQ(extension->AddPages(collectPage, reinterpret_cast<LPARAM>(&pages)), S_OK);
        return pages;
    }

    static void event(const char* what, HWND, void* ctx) { static_cast<ComSheets*>(ctx)->events.push_back(what); }
    static LRESULT answer(UINT code, HWND page, void* ctx) {
        auto* self = static_cast<ComSheets*>(ctx);
        if (auto action = self->actions.find(code); action != self->actions.end()) action->second(page);
        auto& queue = self->answers[code];
        if (queue.empty()) return 0;
        LRESULT a = queue.front();
        queue.pop_front();
        return a;
    }

public:  // the cases arrange the page's answers
    WinplatTestObserver observer{event, answer, this};
    std::vector<std::string> events;
    std::map<UINT, std::deque<LRESULT>> answers;
    std::map<UINT, std::function<void(HWND)>> actions;
    WinplatTestServerObjectsFn objects = nullptr;
};

TEST_F(ComSheets, ARegisteredServersPageInAModalSheet) {
    ASSERT_EQ(regsvr({"/s", kServer}), 0);
    EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, kTestServerKey), kTestServerName);
    EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, std::string(kTestServerKey) + "\\InProcServer32"), kServer);
    EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, std::string(kTestServerKey) + "\\InProcServer32", "ThreadingModel"),
              "Apartment");
    EXPECT_FALSE(isLoaded(kServer));  // registering happened in regsvr's process

    auto pressAll = [](std::vector<int> ids) {
        return [ids](HWND sheet) {
            for (int id : ids)
                PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(sheet, id)));
        };
    };
    struct Case {
        const char* name;
        std::function<void(ComSheets&)> arrange;
        std::function<void(HWND)> script;
        INT_PTR result;
        std::vector<std::string> events;
        std::vector<std::string> help = {};
    };
    const Case cases[] = {
        {"OK", nullptr, pressAll({IDOK}), 1, {"init", "setactive", "killactive", "apply ok", "release"}},
        {"an invalid answer keeps the sheet",
         [](ComSheets& t) { t.answers[PSN_APPLY] = {PSNRET_INVALID_NOCHANGEPAGE}; }, pressAll({IDOK, IDOK}), 1,
         {"init", "setactive", "killactive", "apply ok", "killactive", "apply ok", "release"}},
        {"a restart asked for",
         [](ComSheets& t) {
             t.actions[PSN_APPLY] = [](HWND page) { SendMessageA(GetParent(page), PSM_RESTARTWINDOWS, 0, 0); };
         },
         pressAll({IDOK}), ID_PSRESTARTWINDOWS, {"init", "setactive", "killactive", "apply ok", "release"}},
        {"Cancel", nullptr, pressAll({IDCANCEL}), 0, {"init", "setactive", "querycancel", "reset", "release"}},
        {"Help, then Cancel", nullptr, pressAll({IDHELP, IDCANCEL}), 0,
         {"init", "setactive", "help", "querycancel", "reset", "release"}, {"Spectrine.hlp|1|200"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        answers.clear();
        actions.clear();
        helpCalls.clear();
        if (c.arrange) c.arrange(*this);
        IShellPropSheetExt* extension = createExtension();
        ASSERT_NE(extension, nullptr);
        ASSERT_TRUE(isLoaded(kServer));
        std::vector<HPROPSHEETPAGE> pages = pagesOf(extension);
        ASSERT_EQ(pages.size(), 1u);
        HWND seen = nullptr;
        onDialog(0, [&](HWND sheet) {
            seen = sheet;
            c.script(sheet);
        });
        PROPSHEETHEADERA h{};
        h.dwSize = sizeof h;
        h.dwFlags = PSH_HASHELP;
        h.pszCaption = "Display Properties";
        h.nPages = 1;
        h.phpage = pages.data();
        EXPECT_EQ(PropertySheetA(&h), c.result);
        EXPECT_NE(seen, nullptr);
        EXPECT_FALSE(IsWindow(seen));
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(helpCalls, c.help);
        ASSERT_NE(objects, nullptr);
        EXPECT_EQ(objects(), 1);  // the extension alone
        extension->Release();
        EXPECT_EQ(objects(), 0);
        CoFreeUnusedLibraries();
        EXPECT_FALSE(isLoaded(kServer));
    }

    ASSERT_EQ(regsvr({"/u", "/s", kServer}), 0);
    void* unused = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(CoCreateInstance(kTestServerClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &unused),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(unused, nullptr);
}

// The wizard's edit of the frame: no caption, border or system menu; OK, Cancel and Apply hidden.
int CALLBACK framelessSheet(HWND, UINT message, LPARAM lParam) {
    if (message != PSCB_PRECREATE) return 0;
    auto* bytes = reinterpret_cast<BYTE*>(lParam);
    auto t = winplat::detail::parseDialogTemplate({bytes, 4096});
    if (!t) return 0;
    t->style &= ~(WS_BORDER | WS_DLGFRAME | WS_SYSMENU);
    for (auto& item : t->items)
        if (item.id == IDOK || item.id == IDCANCEL || item.id == IDC_PSAPPLY) item.style &= ~WS_VISIBLE;
    std::vector<BYTE> edited = winplat::detail::writeDialogTemplate(*t);
    std::memcpy(bytes, edited.data(), edited.size());  // styles only: the same size
    return 0;
}

TEST_F(ComSheets, AModelessSheetWithoutFrameOrButtonsShowsOnlyItsPage) {
    ASSERT_EQ(regsvr({"/s", kServer}), 0);
    struct Look {
        std::string name;
        PFNPROPSHEETCALLBACK callback;
        bool bare;  // no frame, caption or button row
    };
    const Look looks[] = {{"framed", nullptr, false}, {"frameless", framelessSheet, true}};
    for (const Look& look : looks) {
        SCOPED_TRACE(look.name);
        events.clear();
        IShellPropSheetExt* extension = createExtension();
        ASSERT_NE(extension, nullptr);
        std::vector<HPROPSHEETPAGE> pages = pagesOf(extension);
        extension->Release();  // the page alone keeps the server now
        ASSERT_EQ(pages.size(), 1u);
        PROPSHEETHEADERA h{};
        h.dwSize = sizeof h;
        h.dwFlags = PSH_MODELESS | (look.callback ? PSH_USECALLBACK : 0);
        h.nPages = 1;
        h.phpage = pages.data();
        h.pfnCallback = look.callback;
        auto sheet = reinterpret_cast<HWND>(PropertySheetA(&h));
        ASSERT_TRUE(IsWindow(sheet));
        pump();

        RECT window{}, tab{}, edit{};
        GetWindowRect(sheet, &window);
        HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        ASSERT_NE(page, nullptr);
        GetWindowRect(GetDlgItem(sheet, IDC_PSTABCONTROL), &tab);
        GetWindowRect(GetDlgItem(page, 1001), &edit);
        for (RECT* r : {&tab, &edit}) OffsetRect(r, -window.left, -window.top);
        auto pixels = surfaceOf(sheet, look.name);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(window.bottom - window.top));
        ASSERT_EQ(pixels[0].size(), static_cast<size_t>(window.right - window.left));
        const uint32_t face = surfaceColour(COLOR_3DFACE);
        auto plain = [&](int top, int bottom) {
            for (int y = top; y < bottom; ++y)
                for (uint32_t p : pixels[static_cast<size_t>(y)])
                    if (p != face) return false;
            return true;
        };
        // The page's edit field shows through; above the tab and below it there is only the
        // sheet's face when the frame and the buttons are gone.
        EXPECT_EQ(pixels[static_cast<size_t>((edit.top + edit.bottom) / 2)][static_cast<size_t>((edit.left + edit.right) / 2)],
                  surfaceColour(COLOR_WINDOW));
        EXPECT_EQ(plain(0, tab.top), look.bare);
        EXPECT_EQ(plain(tab.bottom, window.bottom - window.top), look.bare);
        if (look.bare) {
            EXPECT_EQ(window.bottom - window.top - tab.bottom, tab.top);
        }

        // The page keeps its server loaded; once the host destroys the sheet it may go.
        CoFreeUnusedLibraries();
        EXPECT_TRUE(isLoaded(kServer));
        EXPECT_EQ(events, (std::vector<std::string>{"init", "setactive"}));
        DestroyWindow(sheet);
        EXPECT_EQ(events, (std::vector<std::string>{"init", "setactive", "release"}));
        CoFreeUnusedLibraries();
        EXPECT_FALSE(isLoaded(kServer));
    }
}

TEST_F(ComSheets, ServersThatCannotServe) {
    ASSERT_EQ(regsvr({"/s", kServer}), 0);
    const CLSID other = {0x5B2A4C11, 0x7E3D, 0x4F21, {0x9A, 0x6B, 0x1C, 0x2D, 0x3E, 0x4F, 0x5A, 0x61}};
    const std::string otherKey = "CLSID\\{5B2A4C11-7E3D-4F21-9A6B-1C2D3E4F5A61}\\InProcServer32";
    auto registerOther = [&](const std::string& path) {
        winplat::RegKey key;
        ASSERT_EQ(key.create(HKEY_CLASSES_ROOT, otherKey), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                 static_cast<DWORD>(path.size() + 1)),
                  ERROR_SUCCESS);
    };
    struct Case {
        const char* name;
        std::string serverFile;  // of the other class; empty: leave it unregistered
        CLSID clsid;
        DWORD context;
        IID iid;
        bool aggregate;
        HRESULT result;
        bool refusingLoaded;
    };
    const std::string missing = rootPath("Suite\\NoSuchServer.dll");
    const Case cases[] = {
        {"not registered", "", other, CLSCTX_INPROC_SERVER, IID_IUnknown, false, REGDB_E_CLASSNOTREG, false},
        {"its file is missing", missing, other, CLSCTX_INPROC_SERVER, IID_IUnknown, false, CO_E_DLLNOTFOUND, false},
        {"its attach refuses", kRefusing, other, CLSCTX_ALL, IID_IUnknown, false, CO_E_ERRORINDLL, false},
        {"a class its server does not make", kServer, other, CLSCTX_INPROC_SERVER, IID_IUnknown, false,
         CLASS_E_CLASSNOTAVAILABLE, false},
        {"an interface it lacks", "", kTestServerClass, CLSCTX_INPROC_SERVER, IID_IShellExtInit, false, E_NOINTERFACE,
         false},
        {"aggregation", "", kTestServerClass, CLSCTX_INPROC_SERVER, IID_IUnknown, true, CLASS_E_NOAGGREGATION, false},
        {"another context", "", kTestServerClass, CLSCTX_LOCAL_SERVER, IID_IUnknown, false, REGDB_E_CLASSNOTREG, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, otherKey.c_str());
        if (!c.serverFile.empty()) registerOther(c.serverFile);
        void* object = reinterpret_cast<void*>(0xdeadbeef);
        IUnknown* outer = c.aggregate ? reinterpret_cast<IUnknown*>(&object) : nullptr;
        EXPECT_EQ(CoCreateInstance(c.clsid, outer, c.context, c.iid, &object), c.result);
        EXPECT_EQ(object, nullptr);
        EXPECT_FALSE(isLoaded(kRefusing));
        CoFreeUnusedLibraries();
        EXPECT_FALSE(isLoaded(kServer));
    }
    // Without COM on the thread nothing is looked up.
    CoUninitialize();
    void* object = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(CoGetClassObject(kTestServerClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &object),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();
    EXPECT_EQ(CoGetClassObject(kTestServerClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();

    // regsvr's own failures.
    EXPECT_EQ(regsvr({}), 1);
    EXPECT_EQ(regsvr({"/x", kServer}), 1);
    EXPECT_EQ(regsvr({"/s", missing}), 3);
    EXPECT_EQ(regsvr({"/s", kRefusing}), 3);
    EXPECT_EQ(regsvr({"/s", WINPLAT_DIALOG_LIBRARY_PATH}), 4);
}

}  // namespace
