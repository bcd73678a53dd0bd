// In-process COM (ole32): GUIDs, HRESULTs, IUnknown and IClassFactory, and the calls that find a
// class's server in the registry (HKEY_CLASSES_ROOT "CLSID\{...}\InProcServer32"), load it and
// ask it for objects. Apartment model: every call comes on the thread that initialised COM.
// Included by win32.h.
#pragma once

#ifndef WINPLAT_API
#error "include win32.h"
#endif

typedef LONG HRESULT;
typedef size_t SIZE_T;

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID* LPCGUID;
#ifdef __cplusplus
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
inline bool IsEqualGUID(REFGUID a, REFGUID b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
#define IsEqualIID(a, b) IsEqualGUID(a, b)
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)
#endif

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define S_OK ((HRESULT)0L)
#define S_FALSE ((HRESULT)1L)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_ABORT ((HRESULT)0x80004004L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_UNEXPECTED ((HRESULT)0x8000FFFFL)
#define E_ACCESSDENIED ((HRESULT)0x80070005L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)
#define CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111L)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define CO_E_NOTINITIALIZED ((HRESULT)0x800401F0L)
#define CO_E_DLLNOTFOUND ((HRESULT)0x800401F8L)
#define CO_E_ERRORINDLL ((HRESULT)0x800401F9L)
#define SELFREG_E_CLASS ((HRESULT)0x80040201L)

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_INPROC (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
#define COINIT_APARTMENTTHREADED 0x2

#define STDMETHODCALLTYPE
#define STDAPI extern "C" __attribute__((visibility("default"))) HRESULT

#ifdef __cplusplus
// Interfaces are abstract structs without a virtual destructor, so their tables hold the
// methods in declaration order, as Win32's do.
struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};
typedef IUnknown* LPUNKNOWN;

struct IClassFactory : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) = 0;
};
typedef IClassFactory* LPCLASSFACTORY;
#endif

WINPLAT_API const IID IID_IUnknown;
WINPLAT_API const IID IID_IClassFactory;

// The first call of a thread gives S_OK, later ones S_FALSE; each needs its CoUninitialize.
// The last CoUninitialize unloads the servers that DllCanUnloadNow lets go.
WINPLAT_API HRESULT CoInitialize(LPVOID pvReserved);
WINPLAT_API HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
WINPLAT_API void CoUninitialize(void);
// The class factory (or `riid` of it) of an in-process class: REGDB_E_CLASSNOTREG when the
// class or its InProcServer32 is not registered (or `dwClsContext` has no in-process server),
// CO_E_DLLNOTFOUND when the server's file is missing, CO_E_ERRORINDLL when it cannot be loaded
// (its attach refused) or has no DllGetClassObject; else the server's own answer.
// CO_E_NOTINITIALIZED on a thread without CoInitialize. *ppv is null on failure.
WINPLAT_API HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid, LPVOID* ppv);
WINPLAT_API HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                     LPVOID* ppv);
// Unloads the servers loaded by COM whose DllCanUnloadNow answers S_OK.
WINPLAT_API void CoFreeUnusedLibraries(void);
WINPLAT_API LPVOID CoTaskMemAlloc(SIZE_T cb);
WINPLAT_API void CoTaskMemFree(LPVOID pv);
