// In-process COM: the thread's apartment, the servers COM has loaded (one library reference each,
// kept until DllCanUnloadNow lets them go), and classes found through
// HKEY_CLASSES_ROOT "CLSID\{...}\InProcServer32".
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "detail.h"
#include "win32_holders.h"

namespace winplat::detail {
namespace {

thread_local int apartmentDepth = 0;

struct ServerTable {
    std::mutex mutex;
    std::vector<HMODULE> loaded;
};

ServerTable& servers() {
    static ServerTable t;
    return t;
}

std::string guidText(REFGUID g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

// The server's file as the class's InProcServer32 names it.
std::optional<std::string> serverPath(REFCLSID clsid) {
    RegKey key(HKEY_CLASSES_ROOT, "CLSID\\" + guidText(clsid) + "\\InProcServer32");
    if (!key) return std::nullopt;
    char path[4 * MAX_PATH + 1] = {};
    DWORD size = sizeof path - 1, type = REG_NONE;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || !path[0])
        return std::nullopt;
    return std::string(path);
}

// Loads a server once for COM; a further load of a server COM already holds gives its
// reference back.
HRESULT loadServer(const std::string& path, HMODULE& server) {
    HMODULE h = LoadLibraryA(path.c_str());
    if (!h) {
        DWORD error = GetLastError();
        bool missing = error == ERROR_MOD_NOT_FOUND || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return missing ? CO_E_DLLNOTFOUND : CO_E_ERRORINDLL;
    }
    bool held = false;
    {
        ServerTable& t = servers();
        std::lock_guard lock(t.mutex);
        for (HMODULE m : t.loaded) held = held || m == h;
        if (!held) t.loaded.push_back(h);
    }
    if (held) FreeLibrary(h);
    server = h;
    return S_OK;
}

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadNowFn = HRESULT (*)();

HRESULT classObject(REFCLSID clsid, DWORD context, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (apartmentDepth == 0) return CO_E_NOTINITIALIZED;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    auto path = serverPath(clsid);
    if (!path) return REGDB_E_CLASSNOTREG;
    HMODULE server = nullptr;
    if (HRESULT hr = loadServer(*path, server); FAILED(hr)) return hr;
    auto get = reinterpret_cast<GetClassObjectFn>(GetProcAddress(server, "DllGetClassObject"));
    if (!get) return CO_E_ERRORINDLL;
    HRESULT hr = get(clsid, riid, ppv);
    if (FAILED(hr)) *ppv = nullptr;
    return hr;
}

void freeUnusedServers() {
    std::vector<HMODULE> loaded;
    {
        ServerTable& t = servers();
        std::lock_guard lock(t.mutex);
        loaded = t.loaded;
    }
    for (HMODULE h : loaded) {
        auto canUnload = reinterpret_cast<CanUnloadNowFn>(GetProcAddress(h, "DllCanUnloadNow"));
        if (!canUnload || canUnload() != S_OK) continue;
        {
            ServerTable& t = servers();
            std::lock_guard lock(t.mutex);
            std::erase(t.loaded, h);
        }
        FreeLibrary(h);
    }
}

}  // namespace

void resetCom() {
    ServerTable& t = servers();
    std::lock_guard lock(t.mutex);
    t.loaded.clear();  // the libraries themselves go with the library table
    apartmentDepth = 0;
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
WINPLAT_API const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
WINPLAT_API const IID IID_IShellExtInit = {0x000214E8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
WINPLAT_API const IID IID_IShellPropSheetExt = {0x000214E9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

WINPLAT_API HRESULT CoInitializeEx(LPVOID, DWORD) { return apartmentDepth++ == 0 ? S_OK : S_FALSE; }

WINPLAT_API HRESULT CoInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

WINPLAT_API void CoUninitialize(void) {
    if (apartmentDepth == 0) return;
    // The apartment closes: its servers go, unless one says objects of its own still live.
    if (--apartmentDepth == 0) guardedCall(0, [] {
            freeUnusedServers();
            return 0;
        });
}

WINPLAT_API HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID, REFIID riid, LPVOID* ppv) {
    return guardedCall(E_OUTOFMEMORY, [&] { return classObject(rclsid, dwClsContext, riid, ppv); });
}

WINPLAT_API HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                     LPVOID* ppv) {
    return guardedCall(E_OUTOFMEMORY, [&]() -> HRESULT {
        if (!ppv) return E_INVALIDARG;
        *ppv = nullptr;
        IClassFactory* factory = nullptr;
        HRESULT hr = classObject(rclsid, dwClsContext, IID_IClassFactory, reinterpret_cast<LPVOID*>(&factory));
        if (FAILED(hr)) return hr;
        if (!factory) return E_UNEXPECTED;
        hr = factory->CreateInstance(pUnkOuter, riid, ppv);
        factory->Release();
        if (FAILED(hr)) *ppv = nullptr;
        return hr;
    });
}

WINPLAT_API void CoFreeUnusedLibraries(void) {
    guardedCall(0, [] {
        freeUnusedServers();
        return 0;
    });
}

WINPLAT_API LPVOID CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb ? cb : 1); }

WINPLAT_API void CoTaskMemFree(LPVOID pv) { std::free(pv); }
