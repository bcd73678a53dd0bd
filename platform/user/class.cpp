// Window classes: one class list per process (the instance is not compared), atoms from
// 0xC000, the class fields that windows take effect from.
#include <algorithm>
#include <cstring>

#include "ascii_case.h"
#include "detail.h"
#include "session.h"
#include "wintable.h"

namespace winplat::detail {

bool isAtomName(LPCSTR name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

std::shared_ptr<WindowClass> findClass(WindowTable& t, LPCSTR name) {
    if (!name) return nullptr;
    for (auto& c : t.classes) {
        if (isAtomName(name) ? c->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                             : equalsIgnoringCase(c->name, name))
            return c;
    }
    return nullptr;
}

LONG_PTR exchangeExtra(std::vector<unsigned char>& bytes, int index, const LONG_PTR* replacement) {
    if (index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > bytes.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    LONG_PTR old = 0;
    std::memcpy(&old, bytes.data() + index, sizeof old);
    if (replacement) std::memcpy(bytes.data() + index, replacement, sizeof *replacement);
    return old;
}

namespace {

// The fields WNDCLASSA and WNDCLASSEXA share, by name.
template <typename To, typename From>
void copyCommonFields(To& to, const From& from) {
    to.style = from.style;
    to.lpfnWndProc = from.lpfnWndProc;
    to.cbClsExtra = from.cbClsExtra;
    to.cbWndExtra = from.cbWndExtra;
    to.hInstance = from.hInstance;
    to.hIcon = from.hIcon;
    to.hCursor = from.hCursor;
    to.hbrBackground = from.hbrBackground;
    to.lpszMenuName = from.lpszMenuName;
    to.lpszClassName = from.lpszClassName;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpfnWndProc || !wc->lpszClassName ||
        isAtomName(wc->lpszClassName) || !*wc->lpszClassName || wc->cbClsExtra < 0 ||
        wc->cbClsExtra > 0x10000 || wc->cbWndExtra < 0 || wc->cbWndExtra > 0x10000) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return guardedCall(ATOM{0}, [&]() -> ATOM {
        WindowTable& t = windowTable();
        std::lock_guard lock(t.mutex);
        if (findClass(t, wc->lpszClassName)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
        if (t.nextAtom == 0) {  // all 16384 atoms used since the last reset
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        auto c = std::make_shared<WindowClass>();
        c->name = wc->lpszClassName;
        c->atom = t.nextAtom++;
        c->info = *wc;
        c->info.lpszClassName = nullptr;
        c->info.lpszMenuName = nullptr;
        if (wc->lpszMenuName && !isAtomName(wc->lpszMenuName)) c->menuName = wc->lpszMenuName;
        c->extra.assign(static_cast<size_t>(wc->cbClsExtra), 0);
        t.classes.push_back(c);
        return c->atom;
    });
}

WINPLAT_API ATOM RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (!lpWndClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXA ex{};
    ex.cbSize = sizeof ex;
    copyCommonFields(ex, *lpWndClass);
    return RegisterClassExA(&ex);
}

WINPLAT_API BOOL UnregisterClassA(LPCSTR lpClassName, HINSTANCE /*hInstance*/) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto c = findClass(t, lpClassName);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    t.classes.erase(std::find(t.classes.begin(), t.classes.end(), c));
    return TRUE;
}

WINPLAT_API BOOL GetClassInfoExA(HINSTANCE, LPCSTR lpszClass, LPWNDCLASSEXA lpwcx) {
    if (!lpwcx) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto c = findClass(t, lpszClass);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *lpwcx = c->info;
    lpwcx->lpszClassName = lpszClass;
    return c->atom;
}

WINPLAT_API BOOL GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass) {
    if (!lpWndClass) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    WNDCLASSEXA ex{};
    ex.cbSize = sizeof ex;
    BOOL found = GetClassInfoExA(hInstance, lpClassName, &ex);
    if (!found) return FALSE;
    copyCommonFields(*lpWndClass, ex);
    lpWndClass->lpszMenuName = nullptr;
    return found;
}

WINPLAT_API int GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    std::string name;
    if (!withWindow(hWnd, false, [&](WindowTable&, const std::shared_ptr<Window>& w) {
            name = w->windowClass->name;
            return true;
        })) {
        auto other = foreignWindow(hWnd);  // another process's, from the session's table
        if (!other) return 0;
        name = other->className;
    }
    if (!lpClassName || nMaxCount <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(copyBounded(lpClassName, static_cast<size_t>(nMaxCount), name));
}

namespace {

// The field of a class that a GCL*/GCLP* index names; null for an index that names none.
template <typename Body>
ULONG_PTR withClassOf(HWND hWnd, Body&& body) {
    return withWindow(hWnd, ULONG_PTR{0}, [&](WindowTable&, const std::shared_ptr<Window>& w) -> ULONG_PTR {
        return body(*w->windowClass);
    });
}

}  // namespace

WINPLAT_API ULONG_PTR GetClassLongPtrA(HWND hWnd, int nIndex) {
    return withClassOf(hWnd, [&](WindowClass& c) -> ULONG_PTR {
        switch (nIndex) {
            case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(c.info.hCursor);
            case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(c.info.hbrBackground);
            case GCLP_HICON: return reinterpret_cast<ULONG_PTR>(c.info.hIcon);
            case GCLP_HICONSM: return reinterpret_cast<ULONG_PTR>(c.info.hIconSm);
            case GCLP_WNDPROC: return reinterpret_cast<ULONG_PTR>(c.info.lpfnWndProc);
            case GCL_STYLE: return c.info.style;
            case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(c.info.cbWndExtra);
            case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(c.info.cbClsExtra);
            case GCW_ATOM: return c.atom;
            default: break;
        }
        return static_cast<ULONG_PTR>(exchangeExtra(c.extra, nIndex, nullptr));
    });
}

WINPLAT_API ULONG_PTR SetClassLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return withClassOf(hWnd, [&](WindowClass& c) -> ULONG_PTR {
        auto swap = [&](auto& field) {
            auto old = reinterpret_cast<ULONG_PTR>(field);
            field = reinterpret_cast<std::remove_reference_t<decltype(field)>>(dwNewLong);
            return old;
        };
        switch (nIndex) {
            case GCLP_HCURSOR: return swap(c.info.hCursor);
            case GCLP_HBRBACKGROUND: return swap(c.info.hbrBackground);
            case GCLP_HICON: return swap(c.info.hIcon);
            case GCLP_HICONSM: return swap(c.info.hIconSm);
            case GCLP_WNDPROC: return swap(c.info.lpfnWndProc);
            case GCL_STYLE: return std::exchange(c.info.style, static_cast<UINT>(dwNewLong));
            default: break;
        }
        return static_cast<ULONG_PTR>(exchangeExtra(c.extra, nIndex, &dwNewLong));
    });
}
