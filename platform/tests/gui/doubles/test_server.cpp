// A test in-process COM server: a class factory, a property-sheet extension adding one page (its
// resource template 200), the library-wide count of living objects that DllCanUnloadNow reads
// (the pages count in it through pcRefParent), and its own registration: the class under
// HKEY_CLASSES_ROOT and a property-sheet handler of the display. Built a second time with
// WINPLAT_REFUSE_ATTACH, whose attach refuses the load.
#include <string>

#include "test_server.h"
#include "win32_holders.h"

namespace {

HINSTANCE self = nullptr;
UINT objects = 0;  // factories, extensions and pages alive (apartment threaded: one thread)
WinplatTestObserver observer{};

constexpr const char* kDisplayHandlers =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\PropertySheetHandlers";

void tell(const char* what, HWND page) {
    if (observer.event) observer.event(what, page, observer.ctx);
}

const char* nameOf(UINT code) {
    switch (code) {
        case PSN_SETACTIVE: return "setactive";
        case PSN_KILLACTIVE: return "killactive";
        case PSN_RESET: return "reset";
        case PSN_QUERYCANCEL: return "querycancel";
        case PSN_HELP: return "help";
        default: return "other";
    }
}

INT_PTR CALLBACK pageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        tell("init", page);
        return TRUE;
    }
    if (message != WM_NOTIFY) return FALSE;
    const auto* n = reinterpret_cast<const PSHNOTIFY*>(lParam);
    tell(n->hdr.code == PSN_APPLY ? (n->lParam ? "apply ok" : "apply now") : nameOf(n->hdr.code), page);
    // Help opens the page's context, as the suite's pages do.
    if (n->hdr.code == PSN_HELP) WinHelpA(page, "Spectrine.hlp", HELP_CONTEXT, 200);
    LRESULT result = observer.answer ? observer.answer(n->hdr.code, page, observer.ctx) : 0;
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

UINT CALLBACK pageCallback(HWND, UINT message, LPPROPSHEETPAGEA) {
    if (message == PSPCB_RELEASE) tell("release", nullptr);
    return TRUE;
}

// What every object of the server shares: its reference count, its place in the library's
// count of objects, and IUnknown's answers for the one interface it has besides.
template <typename Self, typename Interface>
class Counted : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, Self::interfaceId())) return E_NOINTERFACE;
        *ppv = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete static_cast<Self*>(this);
        return left;
    }

protected:
    Counted() { ++objects; }
    ~Counted() { --objects; }

private:
    ULONG references_ = 0;
};

class PageExtension final : public Counted<PageExtension, IShellPropSheetExt> {
public:
    static const IID& interfaceId() { return IID_IShellPropSheetExt; }
    HRESULT STDMETHODCALLTYPE AddPages(LPFNADDPROPSHEETPAGE add, LPARAM lParam) override {
        PROPSHEETPAGEA psp{};
        psp.dwSize = sizeof psp;
        psp.dwFlags = PSP_USECALLBACK | PSP_USEREFPARENT;
        psp.hInstance = self;
        psp.pszTemplate = MAKEINTRESOURCEA(200);
        psp.pfnDlgProc = pageProc;
        psp.pfnCallback = pageCallback;
        psp.pcRefParent = &objects;
        HPROPSHEETPAGE page = CreatePropertySheetPageA(&psp);
        if (!page) return E_OUTOFMEMORY;
        if (!add(page, lParam)) {
            DestroyPropertySheetPage(page);
            return E_FAIL;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReplacePage(UINT, LPFNADDPROPSHEETPAGE, LPARAM) override { return E_FAIL; }
};

class Factory final : public Counted<Factory, IClassFactory> {
public:
    static const IID& interfaceId() { return IID_IClassFactory; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (ppv) *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* extension = new PageExtension;
        extension->AddRef();
        HRESULT hr = extension->QueryInterface(riid, ppv);
        extension->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

bool setDefault(HKEY parent, const std::string& path, const std::string& value) {
    winplat::RegKey key;
    return key.create(parent, path) == ERROR_SUCCESS &&
           RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
#ifdef WINPLAT_REFUSE_ATTACH
    return reason != DLL_PROCESS_ATTACH;
#else
    return TRUE;
#endif
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(clsid, kTestServerClass)) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new Factory;
    factory->AddRef();
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

STDAPI DllCanUnloadNow() { return objects == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    char path[4096];
    DWORD n = GetModuleFileNameA(self, path, sizeof path);
    if (n == 0 || n >= sizeof path) return E_UNEXPECTED;
    std::string key = kTestServerKey;
    winplat::RegKey server;
    bool ok = setDefault(HKEY_CLASSES_ROOT, key, kTestServerName) &&
              setDefault(HKEY_CLASSES_ROOT, key + "\\InProcServer32", path) &&
              server.open(HKEY_CLASSES_ROOT, key + "\\InProcServer32", KEY_ALL_ACCESS) == ERROR_SUCCESS &&
              RegSetValueExA(server.get(), "ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>("Apartment"),
                             10) == ERROR_SUCCESS &&
              setDefault(HKEY_LOCAL_MACHINE, std::string(kDisplayHandlers) + "\\" + kTestServerName,
                         key.substr(key.find('{')));
    return ok ? S_OK : E_UNEXPECTED;
}

STDAPI DllUnregisterServer() {
    std::string key = kTestServerKey;
    bool ok = RegDeleteKeyA(HKEY_CLASSES_ROOT, (key + "\\InProcServer32").c_str()) == ERROR_SUCCESS &&
              RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str()) == ERROR_SUCCESS &&
              RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kDisplayHandlers) + "\\" + kTestServerName).c_str()) ==
                  ERROR_SUCCESS;
    return ok ? S_OK : E_UNEXPECTED;
}

extern "C" __attribute__((visibility("default"))) void WinplatTestServerObserve(const WinplatTestObserver* o) {
    observer = o ? *o : WinplatTestObserver{};
}

extern "C" __attribute__((visibility("default"))) LONG WinplatTestServerObjects() { return static_cast<LONG>(objects); }
