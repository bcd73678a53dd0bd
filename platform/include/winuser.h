// Windows with places, the message queue, timers, input, focus and the window procedures'
// defaults (user32's share of the Win32 subset). Included by win32.h.
#pragma once

#ifndef WINPLAT_API
#error "include win32.h"
#endif

#define ERROR_NOT_ENOUGH_QUOTA 1816L
#define ERROR_INVALID_FLAGS 1004L
#define ERROR_NO_SYSTEM_RESOURCES 1450L
#define ERROR_TIMEOUT 1460L
#define ERROR_MESSAGE_SYNC_ONLY 1159L
#define ERROR_WINDOW_OF_OTHER_THREAD 1408L
#define ERROR_NON_MDICHILD_WINDOW 1445L
#define ERROR_INVALID_SPI_VALUE 1439L
#define ERROR_TLW_WITH_WSCHILD 1406L
#define ERROR_INVALID_THREAD_ID 1444L
#define ERROR_CONTROL_ID_NOT_FOUND 1421L
#define ERROR_INVALID_MENU_HANDLE 1401L
#define ERROR_MENU_ITEM_NOT_FOUND 1456L
#define ERROR_INVALID_ACCEL_HANDLE 1403L
#define ERROR_NOT_GUI_PROCESS 1471L

typedef void* PVOID;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *PMSG, *LPMSG;

typedef struct tagWNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
} WNDCLASSEXA, *PWNDCLASSEXA, *LPWNDCLASSEXA;

typedef struct tagWINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
} WINDOWPOS, *LPWINDOWPOS, *PWINDOWPOS;

typedef struct tagNCCALCSIZE_PARAMS {
    RECT rgrc[3];
    PWINDOWPOS lppos;
} NCCALCSIZE_PARAMS, *LPNCCALCSIZE_PARAMS;

typedef struct tagTRACKMOUSEEVENT {
    DWORD cbSize;
    DWORD dwFlags;
    HWND hwndTrack;
    DWORD dwHoverTime;
} TRACKMOUSEEVENT, *LPTRACKMOUSEEVENT;

typedef struct tagHELPINFO {
    UINT cbSize;
    int iContextType;
    int iCtrlId;
    HANDLE hItemHandle;
    DWORD_PTR dwContextId;
    POINT MousePos;
} HELPINFO, *LPHELPINFO;

// ---- Class styles ------------------------------------------------------------------------
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020
#define CS_CLASSDC 0x0040
#define CS_PARENTDC 0x0080
#define CS_NOCLOSE 0x0200
#define CS_SAVEBITS 0x0800
#define CS_GLOBALCLASS 0x4000
#define GCLP_HCURSOR (-12)
#define GCLP_HBRBACKGROUND (-10)
#define GCLP_HICON (-14)
#define GCLP_HICONSM (-34)
#define GCLP_WNDPROC (-24)
#define GCL_STYLE (-26)
#define GCL_CBWNDEXTRA (-18)
#define GCL_CBCLSEXTRA (-20)
#define GCW_ATOM (-32)

// Window and dialog styles and most virtual keys come from winres.h, which win32.h includes.

// ---- Messages ----------------------------------------------------------------------------
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_ERASEBKGND 0x0014
#define WM_SYSCOLORCHANGE 0x0015
#define WM_SHOWWINDOW 0x0018
#define WM_ACTIVATEAPP 0x001C
#define WM_SETCURSOR 0x0020
#define WM_MOUSEACTIVATE 0x0021
#define WM_GETMINMAXINFO 0x0024
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_WINDOWPOSCHANGING 0x0046
#define WM_WINDOWPOSCHANGED 0x0047
#define WM_NOTIFY 0x004E
#define WM_CONTEXTMENU 0x007B
#define WM_HELP 0x0053
#define WM_DISPLAYCHANGE 0x007E
#define WM_GETICON 0x007F
#define WM_SETICON 0x0080
#define WM_NCCALCSIZE 0x0083
#define WM_NCHITTEST 0x0084
#define WM_NCPAINT 0x0085
#define WM_NCACTIVATE 0x0086
#define WM_GETDLGCODE 0x0087
#define WM_NCMOUSEMOVE 0x00A0
#define WM_NCLBUTTONDOWN 0x00A1
#define WM_NCLBUTTONUP 0x00A2
#define WM_KEYFIRST 0x0100
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_DEADCHAR 0x0103
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_KEYLAST 0x0108
#define WM_INITDIALOG 0x0110
#define WM_SYSCOMMAND 0x0112
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_CTLCOLORMSGBOX 0x0132
#define WM_CTLCOLOREDIT 0x0133
#define WM_CTLCOLORLISTBOX 0x0134
#define WM_CTLCOLORBTN 0x0135
#define WM_CTLCOLORDLG 0x0136
#define WM_CTLCOLORSCROLLBAR 0x0137
#define WM_CTLCOLORSTATIC 0x0138
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MBUTTONDBLCLK 0x0209
#define WM_MOUSEWHEEL 0x020A
#define WM_MOUSELAST 0x020A
#define WM_PARENTNOTIFY 0x0210
#define WM_CAPTURECHANGED 0x0215
#define WM_MOUSEHOVER 0x02A1
#define WM_MOUSELEAVE 0x02A3
#define WM_QUERYNEWPALETTE 0x030F
#define WM_PALETTECHANGED 0x0311
#define WM_APP 0x8000

// WM_ACTIVATE
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2
// WM_SIZE
#define SIZE_RESTORED 0
// WM_SYSCOMMAND
#define SC_CLOSE 0xF060
#define SC_KEYMENU 0xF100
// WM_NCHITTEST
#define HTERROR (-2)
#define HTTRANSPARENT (-1)
#define HTNOWHERE 0
#define HTCLIENT 1
#define HTCAPTION 2
#define HTSYSMENU 3
#define HTLEFT 10
#define HTRIGHT 11
#define HTTOP 12
#define HTTOPLEFT 13
#define HTTOPRIGHT 14
#define HTBOTTOM 15
#define HTBOTTOMLEFT 16
#define HTBOTTOMRIGHT 17
#define HTBORDER 18
#define HTCLOSE 20
// Mouse key flags of wParam.
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010
// TrackMouseEvent
#define TME_HOVER 0x00000001
#define TME_LEAVE 0x00000002
#define TME_CANCEL 0x80000000
#define HOVER_DEFAULT 0xFFFFFFFF
// WM_HELP
#define HELPINFO_WINDOW 0x0001

#define MAKEWORD(a, b) ((WORD)(((BYTE)((DWORD_PTR)(a) & 0xff)) | ((WORD)((BYTE)((DWORD_PTR)(b) & 0xff))) << 8))
#define MAKELONG(a, b) ((LONG)(((WORD)((DWORD_PTR)(a) & 0xffff)) | ((DWORD)((WORD)((DWORD_PTR)(b) & 0xffff))) << 16))
#define LOWORD(l) ((WORD)((DWORD_PTR)(l) & 0xffff))
#define HIWORD(l) ((WORD)((DWORD_PTR)(l) >> 16))
#define LOBYTE(w) ((BYTE)((DWORD_PTR)(w) & 0xff))
#define HIBYTE(w) ((BYTE)((DWORD_PTR)(w) >> 8))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKELRESULT(l, h) ((LRESULT)(DWORD)MAKELONG(l, h))
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#define MAKEINTATOM(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))

// ---- Queue -------------------------------------------------------------------------------
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002
#define QS_KEY 0x0001
#define QS_MOUSEMOVE 0x0002
#define QS_MOUSEBUTTON 0x0004
#define QS_POSTMESSAGE 0x0008
#define QS_TIMER 0x0010
#define QS_PAINT 0x0020
#define QS_SENDMESSAGE 0x0040
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY)
#define QS_ALLEVENTS (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT)
#define QS_ALLINPUT (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE)
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED_0 0x00000080L
#define WAIT_TIMEOUT 258L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
#define MAXIMUM_WAIT_OBJECTS 64
#define HWND_BROADCAST ((HWND)0xffff)

typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
typedef BOOL(CALLBACK* WNDENUMPROC)(HWND, LPARAM);

WINPLAT_API BOOL GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
WINPLAT_API BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                              UINT wRemoveMsg);
WINPLAT_API BOOL TranslateMessage(const MSG* lpMsg);
WINPLAT_API LRESULT DispatchMessageA(const MSG* lpMsg);
WINPLAT_API BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
WINPLAT_API BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
WINPLAT_API void PostQuitMessage(int nExitCode);
WINPLAT_API BOOL WaitMessage(void);
// Waits for processes (CreateProcessA's handles) and the queue: WAIT_OBJECT_0 + the index of
// the first process that ended, WAIT_OBJECT_0 + nCount for a message the mask asks for, or
// WAIT_TIMEOUT. Other handles fail with ERROR_INVALID_HANDLE; fWaitAll is not supported.
WINPLAT_API DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll,
                                            DWORD dwMilliseconds, DWORD dwWakeMask);
WINPLAT_API DWORD GetQueueStatus(UINT flags);
WINPLAT_API LONG GetMessageTime(void);
WINPLAT_API DWORD GetMessagePos(void);
WINPLAT_API BOOL InSendMessage(void);
WINPLAT_API LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                                    LPARAM lParam);
WINPLAT_API DWORD GetCurrentThreadId(void);
WINPLAT_API DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);

// ---- Timers ------------------------------------------------------------------------------
#define USER_TIMER_MINIMUM 0x0000000A
#define USER_TIMER_MAXIMUM 0x7FFFFFFF
WINPLAT_API UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
WINPLAT_API BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// ---- Classes and windows -----------------------------------------------------------------
WINPLAT_API ATOM RegisterClassExA(const WNDCLASSEXA* lpWndClass);
WINPLAT_API BOOL GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass);
WINPLAT_API BOOL GetClassInfoExA(HINSTANCE hInstance, LPCSTR lpszClass, LPWNDCLASSEXA lpwcx);
WINPLAT_API int GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount);
WINPLAT_API ULONG_PTR GetClassLongPtrA(HWND hWnd, int nIndex);
WINPLAT_API ULONG_PTR SetClassLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);

#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5
#define GW_ENABLEDPOPUP 6
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#define SW_MAX 10
#define GWLP_HWNDPARENT (-8)

WINPLAT_API HWND GetWindow(HWND hWnd, UINT uCmd);
WINPLAT_API BOOL IsChild(HWND hWndParent, HWND hWnd);
WINPLAT_API BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam);
WINPLAT_API BOOL EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam);
WINPLAT_API HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName);
WINPLAT_API HWND FindWindowExA(HWND hWndParent, HWND hWndChildAfter, LPCSTR lpszClass,
                               LPCSTR lpszWindow);
WINPLAT_API BOOL ShowWindow(HWND hWnd, int nCmdShow);
WINPLAT_API BOOL IsWindowVisible(HWND hWnd);
WINPLAT_API BOOL EnableWindow(HWND hWnd, BOOL bEnable);
WINPLAT_API BOOL IsWindowEnabled(HWND hWnd);
WINPLAT_API BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString);
WINPLAT_API int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount);
WINPLAT_API int GetWindowTextLengthA(HWND hWnd);
WINPLAT_API BOOL SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData);
WINPLAT_API HANDLE GetPropA(HWND hWnd, LPCSTR lpString);
WINPLAT_API HANDLE RemovePropA(HWND hWnd, LPCSTR lpString);
WINPLAT_API HWND GetDesktopWindow(void);
WINPLAT_API HWND GetAncestor(HWND hwnd, UINT gaFlags);
#define GA_PARENT 1
#define GA_ROOT 2
#define GA_ROOTOWNER 3

// ---- Geometry ----------------------------------------------------------------------------
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define SWP_NOCOPYBITS 0x0100
#define SWP_NOOWNERZORDER 0x0200
#define SWP_NOSENDCHANGING 0x0400

WINPLAT_API BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                              UINT uFlags);
WINPLAT_API BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
WINPLAT_API BOOL BringWindowToTop(HWND hWnd);
WINPLAT_API BOOL GetWindowRect(HWND hWnd, LPRECT lpRect);
WINPLAT_API BOOL GetClientRect(HWND hWnd, LPRECT lpRect);
WINPLAT_API BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint);
WINPLAT_API BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint);
WINPLAT_API int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints);
WINPLAT_API HWND WindowFromPoint(POINT Point);
WINPLAT_API HWND ChildWindowFromPoint(HWND hWndParent, POINT Point);
WINPLAT_API BOOL AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle);
WINPLAT_API BOOL AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu);

WINPLAT_API BOOL PtInRect(const RECT* lprc, POINT pt);
WINPLAT_API BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom);
WINPLAT_API BOOL SetRectEmpty(LPRECT lprc);
WINPLAT_API BOOL CopyRect(LPRECT lprcDst, const RECT* lprcSrc);
WINPLAT_API BOOL IsRectEmpty(const RECT* lprc);
WINPLAT_API BOOL EqualRect(const RECT* lprc1, const RECT* lprc2);
WINPLAT_API BOOL InflateRect(LPRECT lprc, int dx, int dy);
WINPLAT_API BOOL OffsetRect(LPRECT lprc, int dx, int dy);
WINPLAT_API BOOL IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
WINPLAT_API BOOL UnionRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);

// ---- Focus, keyboard, mouse --------------------------------------------------------------
#define INPUT_MOUSE 0
#define INPUT_KEYBOARD 1
#define KEYEVENTF_EXTENDEDKEY 0x0001
#define KEYEVENTF_KEYUP 0x0002
#define MOUSEEVENTF_MOVE 0x0001
#define MOUSEEVENTF_LEFTDOWN 0x0002
#define MOUSEEVENTF_LEFTUP 0x0004
#define MOUSEEVENTF_RIGHTDOWN 0x0008
#define MOUSEEVENTF_RIGHTUP 0x0010
#define MOUSEEVENTF_MIDDLEDOWN 0x0020
#define MOUSEEVENTF_MIDDLEUP 0x0040
#define MOUSEEVENTF_ABSOLUTE 0x8000

typedef struct tagMOUSEINPUT {
    LONG dx;
    LONG dy;
    DWORD mouseData;
    DWORD dwFlags;
    DWORD time;
    ULONG_PTR dwExtraInfo;
} MOUSEINPUT;
typedef struct tagKEYBDINPUT {
    WORD wVk;
    WORD wScan;
    DWORD dwFlags;
    DWORD time;
    ULONG_PTR dwExtraInfo;
} KEYBDINPUT;
typedef struct tagINPUT {
    DWORD type;
    union {
        MOUSEINPUT mi;
        KEYBDINPUT ki;
    };
} INPUT, *LPINPUT;

WINPLAT_API HWND SetFocus(HWND hWnd);
WINPLAT_API HWND GetFocus(void);
WINPLAT_API BOOL SetForegroundWindow(HWND hWnd);
WINPLAT_API HWND GetForegroundWindow(void);
WINPLAT_API SHORT GetKeyState(int nVirtKey);
WINPLAT_API SHORT GetAsyncKeyState(int vKey);
// Absolute mouse positions are desktop pixels here (not 0..65535 normalised).
WINPLAT_API UINT SendInput(UINT cInputs, LPINPUT pInputs, int cbSize);
WINPLAT_API HWND SetCapture(HWND hWnd);
WINPLAT_API BOOL ReleaseCapture(void);
WINPLAT_API HWND GetCapture(void);
WINPLAT_API BOOL TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack);

// ---- Cursors -----------------------------------------------------------------------------
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZENWSE MAKEINTRESOURCEA(32642)
#define IDC_SIZENESW MAKEINTRESOURCEA(32643)
#define IDC_SIZEWE MAKEINTRESOURCEA(32644)
#define IDC_SIZENS MAKEINTRESOURCEA(32645)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEA(32650)
#define IDC_HELP MAKEINTRESOURCEA(32651)
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_HAND MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEA(32515)
#define IDI_ASTERISK MAKEINTRESOURCEA(32516)

// System cursors and icons with a null instance (IDC_*, IDI_*); otherwise the module's
// RT_GROUP_CURSOR or RT_GROUP_ICON resource, at the system size (32 x 32), the image Win32
// would choose. Cursors keep their hot spot.
WINPLAT_API HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
WINPLAT_API HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
WINPLAT_API HBITMAP LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName);

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_LOADFROMFILE 0x00000010
#define LR_DEFAULTSIZE 0x00000040
#define LR_SHARED 0x00008000
// Bitmaps, icons and cursors from a module's resources or, with LR_LOADFROMFILE, from a .bmp,
// .ico or .cur file (name is then the path). cx, cy 0 take the image's own size, or the system
// size with LR_DEFAULTSIZE. Colour tables are kept exactly.
WINPLAT_API HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);
WINPLAT_API HCURSOR SetCursor(HCURSOR hCursor);
WINPLAT_API HCURSOR GetCursor(void);
WINPLAT_API BOOL DestroyCursor(HCURSOR hCursor);
WINPLAT_API BOOL DestroyIcon(HICON hIcon);

// ---- System metrics and parameters -------------------------------------------------------
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CXFIXEDFRAME SM_CXDLGFRAME
#define SM_CYFIXEDFRAME SM_CYDLGFRAME
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXCURSOR 13
#define SM_CYCURSOR 14
#define SM_CYMENU 15
#define SM_CXFULLSCREEN 16
#define SM_CYFULLSCREEN 17
#define SM_MOUSEPRESENT 19
#define SM_CXMIN 28
#define SM_CYMIN 29
#define SM_CXSIZE 30
#define SM_CYSIZE 31
#define SM_CXFRAME 32
#define SM_CYFRAME 33
#define SM_CXSIZEFRAME SM_CXFRAME
#define SM_CYSIZEFRAME SM_CYFRAME
#define SM_CXDOUBLECLK 36
#define SM_CYDOUBLECLK 37
#define SM_CXEDGE 45
#define SM_CYEDGE 46
#define SM_CXSMICON 49
#define SM_CYSMICON 50
#define SM_CYSMCAPTION 51
#define SM_CXMAXIMIZED 61
#define SM_CYMAXIMIZED 62
#define SM_CXDRAG 68
#define SM_CYDRAG 69

#define SPI_GETWORKAREA 0x0030
#define SPI_GETNONCLIENTMETRICS 0x0029
WINPLAT_API BOOL SystemParametersInfoA(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);

// ---- Painting (user32's part) ------------------------------------------------------------
typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT, *PPAINTSTRUCT, *LPPAINTSTRUCT;

#define RDW_INVALIDATE 0x0001
#define RDW_INTERNALPAINT 0x0002
#define RDW_ERASE 0x0004
#define RDW_VALIDATE 0x0008
#define RDW_NOINTERNALPAINT 0x0010
#define RDW_NOERASE 0x0020
#define RDW_NOCHILDREN 0x0040
#define RDW_ALLCHILDREN 0x0080
#define RDW_UPDATENOW 0x0100
#define RDW_ERASENOW 0x0200
#define RDW_FRAME 0x0400
#define RDW_NOFRAME 0x0800

WINPLAT_API HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
WINPLAT_API BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
WINPLAT_API BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
WINPLAT_API BOOL ValidateRect(HWND hWnd, const RECT* lpRect);
WINPLAT_API BOOL UpdateWindow(HWND hWnd);
WINPLAT_API BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, void* hrgnUpdate, UINT flags);
WINPLAT_API BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);
WINPLAT_API HDC GetWindowDC(HWND hWnd);

// ---- System colours ----------------------------------------------------------------------
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_DESKTOP 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_3DFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_3DSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DHIGHLIGHT 20
#define COLOR_3DHILIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28

WINPLAT_API DWORD GetSysColor(int nIndex);
WINPLAT_API HBRUSH GetSysColorBrush(int nIndex);
WINPLAT_API int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
WINPLAT_API int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
WINPLAT_API BOOL DrawFocusRect(HDC hDC, const RECT* lprc);

#define BDR_RAISEDOUTER 0x0001
#define BDR_SUNKENOUTER 0x0002
#define BDR_RAISEDINNER 0x0004
#define BDR_SUNKENINNER 0x0008
#define EDGE_RAISED (BDR_RAISEDOUTER | BDR_RAISEDINNER)
#define EDGE_SUNKEN (BDR_SUNKENOUTER | BDR_SUNKENINNER)
#define EDGE_ETCHED (BDR_SUNKENOUTER | BDR_RAISEDINNER)
#define EDGE_BUMP (BDR_RAISEDOUTER | BDR_SUNKENINNER)
#define BF_LEFT 0x0001
#define BF_TOP 0x0002
#define BF_RIGHT 0x0004
#define BF_BOTTOM 0x0008
#define BF_RECT (BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM)
#define BF_MIDDLE 0x0800
#define BF_ADJUST 0x2000
WINPLAT_API BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags);

#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
WINPLAT_API int DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format);


#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003
// Paints an icon or cursor at (xLeft, yTop), stretched to cxWidth x cyWidth (0: its own size):
// its transparent pixels leave the destination as it was.
WINPLAT_API BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth,
                            UINT istepIfAniCur, HBRUSH hbrFlickerFreeDraw, UINT diFlags);

// ---- Dialogs -----------------------------------------------------------------------------
#define WM_CANCELMODE 0x001F
#define WM_NEXTDLGCTL 0x0028
#define WM_DRAWITEM 0x002B
#define WM_MEASUREITEM 0x002C
#define WM_DELETEITEM 0x002D
#define WM_VKEYTOITEM 0x002E
#define WM_CHARTOITEM 0x002F
#define WM_QUERYDRAGICON 0x0037
#define WM_COMPAREITEM 0x0039
#define WM_INITMENU 0x0116
#define WM_INITMENUPOPUP 0x0117
#define WM_MENUSELECT 0x011F
#define WM_ENTERIDLE 0x0121
#define WM_ENTERMENULOOP 0x0211
#define WM_EXITMENULOOP 0x0212
#define WM_CUT 0x0300
#define WM_COPY 0x0301
#define WM_PASTE 0x0302
#define WM_CLEAR 0x0303
#define WM_UNDO 0x0304

// Extra window bytes of "#32770", sized for pointers (LP64).
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC 8
#define DWLP_USER 16
#define DLGWINDOWEXTRA 48
#define WC_DIALOG MAKEINTATOM(0x8002)

#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#pragma pack(push, 2)
typedef struct {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x;
    short y;
    short cx;
    short cy;
} DLGTEMPLATE, *LPDLGTEMPLATEA;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEA;
typedef struct {
    DWORD style;
    DWORD dwExtendedStyle;
    short x;
    short y;
    short cx;
    short cy;
    WORD id;
} DLGITEMTEMPLATE;
#pragma pack(pop)

// Dialogs from RT_DIALOG resources or from DLGTEMPLATE/DLGTEMPLATEEX bytes in memory. The modal
// ones disable the owner's top-level window and return EndDialog's value, or -1.
WINPLAT_API INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                                    DLGPROC lpDialogFunc, LPARAM dwInitParam);
WINPLAT_API INT_PTR DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate,
                                            HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam);
WINPLAT_API HWND CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                                    DLGPROC lpDialogFunc, LPARAM dwInitParam);
WINPLAT_API HWND CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                            DLGPROC lpDialogFunc, LPARAM dwInitParam);
#define DialogBoxA(i, t, p, f) DialogBoxParamA(i, t, p, f, 0)
#define CreateDialogA(i, t, p, f) CreateDialogParamA(i, t, p, f, 0)
WINPLAT_API BOOL EndDialog(HWND hDlg, INT_PTR nResult);
WINPLAT_API LRESULT DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);
WINPLAT_API BOOL IsDialogMessageA(HWND hDlg, LPMSG lpMsg);
WINPLAT_API HWND GetDlgItem(HWND hDlg, int nIDDlgItem);
WINPLAT_API int GetDlgCtrlID(HWND hWnd);
WINPLAT_API BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
WINPLAT_API UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
WINPLAT_API BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned);
WINPLAT_API UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned);
WINPLAT_API LRESULT SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);
WINPLAT_API BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
WINPLAT_API UINT IsDlgButtonChecked(HWND hDlg, int nIDButton);
WINPLAT_API BOOL CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
WINPLAT_API HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
WINPLAT_API HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
// Dialog units to pixels with the dialog's font: x by the average width of A-Z and a-z over 4,
// y by the font's height over 8.
WINPLAT_API BOOL MapDialogRect(HWND hDlg, LPRECT lpRect);
WINPLAT_API LONG GetDialogBaseUnits(void);

// ---- Controls ----------------------------------------------------------------------------
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5
#define BM_GETIMAGE 0x00F6
#define BM_SETIMAGE 0x00F7
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002
#define BST_PUSHED 0x0004
#define BST_FOCUS 0x0008
#define BN_CLICKED 0
#define BN_DOUBLECLICKED 5
#define BN_SETFOCUS 6
#define BN_KILLFOCUS 7

#define STM_SETICON 0x0170
#define STM_GETICON 0x0171
#define STM_SETIMAGE 0x0172
#define STM_GETIMAGE 0x0173
#define STN_CLICKED 0
#define STN_DBLCLK 1

#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_GETMODIFY 0x00B8
#define EM_SETMODIFY 0x00B9
#define EM_REPLACESEL 0x00C2
#define EM_LIMITTEXT 0x00C5
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_SETREADONLY 0x00CF
#define EM_GETLIMITTEXT 0x00D5
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400
#define EN_MAXTEXT 0x0501

#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_FINDSTRING 0x014C
#define CB_SELECTSTRING 0x014D
#define CB_SETCURSEL 0x014E
#define CB_SHOWDROPDOWN 0x014F
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CB_GETDROPPEDSTATE 0x0157
#define CB_FINDSTRINGEXACT 0x0158
#define CB_OKAY 0
#define CB_ERR (-1)
#define CBN_SELCHANGE 1
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10

#define ODT_MENU 1
#define ODT_LISTBOX 2
#define ODT_COMBOBOX 3
#define ODT_BUTTON 4
#define ODT_STATIC 5
#define ODA_DRAWENTIRE 0x0001
#define ODA_SELECT 0x0002
#define ODA_FOCUS 0x0004
#define ODS_SELECTED 0x0001
#define ODS_GRAYED 0x0002
#define ODS_DISABLED 0x0004
#define ODS_CHECKED 0x0008
#define ODS_FOCUS 0x0010
#define ODS_DEFAULT 0x0020
typedef struct tagDRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    ULONG_PTR itemData;
} DRAWITEMSTRUCT, *LPDRAWITEMSTRUCT;

// ---- Menus and accelerators --------------------------------------------------------------
#define MF_INSERT 0x00000000L
#define MF_CHANGE 0x00000080L
#define MF_APPEND 0x00000100L
#define MF_DELETE 0x00000200L
#define MF_REMOVE 0x00001000L
#define MF_BYCOMMAND 0x00000000L
#define MF_BYPOSITION 0x00000400L
#define MF_SEPARATOR 0x00000800L
#define MF_ENABLED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_UNCHECKED 0x00000000L
#define MF_CHECKED 0x00000008L
#define MF_STRING 0x00000000L
#define MF_BITMAP 0x00000004L
#define MF_OWNERDRAW 0x00000100L
#define MF_POPUP 0x00000010L
#define MF_MENUBARBREAK 0x00000020L
#define MF_MENUBREAK 0x00000040L
#define MF_HILITE 0x00000080L
#define MF_DEFAULT 0x00001000L
#define MF_END 0x00000080L
#define TPM_LEFTBUTTON 0x0000L
#define TPM_RIGHTBUTTON 0x0002L
#define TPM_LEFTALIGN 0x0000L
#define TPM_CENTERALIGN 0x0004L
#define TPM_RIGHTALIGN 0x0008L
#define TPM_TOPALIGN 0x0000L
#define TPM_VCENTERALIGN 0x0010L
#define TPM_BOTTOMALIGN 0x0020L
#define TPM_NONOTIFY 0x0080L
#define TPM_RETURNCMD 0x0100L
#define SC_SIZE 0xF000
#define SC_MOVE 0xF010
#define SC_MINIMIZE 0xF020
#define SC_MAXIMIZE 0xF030
#define SC_RESTORE 0xF120
#define WC_MENU MAKEINTATOM(0x8000)

WINPLAT_API HMENU CreateMenu(void);
WINPLAT_API HMENU CreatePopupMenu(void);
WINPLAT_API BOOL DestroyMenu(HMENU hMenu);
WINPLAT_API BOOL IsMenu(HMENU hMenu);
// RT_MENU resources (MENU templates, MENUEX refused) of a module.
WINPLAT_API HMENU LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName);
WINPLAT_API HMENU LoadMenuIndirectA(const void* lpMenuTemplate);
WINPLAT_API BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem);
WINPLAT_API BOOL InsertMenuA(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem);
WINPLAT_API BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
WINPLAT_API BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
WINPLAT_API HMENU GetSubMenu(HMENU hMenu, int nPos);
WINPLAT_API int GetMenuItemCount(HMENU hMenu);
WINPLAT_API UINT GetMenuItemID(HMENU hMenu, int nPos);
WINPLAT_API int GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags);
WINPLAT_API UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
WINPLAT_API DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);
WINPLAT_API BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);
// With TPM_RETURNCMD the chosen id (0: none); otherwise TRUE, and the choice arrives as
// WM_COMMAND (WM_SYSCOMMAND for a system menu's ids) posted to the owner.
WINPLAT_API BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd,
                                const RECT* prcRect);
WINPLAT_API HMENU GetSystemMenu(HWND hWnd, BOOL bRevert);

#define FVIRTKEY 0x01
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10
WINPLAT_API HACCEL LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName);
WINPLAT_API BOOL DestroyAcceleratorTable(HACCEL hAccel);
WINPLAT_API int TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg);

// ---- Sounds ------------------------------------------------------------------------------
#define SND_SYNC 0x0000
#define SND_ASYNC 0x0001
#define SND_NODEFAULT 0x0002
#define SND_MEMORY 0x0004
#define SND_LOOP 0x0008
#define SND_NOSTOP 0x0010
#define SND_NOWAIT 0x00002000L
#define SND_ALIAS 0x00010000L
#define SND_FILENAME 0x00020000L
#define SND_RESOURCE 0x00040004L
// The sound of a message box type (or 0xFFFFFFFF, the simple beep) goes to the sound handler
// as a system alias ("SystemHand", "SystemQuestion", "SystemExclamation", "SystemAsterisk",
// "SystemDefault"; ".Default" for the simple beep).
WINPLAT_API BOOL MessageBeep(UINT uType);

// ---- Help ----------------------------------------------------------------------------------
#define HELP_CONTEXT 0x0001
#define HELP_QUIT 0x0002
#define HELP_INDEX 0x0003
#define HELP_CONTENTS 0x0003
#define HELP_HELPONHELP 0x0004
#define HELP_SETINDEX 0x0005
#define HELP_SETCONTENTS 0x0005
#define HELP_CONTEXTPOPUP 0x0008
#define HELP_FORCEFILE 0x0009
#define HELP_KEY 0x0101
#define HELP_COMMAND 0x0102
#define HELP_PARTIALKEY 0x0105
#define HELP_MULTIKEY 0x0201
#define HELP_SETWINPOS 0x0203
#define HELP_CONTEXTMENU 0x000A
#define HELP_FINDER 0x000B
#define HELP_WM_HELP 0x000C
#define HELP_SETPOPUP_POS 0x000D

// Goes to the help handler (winplat.h). The default opens the HTML help that stands beside the
// help file: lpszHelp's name (a window after '>' dropped; a bare name is beside the running
// program) with ".html" for its extension, and, when a "lib..." name has none, the same without
// "lib" ("libvltcpl.HLP" is vltcpl.html). HELP_CONTEXT and HELP_CONTEXTPOPUP open it at the
// anchor of the context number in decimal ("#201"); HELP_WM_HELP and HELP_CONTEXTMENU at the
// help id that dwData's table (pairs of control id and help id, ending with two zeros) gives
// the control hWndMain; other commands at its top. The page is opened through ShellExecuteA
// (a "file://" address). HELP_QUIT answers TRUE; FALSE with ERROR_FILE_NOT_FOUND when there is
// no HTML help.
WINPLAT_API BOOL WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

// Hands the sound (a file, an alias, or with SND_RESOURCE a "WAVE" resource of `hmod`) to the
// sound handler.
WINPLAT_API BOOL PlaySoundA(LPCSTR pszSound, HMODULE hmod, DWORD fdwSound);

// ---- Other processes of the session ------------------------------------------------------
// A number in 0xC000..0xFFFF that every process of the session gets for the same name (names
// compare ignoring case); 0 for an empty name or when the numbers are used up.
WINPLAT_API UINT RegisterWindowMessageA(LPCSTR lpString);
// 0 once the started process waits for input with nothing queued (at once when it already
// has), WAIT_TIMEOUT, or WAIT_FAILED when it ended without ever waiting. Messages sent to
// this thread are served meanwhile.
WINPLAT_API DWORD WaitForInputIdle(HANDLE hProcess, DWORD dwMilliseconds);

#define EWX_LOGOFF 0x00000000
#define EWX_SHUTDOWN 0x00000001
#define EWX_REBOOT 0x00000002
#define EWX_FORCE 0x00000004
#define EWX_POWEROFF 0x00000008
#define EWX_FORCEIFHUNG 0x00000010
// Goes to the reboot handler (WinplatSetRebootHandler), which only records the request.
WINPLAT_API BOOL ExitWindowsEx(UINT uFlags, DWORD dwReason);
