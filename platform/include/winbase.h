// Processes, waits and named shared memory (kernel32's share of the Win32 subset). Included
// by win32.h.
#pragma once

#ifndef WINPLAT_API
#error "include win32.h"
#endif

typedef ULONG_PTR SIZE_T;

#define ERROR_INVALID_ADDRESS 487L
#define ERROR_MAPPED_ALIGNMENT 1132L

// ---- Processes ---------------------------------------------------------------------------
#define STILL_ACTIVE 259
#define STARTF_USESHOWWINDOW 0x00000001
#define CREATE_NEW_CONSOLE 0x00000010
#define CREATE_NO_WINDOW 0x08000000
#define DETACHED_PROCESS 0x00000008
#define NORMAL_PRIORITY_CLASS 0x00000020

typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;  // waits and closes like the process handle
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *PPROCESS_INFORMATION, *LPPROCESS_INFORMATION;

// Starts a program (see the program search of a command line's first name: ".exe" names are
// the suite's programs) with the command line its GetCommandLineA returns and, under
// STARTF_USESHOWWINDOW, the show command of its first window. The environment block (when
// given) is ANSI "name=value" strings ending with an empty one. Security attributes, handle
// inheritance and the creation flags are accepted and have no effect.
WINPLAT_API BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                                LPSECURITY_ATTRIBUTES lpProcessAttributes,
                                LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                                DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                                LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation);
// STILL_ACTIVE while the process runs; then its exit code (128 + the signal that ended it).
WINPLAT_API BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
// Waits for a process to end (WAIT_OBJECT_0) or the time to pass (WAIT_TIMEOUT), without
// running messages.
WINPLAT_API DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
WINPLAT_API LPSTR GetCommandLineA(void);
WINPLAT_API DWORD GetCurrentProcessId(void);

// ---- Named shared memory -------------------------------------------------------------------
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define FILE_MAP_COPY 0x0001
#define FILE_MAP_WRITE 0x0002
#define FILE_MAP_READ 0x0004
#define FILE_MAP_ALL_ACCESS 0x000F001F

// Memory of the paging file (hFile INVALID_HANDLE_VALUE), zero-filled when made. A name makes
// it shared with every process of the session: an existing one is opened, with
// ERROR_ALREADY_EXISTS. It lives while any handle or view of any process holds it.
WINPLAT_API HANDLE CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES lpFileMappingAttributes,
                                      DWORD flProtect, DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow,
                                      LPCSTR lpName);
WINPLAT_API HANDLE OpenFileMappingA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
WINPLAT_API LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                                 DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap);
WINPLAT_API BOOL UnmapViewOfFile(LPCVOID lpBaseAddress);
