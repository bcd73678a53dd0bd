// The subset of the Win32 API that Spectrine's modules call, with the Win32 names, types,
// constants and error codes. Implemented by libwinplat on top of Linux services.
#pragma once

#include <cstddef>
#include <cstdint>

#include "winres.h"  // styles, command ids, virtual keys and languages, shared with .rc scripts

#ifdef __cplusplus
#define WINPLAT_API extern "C" __attribute__((visibility("default")))
#else
#define WINPLAT_API __attribute__((visibility("default")))
#endif

// ---- Basic types -------------------------------------------------------------------------
typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int INT;
typedef char CHAR;
typedef short SHORT;
typedef uint16_t USHORT;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef void* HANDLE;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef BYTE* LPBYTE;
typedef const BYTE* LPCBYTE;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;
typedef WORD* LPWORD;
typedef BOOL* LPBOOL;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef WORD ATOM;
typedef DWORD REGSAM;
typedef LONG LSTATUS;

struct HKEY__;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
struct HWND__;
typedef struct HWND__* HWND;
struct HINSTANCE__;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct HICON__;
typedef struct HICON__* HICON;
typedef HICON HCURSOR;
struct HBRUSH__;
typedef struct HBRUSH__* HBRUSH;
struct HMENU__;
typedef struct HMENU__* HMENU;
struct HACCEL__;
typedef struct HACCEL__* HACCEL;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define WINAPI
#define CALLBACK

// ---- Error codes -------------------------------------------------------------------------
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_BAD_FORMAT 11L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_GEN_FAILURE 31L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_EOF 38L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BUFFER_OVERFLOW 111L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_FILE_TOO_LARGE 223L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_DIRECTORY 267L
#define ERROR_MR_MID_NOT_FOUND 317L
#define ERROR_NOACCESS 998L
#define ERROR_BADDB 1009L
#define ERROR_BADKEY 1010L
#define ERROR_CANTOPEN 1011L
#define ERROR_CANTREAD 1012L
#define ERROR_CANTWRITE 1013L
#define ERROR_REGISTRY_CORRUPT 1015L
#define ERROR_REGISTRY_IO_FAILED 1016L
#define ERROR_KEY_DELETED 1018L
#define ERROR_DLL_INIT_FAILED 1114L
#define ERROR_NO_ASSOCIATION 1155L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L
#define ERROR_INVALID_INDEX 1413L

WINPLAT_API DWORD GetLastError(void);
WINPLAT_API void SetLastError(DWORD code);

// ---- Registry ----------------------------------------------------------------------------
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))
#define HKEY_PERFORMANCE_DATA ((HKEY)(ULONG_PTR)((LONG)0x80000004))
#define HKEY_CURRENT_CONFIG ((HKEY)(ULONG_PTR)((LONG)0x80000005))
#define HKEY_DYN_DATA ((HKEY)(ULONG_PTR)((LONG)0x80000006))
// The key whose string values are the commands started at logon (under HKEY_LOCAL_MACHINE,
// then HKEY_CURRENT_USER).
#define REGSTR_PATH_RUN "Software\\Microsoft\\Windows\\CurrentVersion\\Run"

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7

#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_OPTION_VOLATILE 0x00000001L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define DELETE 0x00010000L
#define READ_CONTROL 0x00020000L
#define WRITE_DAC 0x00040000L
#define WRITE_OWNER 0x00080000L
#define SYNCHRONIZE 0x00100000L
#define STANDARD_RIGHTS_READ READ_CONTROL
#define STANDARD_RIGHTS_WRITE READ_CONTROL
#define STANDARD_RIGHTS_ALL 0x001F0000L
#define MAXIMUM_ALLOWED 0x02000000L
#define KEY_READ \
    ((STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY) & (~SYNCHRONIZE))
#define KEY_WRITE ((STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) & (~SYNCHRONIZE))
#define KEY_EXECUTE ((KEY_READ) & (~SYNCHRONIZE))
#define KEY_ALL_ACCESS                                                                      \
    ((STANDARD_RIGHTS_ALL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |           \
      KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK) &                               \
     (~SYNCHRONIZE))

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME, *LPFILETIME;

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

WINPLAT_API LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                               PHKEY phkResult);
WINPLAT_API LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
WINPLAT_API LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                                 DWORD dwOptions, REGSAM samDesired,
                                 LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                                 LPDWORD lpdwDisposition);
WINPLAT_API LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
WINPLAT_API LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved,
                                  LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
WINPLAT_API LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                                const BYTE* lpData, DWORD cbData);
WINPLAT_API LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
WINPLAT_API LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
WINPLAT_API LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                               LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                               PFILETIME lpftLastWriteTime);
WINPLAT_API LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName);
WINPLAT_API LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName,
                               LPDWORD lpcchValueName, LPDWORD lpReserved, LPDWORD lpType,
                               LPBYTE lpData, LPDWORD lpcbData);
WINPLAT_API LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass,
                                  LPDWORD lpReserved, LPDWORD lpcSubKeys,
                                  LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                  LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                                  LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                                  PFILETIME lpftLastWriteTime);
WINPLAT_API LONG RegCloseKey(HKEY hKey);
WINPLAT_API LONG RegFlushKey(HKEY hKey);

// ---- System version ----------------------------------------------------------------------
#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

WINPLAT_API BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
WINPLAT_API DWORD GetVersion(void);

// ---- Messages from the system ------------------------------------------------------------
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

// Only FORMAT_MESSAGE_FROM_SYSTEM (with or without IGNORE_INSERTS) is supported; the text of
// a code is the English system message ending in "\r\n". ALLOCATE_BUFFER is refused.
WINPLAT_API DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId,
                                 DWORD dwLanguageId, LPSTR lpBuffer, DWORD nSize, void* Arguments);

// ---- Time --------------------------------------------------------------------------------
typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

// Local time of the machine, or $SPECTRINE_FAKE_TIME ("YYYY-MM-DDTHH:MM:SS") when it is set.
WINPLAT_API void GetLocalTime(LPSYSTEMTIME lpSystemTime);
WINPLAT_API void GetSystemTime(LPSYSTEMTIME lpSystemTime);
#define INFINITE 0xFFFFFFFF
WINPLAT_API DWORD GetTickCount(void);
WINPLAT_API void Sleep(DWORD dwMilliseconds);
WINPLAT_API BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime);
WINPLAT_API BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);
WINPLAT_API BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime);
WINPLAT_API BOOL FileTimeToDosDateTime(const FILETIME* lpFileTime, LPWORD lpFatDate,
                                       LPWORD lpFatTime);
WINPLAT_API LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2);

// ---- Paths and files ---------------------------------------------------------------------
// Paths may use '\' or '/'; each component is matched case-insensitively when the exact name
// does not exist.
#define GENERIC_READ 0x80000000L
#define GENERIC_WRITE 0x40000000L
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002
#define MOVEFILE_WRITE_THROUGH 0x00000008

typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *PWIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

// dwShareMode holds between every handle of the session, this process's included: an open that
// conflicts with one (Win32's table) fails with ERROR_SHARING_VIOLATION.
WINPLAT_API HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                               LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                               DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                               HANDLE hTemplateFile);
WINPLAT_API BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                          LPDWORD lpNumberOfBytesRead, LPVOID lpOverlapped);
WINPLAT_API BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                           LPDWORD lpNumberOfBytesWritten, LPVOID lpOverlapped);
WINPLAT_API BOOL FlushFileBuffers(HANDLE hFile);
WINPLAT_API DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                                 DWORD dwMoveMethod);
WINPLAT_API BOOL SetEndOfFile(HANDLE hFile);
WINPLAT_API DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
WINPLAT_API BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime,
                             LPFILETIME lpLastAccessTime, LPFILETIME lpLastWriteTime);
WINPLAT_API BOOL CloseHandle(HANDLE hObject);
WINPLAT_API BOOL DeleteFileA(LPCSTR lpFileName);
WINPLAT_API BOOL MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName);
WINPLAT_API BOOL MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags);
WINPLAT_API BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);
WINPLAT_API BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
WINPLAT_API BOOL RemoveDirectoryA(LPCSTR lpPathName);
WINPLAT_API DWORD GetFileAttributesA(LPCSTR lpFileName);
WINPLAT_API HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);
WINPLAT_API BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
WINPLAT_API BOOL FindClose(HANDLE hFindFile);
WINPLAT_API DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer);
WINPLAT_API UINT GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique,
                                  LPSTR lpTempFileName);
WINPLAT_API UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
WINPLAT_API UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
WINPLAT_API DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer,
                                   LPSTR* lpFilePart);
// Replaces the extension of the path's last component (from its last '.') by pszExt, or
// appends pszExt when that component has none; dots in directory names never count. The buffer
// holds MAX_PATH characters: FALSE, with the path unchanged, when the result would not fit.
WINPLAT_API BOOL PathRenameExtensionA(LPSTR pszPath, LPCSTR pszExt);

// ---- INI files ---------------------------------------------------------------------------
// A file name without a directory is looked up in the Windows directory of the system root.
WINPLAT_API DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                           LPSTR lpReturnedString, DWORD nSize,
                                           LPCSTR lpFileName);
WINPLAT_API UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault,
                                       LPCSTR lpFileName);
WINPLAT_API DWORD GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize,
                                                 LPCSTR lpFileName);
WINPLAT_API DWORD GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString,
                                            DWORD nSize, LPCSTR lpFileName);
WINPLAT_API BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                            LPCSTR lpFileName);
// The same on WIN.INI of the system root.
WINPLAT_API DWORD GetProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                    LPSTR lpReturnedString, DWORD nSize);
WINPLAT_API UINT GetProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault);

// ---- Windows and messages ----------------------------------------------------------------
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagWNDCLASSA {
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
} WNDCLASSA, *PWNDCLASSA, *LPWNDCLASSA;

typedef struct tagCREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_USER 0x0400
#define HWND_MESSAGE ((HWND)(LONG_PTR)-3)
#define CW_USEDEFAULT ((int)0x80000000)
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFBUTTON4 0x00000300L
#define MB_DEFMASK 0x00000F00L
#define MB_ICONMASK 0x000000F0L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L

WINPLAT_API ATOM RegisterClassA(const WNDCLASSA* lpWndClass);
WINPLAT_API BOOL UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance);
WINPLAT_API HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName,
                                 DWORD dwStyle, int X, int Y, int nWidth, int nHeight,
                                 HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                 LPVOID lpParam);
WINPLAT_API BOOL DestroyWindow(HWND hWnd);
WINPLAT_API BOOL IsWindow(HWND hWnd);
WINPLAT_API HWND GetParent(HWND hWnd);
WINPLAT_API LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
WINPLAT_API LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
WINPLAT_API LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
WINPLAT_API LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex);
WINPLAT_API HWND GetActiveWindow(void);
WINPLAT_API HWND SetActiveWindow(HWND hWnd);
WINPLAT_API int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

// ---- Display -----------------------------------------------------------------------------
// Device contexts of the display devices, their gamma ramps and capabilities, and the
// multiple-monitor functions. Handles are entries of process-wide tables: a stale or unknown
// HDC or HMONITOR makes a call fail, never crash.
struct HDC__;
typedef struct HDC__* HDC;
struct HMONITOR__;
typedef struct HMONITOR__* HMONITOR;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *PRECT, *LPRECT;
typedef const RECT* LPCRECT;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *PPOINT, *LPPOINT;

#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_DC_NOT_FOUND 1425L
#define ERROR_INVALID_MONITOR_HANDLE 1461L

typedef struct _DISPLAY_DEVICEA {
    DWORD cb;
    CHAR DeviceName[32];
    CHAR DeviceString[128];
    DWORD StateFlags;
    CHAR DeviceID[128];
    CHAR DeviceKey[128];
} DISPLAY_DEVICEA, *PDISPLAY_DEVICEA, *LPDISPLAY_DEVICEA;

// The first form of the structure ended after StateFlags (168 bytes); callers that pass that
// size get everything up to StateFlags.
#define DISPLAY_DEVICE_ATTACHED_TO_DESKTOP 0x00000001
#define DISPLAY_DEVICE_MULTI_DRIVER 0x00000002
#define DISPLAY_DEVICE_PRIMARY_DEVICE 0x00000004
#define DISPLAY_DEVICE_MIRRORING_DRIVER 0x00000008
#define DISPLAY_DEVICE_VGA_COMPATIBLE 0x00000010
#define DISPLAY_DEVICE_REMOVABLE 0x00000020
#define DISPLAY_DEVICE_MODESPRUNED 0x08000000
// Flags of a monitor entry (EnumDisplayDevicesA with an adapter's name).
#define DISPLAY_DEVICE_ACTIVE 0x00000001
#define DISPLAY_DEVICE_ATTACHED 0x00000002

typedef struct tagMONITORINFO {
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
} MONITORINFO, *LPMONITORINFO;

#define CCHDEVICENAME 32
typedef struct tagMONITORINFOEXA {
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
    CHAR szDevice[CCHDEVICENAME];
} MONITORINFOEXA, *LPMONITORINFOEXA;

#define MONITORINFOF_PRIMARY 0x00000001
#define MONITOR_DEFAULTTONULL 0x00000000
#define MONITOR_DEFAULTTOPRIMARY 0x00000001
#define MONITOR_DEFAULTTONEAREST 0x00000002

typedef BOOL(CALLBACK* MONITORENUMPROC)(HMONITOR, HDC, LPRECT, LPARAM);

// GetDeviceCaps indices.
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMFONTS 22
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define VREFRESH 116
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118
#define COLORMGMTCAPS 121
#define DT_RASDISPLAY 1
#define RC_BITBLT 0x0001
#define RC_BITMAP64 0x0008
#define RC_DI_BITMAP 0x0080
#define RC_PALETTE 0x0100
#define RC_DIBTODEV 0x0200
#define RC_STRETCHBLT 0x0800
#define CM_NONE 0x00000000
#define CM_DEVICE_ICM 0x00000001
#define CM_GAMMA_RAMP 0x00000002
#define CM_CMYK_COLOR 0x00000004

// GetSystemMetrics indices.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_XVIRTUALSCREEN 76
#define SM_YVIRTUALSCREEN 77
#define SM_CXVIRTUALSCREEN 78
#define SM_CYVIRTUALSCREEN 79
#define SM_CMONITORS 80
#define SM_SAMEDISPLAYFORMAT 81

typedef struct _devicemodeA DEVMODEA;

// A device context of the whole screen (any window: message-only windows have no place of
// their own). Released with ReleaseDC.
WINPLAT_API HDC GetDC(HWND hWnd);
WINPLAT_API int ReleaseDC(HWND hWnd, HDC hDC);
// "DISPLAY" (the whole screen) or a display device name ("\\.\DISPLAY1", ... as
// EnumDisplayDevicesA reports them, in lpszDriver or in lpszDevice). Deleted with DeleteDC.
WINPLAT_API HDC CreateDCA(LPCSTR lpszDriver, LPCSTR lpszDevice, LPCSTR lpszOutput,
                          const DEVMODEA* lpInitData);
WINPLAT_API BOOL DeleteDC(HDC hdc);
WINPLAT_API int GetDeviceCaps(HDC hdc, int index);
// Three arrays of 256 WORDs: red, green, blue.
WINPLAT_API BOOL GetDeviceGammaRamp(HDC hdc, LPVOID lpRamp);
WINPLAT_API BOOL SetDeviceGammaRamp(HDC hdc, LPVOID lpRamp);
WINPLAT_API BOOL EnumDisplayDevicesA(LPCSTR lpDevice, DWORD iDevNum,
                                     PDISPLAY_DEVICEA lpDisplayDevice, DWORD dwFlags);
WINPLAT_API BOOL EnumDisplayMonitors(HDC hdc, LPCRECT lprcClip, MONITORENUMPROC lpfnEnum,
                                     LPARAM dwData);
WINPLAT_API BOOL GetMonitorInfoA(HMONITOR hMonitor, LPMONITORINFO lpmi);
// The monitor with the largest share of the window's rectangle (a tie: the earlier one).
WINPLAT_API HMONITOR MonitorFromWindow(HWND hwnd, DWORD dwFlags);
WINPLAT_API HMONITOR MonitorFromRect(LPCRECT lprc, DWORD dwFlags);
WINPLAT_API HMONITOR MonitorFromPoint(POINT pt, DWORD dwFlags);
WINPLAT_API int GetSystemMetrics(int nIndex);

// ---- Cursor ------------------------------------------------------------------------------
// The pointer's position on the desktop (the primary monitor's top left corner is (0, 0)).
// Where the display has no pointer (no monitor, or an X server that reports none) both fail
// with ERROR_ACCESS_DENIED, as Windows does when the input desktop cannot be reached.
// SetCursorPos keeps the position on a monitor: a point beside every monitor moves to the
// nearest point of the nearest one.
WINPLAT_API BOOL GetCursorPos(LPPOINT lpPoint);
WINPLAT_API BOOL SetCursorPos(int X, int Y);

// ---- Libraries ---------------------------------------------------------------------------
// Shared libraries loaded at run time. A name with '\' or '/' is a path (components matched
// case-insensitively); a name ending in ".dll" that does not exist as given stands for
// lib<stem>.so in the same folder, and a file name without an extension that does not exist
// is tried with ".dll" appended, as Windows appends it; a bare name is looked for in the running program's folder,
// then the suite folder (the one of libwinplat), then the system's library path. The system
// libraries "user32", "gdi32", "kernel32", "advapi32", "comctl32", "shell32", "ole32", "shlwapi"
// and "winmm" (with or without ".dll") are the platform layer itself. An HMODULE is a handle into a process-wide table of loaded libraries,
// counted like Windows counts them; a freed or unknown handle makes every call fail.
// The generic function pointer that every function type converts to and from without a
// compiler warning (Win32 declares it returning INT_PTR; callers always convert it).
typedef void(WINAPI* FARPROC)(void);

// nNumber * nNumerator / nDenominator with a 64-bit product, rounded half away from zero; -1
// for a zero denominator or a result beyond 32 bits.
WINPLAT_API int MulDiv(int nNumber, int nNumerator, int nDenominator);

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_BAD_EXE_FORMAT 193L

#define DONT_RESOLVE_DLL_REFERENCES 0x00000001
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008

#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x00000001
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004

// A library loaded from zero (not DONT_RESOLVE_DLL_REFERENCES or LOAD_LIBRARY_AS_DATAFILE) has
// its own exported DllMain, if any, called with DLL_PROCESS_ATTACH; FALSE refuses the load: the
// library hears DLL_PROCESS_DETACH, is unloaded, and the call fails with ERROR_DLL_INIT_FAILED.
// The last FreeLibrary, and the end of the process (lpReserved non-null), send
// DLL_PROCESS_DETACH.
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
WINPLAT_API HMODULE LoadLibraryA(LPCSTR lpLibFileName);
// hFile must be null; the flags above are accepted (every library is loaded the same way).
WINPLAT_API HMODULE LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
// A function or data export of the library itself (never one of the libraries it uses). Exports
// by ordinal do not exist here: a name pointer below 0x10000 fails with ERROR_PROC_NOT_FOUND.
WINPLAT_API FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
WINPLAT_API BOOL FreeLibrary(HMODULE hLibModule);
// A library this process has loaded (LoadLibraryA's names), without counting a reference; null
// names the running program.
WINPLAT_API HMODULE GetModuleHandleA(LPCSTR lpModuleName);
// As GetModuleHandleA; with GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, lpModuleName is an address
// inside the library (or program) wanted. Counts a reference unless UNCHANGED_REFCOUNT; PIN
// keeps the library loaded for the life of the process.
WINPLAT_API BOOL GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule);
// The library's file, or the running program's for a null module. A buffer that is too small
// receives the truncated, terminated path; the result is then nSize with
// ERROR_INSUFFICIENT_BUFFER.
WINPLAT_API DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// ---- Resources ---------------------------------------------------------------------------
// Resources compiled into a library or program from its .rc script (winplat_add_resources).
// A module is an HMODULE of LoadLibraryA and the other library calls; null is the running
// program. Types and names are numbers (MAKEINTRESOURCEA, or a string "#123") or strings,
// compared ignoring case; where a module holds the same type and name twice (in two languages)
// the first one counts. The data is read-only and stays valid while the module is loaded.
struct HRSRC__;
typedef struct HRSRC__* HRSRC;
typedef HANDLE HGLOBAL;

#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_FONTDIR MAKEINTRESOURCEA(7)
#define RT_FONT MAKEINTRESOURCEA(8)
#define RT_ACCELERATOR MAKEINTRESOURCEA(9)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEA(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define RT_VERSION MAKEINTRESOURCEA(16)
#define RT_DLGINCLUDE MAKEINTRESOURCEA(17)
#define RT_ANICURSOR MAKEINTRESOURCEA(21)
#define RT_ANIICON MAKEINTRESOURCEA(22)
#define RT_HTML MAKEINTRESOURCEA(23)
#define RT_MANIFEST MAKEINTRESOURCEA(24)

#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L

// Fails with ERROR_RESOURCE_DATA_NOT_FOUND (the module has no resources),
// ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND; ERROR_MOD_NOT_FOUND for a
// freed or unknown module, ERROR_INVALID_PARAMETER for a "#" name beyond 65535.
WINPLAT_API HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
// A neutral language (primary language LANG_NEUTRAL) takes the first of any language, as
// FindResourceA does; another takes only that language (ERROR_RESOURCE_LANG_NOT_FOUND).
WINPLAT_API HRSRC FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage);
// The resource's data; a resource handle of another module fails with ERROR_INVALID_HANDLE.
WINPLAT_API HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
WINPLAT_API LPVOID LockResource(HGLOBAL hResData);
WINPLAT_API DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
// Resources need no freeing: always FALSE.
WINPLAT_API BOOL FreeResource(HGLOBAL hResData);
// String uID (its low word) of the module's string tables, converted to Windows-1252 (a
// character without a Windows-1252 form becomes '?'). Copies at most cchBufferMax - 1
// characters and a terminator and returns the number copied; a missing or empty string gives
// 0 and an empty buffer. cchBufferMax 0 returns -1 and writes nothing; a negative size or a
// null buffer returns 0 with ERROR_INVALID_PARAMETER.
WINPLAT_API int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

// ---- Image colour management -------------------------------------------------------------
// Profiles registered with the system and the default profile of each monitor, kept in the
// registry (HKEY_LOCAL_MACHINE "Software\Microsoft\Windows\CurrentVersion\ICM\"):
//   "<class>" (the profile's ICC device class: "mntr", "prtr", "scnr", ...; "mntr" for a file
//       that has no ICC header): one REG_SZ value per registered profile, named by the file
//       name (after the last '\' or '/'), holding the path it was registered with.
//   "Default Profiles": one REG_SZ value per monitor with a default profile, named by its
//       display device ("\\.\DISPLAY1" for monitor 0), holding the profile's path.
// Profiles stay where they are (the suite writes them into the system colour directory,
// GetSystemDirectoryA + "\COLOR\"). On the X11 display the default profile of monitor 0 is also
// the root window's _ICC_PROFILE property (type CARDINAL, format 8, the file's bytes), that of
// monitor n its _ICC_PROFILE_<n>, where colour-managed X programs look for it.
// Windows NT 4 had no image colour management: every call fails with ERROR_CALL_NOT_IMPLEMENTED.
#define ICM_ADDPROFILE 1
#define ICM_DELETEPROFILE 2
#define ICM_QUERYPROFILE 3
#define ICM_SETDEFAULTPROFILE 4
#define ICM_REGISTERICMATCHER 5
#define ICM_UNREGISTERICMATCHER 6
#define ICM_QUERYMATCH 7

#define ICM_OFF 1
#define ICM_ON 2
#define ICM_QUERY 3
#define ICM_DONE_OUTSIDEDC 4

// ICM_ADDPROFILE: registers the existing file lpszFileName (ERROR_FILE_NOT_FOUND when it does
// not exist); registering it again only records the new path. ICM_DELETEPROFILE: removes the
// registration of that file name, and its place as any monitor's default (FALSE with
// ERROR_FILE_NOT_FOUND when it was not registered). ICM_QUERYPROFILE: TRUE when it is
// registered, else FALSE with ERROR_FILE_NOT_FOUND. ICM_SETDEFAULTPROFILE: makes the existing
// file the default profile of the display device named by lpszCMID (null or empty: monitor 0),
// registering it when it is not (ERROR_INVALID_PARAMETER for an unknown device). The colour
// matcher commands are not supported (ERROR_NOT_SUPPORTED); others are ERROR_INVALID_PARAMETER.
WINPLAT_API BOOL UpdateICMRegKeyA(DWORD dwReserved, LPSTR lpszCMID, LPSTR lpszFileName,
                                  UINT nCommand);
// ICM_ON, ICM_OFF or ICM_DONE_OUTSIDEDC become the context's mode and are returned; ICM_QUERY
// returns the mode (ICM_OFF for a new context). 0 for an unknown context (ERROR_INVALID_HANDLE)
// or another mode (ERROR_INVALID_PARAMETER).
WINPLAT_API int SetICMMode(HDC hdc, int mode);
// Full path of the default profile of the context's monitor: the one made default, else the
// colour directory's "sRGB Color Space Profile.icm". *pBufSize is the buffer's size; when the
// path and its terminator do not fit (or pszFilename is null) it receives the size needed and
// the call fails with ERROR_INSUFFICIENT_BUFFER.
WINPLAT_API BOOL GetICMProfileA(HDC hdc, LPDWORD pBufSize, LPSTR pszFilename);

// ---- Programs started by their command line ------------------------------------------------
// The program at the head of the command line (quoted when its path has blanks) and the rest as
// its parameters go to the shell-execute handler (winplat.h) with a null verb: the default
// runs the program (".exe" names are the suite's programs: "control.exe" is `control`). Above
// 31 on success; else ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_BAD_FORMAT (not a
// program), or 0 for any other failure.
WINPLAT_API UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow);

// ---- The GUI subset ----------------------------------------------------------------------
#include "winbase.h"
#include "wingdi.h"
#include "winuser.h"
#include "commctrl.h"
#include "prsht.h"
#include "objbase.h"
#include "shellapi.h"
