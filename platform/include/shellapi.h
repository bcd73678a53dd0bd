// The shell's share of the Win32 subset (shell32): running programs and opening files and
// addresses, and the task bar's place. Included by win32.h.
#pragma once

#ifndef WINPLAT_API
#error "include win32.h"
#endif

// ---- Running and opening -------------------------------------------------------------------
// Results of ShellExecuteA at or below 32 (above 32 means success).
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT 28
#define SE_ERR_DDEFAIL 29
#define SE_ERR_DDEBUSY 30
#define SE_ERR_NOASSOC 31
#define SE_ERR_DLLNOTFOUND 32

#define SEE_MASK_DEFAULT 0x00000000
#define SEE_MASK_CLASSNAME 0x00000001
#define SEE_MASK_INVOKEIDLIST 0x0000000C
#define SEE_MASK_NOCLOSEPROCESS 0x00000040
#define SEE_MASK_FLAG_DDEWAIT 0x00000100
#define SEE_MASK_FLAG_NO_UI 0x00000400

typedef struct _SHELLEXECUTEINFOA {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCSTR lpVerb;
    LPCSTR lpFile;
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
} SHELLEXECUTEINFOA, *LPSHELLEXECUTEINFOA;

// Hands the request to the shell-execute handler (winplat.h): the verb (null is "open"), the
// file (a relative one joined to lpDirectory first) and the parameters. The default handler
// runs a program with the parameters as its arguments, and opens any other file, folder or
// address ("scheme:...") with xdg-open. Above 32 on success, else SE_ERR_* with the last error
// set (SE_ERR_FNF, SE_ERR_PNF, SE_ERR_ACCESSDENIED, SE_ERR_OOM, SE_ERR_NOASSOC for a verb or
// file nothing opens). The show command is not used.
WINPLAT_API HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                                    LPCSTR lpDirectory, INT nShowCmd);
// As ShellExecuteA, with the result in hInstApp; cbSize must be sizeof(SHELLEXECUTEINFOA).
// hProcess is null: the started program is not waited for.
WINPLAT_API BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA pExecInfo);

// ---- The task bar ----------------------------------------------------------------------------
#define ABM_NEW 0x00000000
#define ABM_REMOVE 0x00000001
#define ABM_QUERYPOS 0x00000002
#define ABM_SETPOS 0x00000003
#define ABM_GETSTATE 0x00000004
#define ABM_GETTASKBARPOS 0x00000005
#define ABM_ACTIVATE 0x00000006
#define ABM_GETAUTOHIDEBAR 0x00000007
#define ABM_SETAUTOHIDEBAR 0x00000008
#define ABM_WINDOWPOSCHANGED 0x00000009
#define ABS_AUTOHIDE 0x0000001
#define ABS_ALWAYSONTOP 0x0000002
#define ABE_LEFT 0
#define ABE_TOP 1
#define ABE_RIGHT 2
#define ABE_BOTTOM 3

typedef struct _AppBarData {
    DWORD cbSize;
    HWND hWnd;
    UINT uCallbackMessage;
    UINT uEdge;
    RECT rc;
    LPARAM lParam;
} APPBARDATA, *PAPPBARDATA;

// The task bar stand-in on the primary monitor: ABM_GETSTATE answers ABS_ALWAYSONTOP, with
// ABS_AUTOHIDE for a bar that hides itself; ABM_GETTASKBARPOS fills uEdge and rc (the bar's
// rectangle, as it is when shown) and answers TRUE, or FALSE where there is no task bar. On the
// virtual display the bar is display.ini's [Taskbar]; on x11 it is the edge of the primary
// monitor that the window manager's work area leaves free. Other messages answer 0.
WINPLAT_API UINT_PTR SHAppBarMessage(DWORD dwMessage, PAPPBARDATA pData);

// ---- Notification area ---------------------------------------------------------------------
#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004

// The first form of the structure (later forms, with a longer tip, pass a larger cbSize).
typedef struct _NOTIFYICONDATAA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
} NOTIFYICONDATAA, *PNOTIFYICONDATAA;

// An icon of the window hWnd, known by uID, in the desktop's notification area where it has one
// (the icon is kept all the same where it has none: NIM_ADD succeeds). Clicks on it post
// uCallbackMessage (under NIF_MESSAGE) to the window with wParam uID and lParam the mouse
// message: WM_LBUTTONDOWN and WM_LBUTTONUP for a click, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN and
// WM_RBUTTONUP. FALSE for a cbSize below sizeof(NOTIFYICONDATAA), a window that is none, adding
// an icon twice, or changing or deleting one that is not there.
WINPLAT_API BOOL Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData);

// ---- Shell extensions --------------------------------------------------------------------------
#ifdef __cplusplus
struct _ITEMIDLIST;
typedef const struct _ITEMIDLIST* LPCITEMIDLIST;
struct IDataObject;

// Told where it works (a folder, the selected items, their class key) before it is used.
struct IShellExtInit : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize(LPCITEMIDLIST pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) = 0;
};
// Adds its pages to a property sheet through the host's callback.
struct IShellPropSheetExt : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddPages(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReplacePage(UINT uPageID, LPFNADDPROPSHEETPAGE pfnReplaceWith, LPARAM lParam) = 0;
};
#endif
WINPLAT_API const IID IID_IShellExtInit;
WINPLAT_API const IID IID_IShellPropSheetExt;
