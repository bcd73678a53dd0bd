// Property sheets (comctl32): a "#32770" frame with a tab per page, OK, Cancel, Apply and Help,
// and the pages, modeless dialogs made when first shown. Included by win32.h.
#pragma once

#ifndef WINPLAT_API
#error "include win32.h"
#endif

struct _PSP;
typedef struct _PSP* HPROPSHEETPAGE;
struct _PROPSHEETPAGEA;
typedef UINT(CALLBACK* LPFNPSPCALLBACKA)(HWND hwnd, UINT uMsg, struct _PROPSHEETPAGEA* ppsp);
typedef int(CALLBACK* PFNPROPSHEETCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam);
// How a shell extension hands a page to its host (IShellPropSheetExt::AddPages): FALSE refuses
// it, and the extension then destroys the page.
typedef BOOL(CALLBACK* LPFNADDPROPSHEETPAGE)(HPROPSHEETPAGE page, LPARAM lParam);

// A page description. dwSize is at least sizeof(PROPSHEETPAGEA); that many bytes are copied,
// so an object that begins with its description travels whole (the copy is what WM_INITDIALOG
// and the page callback receive).
typedef struct _PROPSHEETPAGEA {
    DWORD dwSize;
    DWORD dwFlags;
    HINSTANCE hInstance;
    union {
        LPCSTR pszTemplate;
        LPCDLGTEMPLATEA pResource;  // PSP_DLGINDIRECT
    };
    union {
        HICON hIcon;
        LPCSTR pszIcon;
    };
    LPCSTR pszTitle;
    DLGPROC pfnDlgProc;
    LPARAM lParam;
    LPFNPSPCALLBACKA pfnCallback;
    UINT* pcRefParent;
} PROPSHEETPAGEA, *LPPROPSHEETPAGEA;
typedef const PROPSHEETPAGEA* LPCPROPSHEETPAGEA;

#define PSP_DEFAULT 0x00000000
#define PSP_DLGINDIRECT 0x00000001
#define PSP_USEHICON 0x00000002
#define PSP_USEICONID 0x00000004
#define PSP_USETITLE 0x00000008
#define PSP_RTLREADING 0x00000010
#define PSP_HASHELP 0x00000020
#define PSP_USEREFPARENT 0x00000040
#define PSP_USECALLBACK 0x00000080
#define PSP_PREMATURE 0x00000400

#define PSPCB_ADDREF 0
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

typedef struct _PROPSHEETHEADERA {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;
    HINSTANCE hInstance;
    union {
        HICON hIcon;
        LPCSTR pszIcon;
    };
    LPCSTR pszCaption;
    UINT nPages;
    union {
        UINT nStartPage;
        LPCSTR pStartPage;
    };
    union {
        LPCPROPSHEETPAGEA ppsp;  // PSH_PROPSHEETPAGE: nPages descriptions, each dwSize long
        HPROPSHEETPAGE* phpage;
    };
    PFNPROPSHEETCALLBACK pfnCallback;
} PROPSHEETHEADERA, *LPPROPSHEETHEADERA;
typedef const PROPSHEETHEADERA* LPCPROPSHEETHEADERA;

#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_USEHICON 0x00000002
#define PSH_USEICONID 0x00000004
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_WIZARD 0x00000020
#define PSH_USEPSTARTPAGE 0x00000040
#define PSH_NOAPPLYNOW 0x00000080
#define PSH_USECALLBACK 0x00000100
#define PSH_HASHELP 0x00000200
#define PSH_MODELESS 0x00000400

// The sheet callback: PSCB_PRECREATE before the frame exists, with lParam the frame's classic
// DLGTEMPLATE (a copy the callback may change in place: its styles, and the items' styles);
// PSCB_INITIALIZED with the frame, after its pages are placed and before it shows.
#define PSCB_INITIALIZED 1
#define PSCB_PRECREATE 2

// The frame's items, in template order.
#define IDC_PSAPPLY 0x3021     // 12321, "&Apply"
#define IDC_PSTABCONTROL 0x3020  // 12320, the SysTabControl32

// Notifications to pages (WM_NOTIFY with a PSHNOTIFY from the frame), answered through
// DWLP_MSGRESULT.
#define PSN_FIRST (0U - 200U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

typedef struct _PSHNOTIFY {
    NMHDR hdr;
    LPARAM lParam;  // PSN_APPLY: TRUE when OK closes the sheet
} PSHNOTIFY, *LPPSHNOTIFY;

// Messages to the frame.
#define PSM_SETCURSEL (WM_USER + 101)   // wParam index, or lParam a page handle
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)     // wParam the page window
#define PSM_RESTARTWINDOWS (WM_USER + 105)
#define PSM_REBOOTSYSTEM (WM_USER + 106)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_QUERYSIBLINGS (WM_USER + 108)
#define PSM_UNCHANGED (WM_USER + 109)   // wParam the page window
#define PSM_APPLY (WM_USER + 110)
#define PSM_SETTITLEA (WM_USER + 111)
#define PSM_PRESSBUTTON (WM_USER + 113) // wParam PSBTN_*
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_ISDIALOGMESSAGE (WM_USER + 117)  // lParam a MSG*
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)

#define PSBTN_BACK 0
#define PSBTN_NEXT 1
#define PSBTN_FINISH 2
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6

// PropertySheetA's results after PSM_RESTARTWINDOWS and PSM_REBOOTSYSTEM.
#define ID_PSRESTARTWINDOWS 0x2
#define ID_PSREBOOTSYSTEM (ID_PSRESTARTWINDOWS | 0x1)

// Copies the description (and a string title); with PSP_USEREFPARENT counts *pcRefParent up
// (DestroyPropertySheetPage counts it down). Null with ERROR_INVALID_PARAMETER for a missing
// description or a dwSize below sizeof(PROPSHEETPAGEA).
WINPLAT_API HPROPSHEETPAGE CreatePropertySheetPageA(LPCPROPSHEETPAGEA constPropSheetPagePointer);
// Destroys the page's window if it has one, sends PSPCB_RELEASE and frees the page. A sheet
// destroys its own pages when it goes.
WINPLAT_API BOOL DestroyPropertySheetPage(HPROPSHEETPAGE hPSPage);
// Modal: runs the sheet and returns 1 when anything was applied, else 0, or
// ID_PSRESTARTWINDOWS / ID_PSREBOOTSYSTEM after those messages; -1 on failure. PSH_MODELESS:
// returns the frame, which the host's loop serves (PSM_ISDIALOGMESSAGE) and destroys once
// PSM_GETCURRENTPAGEHWND gives null after OK or Cancel; -1 on failure. Either way the sheet
// owns its pages from here on.
WINPLAT_API INT_PTR PropertySheetA(LPCPROPSHEETHEADERA lppsph);
