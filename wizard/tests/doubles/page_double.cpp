// A stand-in for the display colour page library: an in-process COM server under the page's
// class id whose extension adds one page, registering itself (DllRegisterServer) as that
// library does, and telling the tests each message of the page's that the wizard uses.
#include <string>

#include "display_page_sheet.h"
#include "page_double.h"
#include "win32_holders.h"

namespace {

HINSTANCE self = nullptr;
LONG objects = 0;
PageDoubleListener listener = nullptr;
void* listenerCtx = nullptr;

constexpr const char* kClassKey = "CLSID\\{E1E066B5-8E0E-11CF-97F3-00608CC03883}";

void tell(const char* what, HWND page, WPARAM wParam = 0) {
    if (listener) listener(what, page, wParam, listenerCtx);
}

INT_PTR CALLBACK pageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: tell("init", page); return TRUE;
        case huevista::kPageShowWizardButton: tell("show wizard button", page, wParam); return TRUE;
        case huevista::kPageApplySilently: tell("apply silently", page); return TRUE;
        case WM_NOTIFY: {
            const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
            if (code == PSN_APPLY) tell("apply", page);
            if (code == PSN_RESET) tell("reset", page);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        default: return FALSE;
    }
}

UINT CALLBACK pageCallback(HWND, UINT message, LPPROPSHEETPAGEA) {
    if (message == PSPCB_RELEASE) tell("release", nullptr);
    return TRUE;
}

// One object of the server: its count, its share of the library's, and IUnknown for itself.
template <typename Interface>
class Counted : public Interface {
public:
    explicit Counted(const IID& own) : own_(own) { ++objects; }
    virtual ~Counted() { --objects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, own_)) return E_NOINTERFACE;
        *ppv = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    const IID& own_;
    ULONG references_ = 0;
};

template <typename Object>
HRESULT answerFor(Object* object, REFIID riid, void** ppv) {
    object->AddRef();
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

class Extension final : public Counted<IShellPropSheetExt> {
public:
    Extension() : Counted(IID_IShellPropSheetExt) {}
    HRESULT STDMETHODCALLTYPE AddPages(LPFNADDPROPSHEETPAGE add, LPARAM lParam) override {
        PROPSHEETPAGEA psp{};
        psp.dwSize = sizeof psp;
        psp.dwFlags = PSP_USECALLBACK;
        psp.hInstance = self;
        psp.pszTemplate = MAKEINTRESOURCEA(200);
        psp.pfnDlgProc = pageProc;
        psp.pfnCallback = pageCallback;
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

class Factory final : public Counted<IClassFactory> {
public:
    Factory() : Counted(IID_IClassFactory) {}
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (ppv) *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return answerFor(new Extension, riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

bool setValue(const std::string& path, const char* name, const std::string& value) {
    winplat::RegKey key;
    return key.create(HKEY_CLASSES_ROOT, path) == ERROR_SUCCESS &&
           RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(clsid, huevista::kDisplayPageClass)) return CLASS_E_CLASSNOTAVAILABLE;
    return answerFor(new Factory, riid, ppv);
}

STDAPI DllCanUnloadNow() { return objects == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    char path[4096];
    const DWORD n = GetModuleFileNameA(self, path, sizeof path);
    if (n == 0 || n >= sizeof path) return E_UNEXPECTED;
    const std::string server = std::string(kClassKey) + "\\InProcServer32";
    const bool ok = setValue(kClassKey, nullptr, "Spectrine Color Control") && setValue(server, nullptr, path) &&
                    setValue(server, "ThreadingModel", "Apartment");
    return ok ? S_OK : E_UNEXPECTED;
}

extern "C" __attribute__((visibility("default"))) void PageDoubleListen(PageDoubleListener l, void* ctx) {
    listener = l;
    listenerCtx = ctx;
}

extern "C" __attribute__((visibility("default"))) LONG PageDoubleObjects() { return objects; }
