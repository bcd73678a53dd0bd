// Dialogs from templates: the font and its base units, dialog units, the controls in template
// order, WM_INITDIALOG, the dialog hook, modal loops that nest, and the dialog-item helpers.
#include "dialog.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <cstdlib>
#include <string>

#include "ascii_case.h"
#include "detail.h"
#include "dialog_template.h"
#include "handlers.h"
#include "resources.h"
#include "wintable.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

// The average width of A-Z and a-z and the height of the font, as the dialog manager measures.
void measureBaseUnits(HFONT font, int& baseX, int& baseY) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, font);
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    TEXTMETRICA tm{};
    if (GetTextExtentPoint32A(dc, kLetters, 52, &size) && GetTextMetricsA(dc, &tm)) {
        baseX = static_cast<int>((size.cx / 26 + 1) / 2);
        baseY = static_cast<int>(tm.tmHeight);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
}

RECT toPixels(const DialogInfo& info, int x, int y, int cx, int cy) {
    RECT r{x, y, x + cx, y + cy};
    r.left = MulDiv(r.left, info.baseX, 4);
    r.right = MulDiv(r.right, info.baseX, 4);
    r.top = MulDiv(r.top, info.baseY, 8);
    r.bottom = MulDiv(r.bottom, info.baseY, 8);
    return r;
}

// The dialog's window rectangle: the template's client area at its place (relative to the
// owner's client area unless DS_ABSALIGN, centred on the owner's monitor under DS_CENTER).
RECT dialogRect(const DialogTemplate& t, const DialogInfo& info, HWND owner, DWORD style, DWORD exStyle) {
    RECT r = toPixels(info, t.x, t.y, t.cx, t.cy);
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    int width = r.right - r.left, height = r.bottom - r.top;
    POINT at{r.left, r.top};
    if (style & WS_CHILD) return r;
    if (owner && !(t.style & DS_ABSALIGN)) {
        POINT o{0, 0};
        ClientToScreen(owner, &o);
        at.x += o.x, at.y += o.y;
    }
    if (t.style & DS_CENTER) {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY)
                                 : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
        if (GetMonitorInfoA(monitor, &mi)) {
            at.x = mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - width) / 2;
            at.y = mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - height) / 2;
        }
    }
    return {at.x, at.y, at.x + width, at.y + height};
}

HWND createItem(HWND dialog, HINSTANCE instance, const DialogInfo& info, const DialogItemTemplate& item) {
    std::string cls = className(item.className);
    DWORD style = item.style | WS_CHILD;
    DWORD exStyle = item.exStyle | WS_EX_NOPARENTNOTIFY;
    // Dialogs have the 3-D look: a bordered edit field gets the sunken client edge instead.
    if (equalsIgnoringCase(cls, "Edit") && (style & WS_BORDER)) {
        style &= ~WS_BORDER;
        exStyle |= WS_EX_CLIENTEDGE;
    }
    // An ordinal title names a resource ("#139" for a bitmap static).
    std::string title = item.title.text;
    if (item.title.ordinal) title.assign(1, '#').append(std::to_string(*item.title.ordinal));
    RECT r = toPixels(info, item.x, item.y, item.cx, item.cy);
    void* data = item.creationData.empty() ? nullptr : const_cast<BYTE*>(item.creationData.data());
    return CreateWindowExA(exStyle, cls.c_str(), title.c_str(), style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, dialog, reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)),
                           instance, data);
}

}  // namespace

std::span<const BYTE> memoryTemplate(LPCDLGTEMPLATEA t) {
    constexpr size_t kMaxTemplate = 1 << 20;
    return {reinterpret_cast<const BYTE*>(t), kMaxTemplate};
}

DialogInfo* dialogInfo(HWND dialog) {
    WindowTable& t = windowTable();
    std::lock_guard lock(t.mutex);
    auto w = findWindow(t, dialog);
    if (!w || w->extra.size() < kDialogInfoOffset + sizeof(void*)) return nullptr;
    DialogInfo* info = nullptr;
    std::memcpy(&info, w->extra.data() + kDialogInfoOffset, sizeof info);
    return info;
}

void dropDialogInfo(HWND dialog) {
    DialogInfo* info = dialogInfo(dialog);
    if (!info) return;
    SetWindowLongPtrA(dialog, kDialogInfoOffset, 0);
    if (info->font) DeleteObject(info->font);
    delete info;
}

HWND firstTabStop(HWND dialog) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        LONG style = static_cast<LONG>(GetWindowLongPtrA(c, GWL_STYLE));
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED)) return c;
    }
    return nullptr;
}

HWND createDialog(HINSTANCE instance, std::span<const BYTE> bytes, HWND owner, DLGPROC proc, LPARAM param,
                  LPCSTR templateName, bool modal) {
    auto t = parseDialogTemplate(bytes);
    if (!t) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return createDialog(instance, *t, owner, proc, param, templateName, modal);
}

HWND createDialog(HINSTANCE instance, const DialogTemplate& dt, HWND owner, DLGPROC proc, LPARAM param,
                  LPCSTR templateName, bool modal) {
    const DialogTemplate* t = &dt;
    auto info = std::make_unique<DialogInfo>();
    info->modal = modal;
    if ((t->style & DS_SETFONT) && t->pointSize) {
        info->font = CreateFontA(-MulDiv(t->pointSize, 96, 72), 0, 0, 0, t->weight ? t->weight : FW_NORMAL,
                                 t->italic, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, t->face.c_str());
        if (info->font) measureBaseUnits(info->font, info->baseX, info->baseY);
    }
    DWORD style = t->style & ~WS_VISIBLE;
    DWORD exStyle = t->exStyle;
    if (t->style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
    if (owner && !(style & WS_CHILD)) owner = GetAncestor(owner, GA_ROOT);
    RECT r = dialogRect(*t, *info, owner, style, exStyle);
    std::string cls = t->className.empty() ? "#32770" : className(t->className);
    HWND dialog = CreateWindowExA(exStyle, cls.c_str(), t->title.c_str(), style, r.left, r.top, r.right - r.left,
                                  r.bottom - r.top, owner, nullptr, instance, nullptr);
    if (!dialog) return nullptr;
    DialogInfo* kept = info.release();
    SetWindowLongPtrA(dialog, kDialogInfoOffset, reinterpret_cast<LONG_PTR>(kept));
    SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    if (kept->font) SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(kept->font), 0);
    for (const DialogItemTemplate& item : t->items) {
        HWND control = createItem(dialog, instance, *kept, item);
        if (!control && !(t->style & DS_NOFAILCREATE)) {
            DestroyWindow(dialog);
            return nullptr;
        }
        if (control && kept->font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(kept->font), 0);
    }
    HWND focus = firstTabStop(dialog);
    if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param) && focus && IsWindow(focus)) {
        if (DialogInfo* live = dialogInfo(dialog)) live->focus = focus;
    }
    if (!IsWindow(dialog)) return nullptr;
    runDialogHook(dialog, instance, templateName);
    if (!IsWindow(dialog)) return nullptr;
    DialogInfo* live = dialogInfo(dialog);
    if (!modal && (t->style & WS_VISIBLE) && live && !live->ended) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        if (live->focus) SetFocus(live->focus);
        UpdateWindow(dialog);
    }
    return dialog;
}

INT_PTR runModal(HWND dialog, HWND owner) {
    if (!dialog) return -1;
    HWND top = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    bool disabledOwner = top && IsWindowEnabled(top) && !EnableWindow(top, FALSE);
    DialogInfo* info = dialogInfo(dialog);
    if (info && !info->ended) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        if (info->focus && IsWindow(info->focus)) SetFocus(info->focus);
        UpdateWindow(dialog);
    }
    MSG msg;
    bool quit = false;
    while (IsWindow(dialog) && (info = dialogInfo(dialog)) && !info->ended) {
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            quit = true;
            break;
        }
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    INT_PTR result = (IsWindow(dialog) && (info = dialogInfo(dialog))) ? info->result : -1;
    if (disabledOwner && IsWindow(top)) EnableWindow(top, TRUE);
    if (IsWindow(dialog)) DestroyWindow(dialog);
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));  // the quit ends the outer loop too
    return result;
}

}  // namespace winplat::detail

using namespace winplat::detail;

namespace {

std::span<const BYTE> resourceTemplate(HINSTANCE instance, LPCSTR name) {
    auto data = resourceData(instance, name, RT_DIALOG);
    return data ? *data : std::span<const BYTE>{};
}

}  // namespace

WINPLAT_API HWND CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                            DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    if (!lpTemplate) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return guardedCall(HWND{}, [&] {
        return createDialog(hInstance, memoryTemplate(lpTemplate), hWndParent, lpDialogFunc, dwInitParam, nullptr,
                            false);
    });
}

WINPLAT_API HWND CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                                    DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return guardedCall(HWND{}, [&]() -> HWND {
        auto bytes = resourceTemplate(hInstance, lpTemplateName);
        if (bytes.empty()) return nullptr;
        return createDialog(hInstance, bytes, hWndParent, lpDialogFunc, dwInitParam, lpTemplateName, false);
    });
}

WINPLAT_API INT_PTR DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                            DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    if (!hDialogTemplate) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return guardedCall(INT_PTR{-1}, [&] {
        return runModal(createDialog(hInstance, memoryTemplate(hDialogTemplate), hWndParent, lpDialogFunc,
                                     dwInitParam, nullptr, true),
                        hWndParent);
    });
}

WINPLAT_API INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                                    DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return guardedCall(INT_PTR{-1}, [&]() -> INT_PTR {
        auto bytes = resourceTemplate(hInstance, lpTemplateName);
        if (bytes.empty()) return -1;
        return runModal(createDialog(hInstance, bytes, hWndParent, lpDialogFunc, dwInitParam, lpTemplateName, true),
                        hWndParent);
    });
}

WINPLAT_API BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
    DialogInfo* info = dialogInfo(hDlg);
    if (!info) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    info->ended = true;
    info->result = nResult;
    if (info->modal) {
        // The owner comes back before the dialog hides, so that it is the one activated.
        if (HWND owner = GetWindow(hDlg, GW_OWNER)) EnableWindow(owner, TRUE);
        ShowWindow(hDlg, SW_HIDE);
        PostMessageA(hDlg, WM_NULL, 0, 0);  // wakes the modal loop
    }
    return TRUE;
}

WINPLAT_API BOOL MapDialogRect(HWND hDlg, LPRECT lpRect) {
    DialogInfo* info = dialogInfo(hDlg);
    if (!info || !lpRect) {
        SetLastError(info ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *lpRect = toPixels(*info, lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top);
    return TRUE;
}

WINPLAT_API LONG GetDialogBaseUnits(void) { return MAKELONG(8, 16); }

WINPLAT_API HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    for (HWND c = GetWindow(hDlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (static_cast<int>(GetWindowLongPtrA(c, GWLP_ID)) == nIDDlgItem) return c;
    SetLastError(IsWindow(hDlg) ? ERROR_CONTROL_ID_NOT_FOUND : ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

WINPLAT_API int GetDlgCtrlID(HWND hWnd) { return static_cast<int>(GetWindowLongPtrA(hWnd, GWLP_ID)); }

WINPLAT_API LRESULT SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SendMessageA(item, Msg, wParam, lParam) : 0;
}

WINPLAT_API BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SetWindowTextA(item, lpString) : FALSE;
}

WINPLAT_API UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    if (lpString && cchMax > 0) *lpString = '\0';
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? static_cast<UINT>(GetWindowTextA(item, lpString, cchMax)) : 0;
}

WINPLAT_API BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
    char text[16];
    WinplatFormatC(text, sizeof text, bSigned ? "%d" : "%u", bSigned ? static_cast<int>(uValue) : uValue);
    return SetDlgItemTextA(hDlg, nIDDlgItem, text);
}

WINPLAT_API UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
    if (lpTranslated) *lpTranslated = FALSE;
    char text[64];
    if (!GetDlgItemTextA(hDlg, nIDDlgItem, text, sizeof text)) return 0;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text, &end, 10);
    while (end && *end == ' ') ++end;
    if (end == text || (end && *end) || errno == ERANGE || (!bSigned && (value < 0 || value > 0xFFFFFFFFLL)) ||
        (bSigned && (value < INT32_MIN || value > INT32_MAX)))
        return 0;
    if (lpTranslated) *lpTranslated = TRUE;
    return static_cast<UINT>(value);
}

WINPLAT_API BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    if (!item) return FALSE;
    SendMessageA(item, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

WINPLAT_API UINT IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    return static_cast<UINT>(SendDlgItemMessageA(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}

WINPLAT_API BOOL CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    for (HWND c = GetWindow(hDlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(c);
        if (id >= nIDFirstButton && id <= nIDLastButton)
            SendMessageA(c, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}
