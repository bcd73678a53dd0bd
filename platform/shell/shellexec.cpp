// ShellExecuteA, ShellExecuteExA and WinExec: every request goes to the shell-execute handler;
// the default one runs programs and opens everything else with xdg-open, never through a
// shell.
#include <string>
#include <string_view>
#include <vector>

#include "ascii_case.h"
#include "command_line.h"
#include "detail.h"
#include "handlers.h"
#include "paths.h"
#include "programs.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

constexpr INT_PTR kStarted = 33;  // any result above 32 means success

// "http://...", "mailto:...": a scheme of two or more letters, digits, '+', '-' or '.' (one
// letter is a drive) before a ':'.
bool isAddress(std::string_view file) {
    size_t colon = file.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(file[0])) return false;
    for (char c : file.substr(0, colon))
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
    return true;
}

bool failWith(DWORD code) {
    SetLastError(code);
    return false;
}

// What nothing but xdg-open can open: a file, folder or address.
bool openWithDesktop(LPCSTR file) {
    std::string target = file;
    if (!isAddress(target)) {
        target = resolvePath(file);
        if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES) return false;  // its error is set
    }
    std::string opener = findOnPath("xdg-open");
    if (opener.empty()) return failWith(ERROR_NO_ASSOCIATION);
    DWORD rc = startDetached(opener, {target});
    return rc == ERROR_SUCCESS || failWith(rc);
}

BOOL CALLBACK defaultShellExecute(HWND, LPCSTR verb, LPCSTR file, LPCSTR params, void*) {
    if (!file || !*file) return failWith(ERROR_FILE_NOT_FOUND);
    bool runOnly = verb == nullptr;
    if (!runOnly && !equalsIgnoringCase(verb, "open")) return failWith(ERROR_NO_ASSOCIATION);
    if (std::string program = isAddress(file) ? std::string() : findProgram(file); !program.empty()) {
        DWORD rc = startDetached(program, splitArguments(params ? params : ""));
        return rc == ERROR_SUCCESS || failWith(rc);
    }
    if (!runOnly) return openWithDesktop(file);
    // WinExec runs programs only: an existing file that is none has the wrong format.
    std::string native = resolvePath(file);
    if (GetFileAttributesA(native.c_str()) != INVALID_FILE_ATTRIBUTES) return failWith(ERROR_BAD_FORMAT);
    return FALSE;  // GetFileAttributesA set why the file is missing
}

// Runs a request through the handler; ERROR_SUCCESS or why it failed.
DWORD execute(HWND hwnd, LPCSTR verb, LPCSTR file, LPCSTR params) {
    auto [handler, context] = shellExecuteHandler().get(defaultShellExecute);
    SetLastError(ERROR_SUCCESS);
    if (handler(hwnd, verb, file, params, context)) return ERROR_SUCCESS;
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? ERROR_NO_ASSOCIATION : error;
}

INT_PTR shellResult(DWORD error) {
    switch (error) {
        case ERROR_SUCCESS: return kStarted;
        case ERROR_FILE_NOT_FOUND: return SE_ERR_FNF;
        case ERROR_PATH_NOT_FOUND: return SE_ERR_PNF;
        case ERROR_ACCESS_DENIED: return SE_ERR_ACCESSDENIED;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return SE_ERR_OOM;
        case ERROR_SHARING_VIOLATION: return SE_ERR_SHARE;
        default: return SE_ERR_NOASSOC;
    }
}

// The file as the handler gets it: a relative path joined to the folder given.
std::string fileIn(LPCSTR file, LPCSTR directory) {
    std::string out = file ? file : "";
    bool relative = !out.empty() && !isSeparator(out[0]) && !isAddress(out);
    if (relative && directory && *directory) {
        std::string folder = directory;
        if (!isSeparator(folder.back())) folder += '\\';
        out = folder + out;
    }
    return out;
}

INT_PTR shellExecute(HWND hwnd, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR directory) {
    std::string path = fileIn(file, directory);
    DWORD error = execute(hwnd, verb ? verb : "open", path.c_str(), params);
    SetLastError(error);
    return shellResult(error);
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                                    LPCSTR lpDirectory, INT) {
    return guardedCall(reinterpret_cast<HINSTANCE>(SE_ERR_OOM), [&] {
        return reinterpret_cast<HINSTANCE>(shellExecute(hwnd, lpOperation, lpFile, lpParameters, lpDirectory));
    });
}

WINPLAT_API BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA pExecInfo) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        if (!pExecInfo || pExecInfo->cbSize != sizeof(SHELLEXECUTEINFOA)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        pExecInfo->hProcess = nullptr;
        INT_PTR result = shellExecute(pExecInfo->hwnd, pExecInfo->lpVerb, pExecInfo->lpFile,
                                      pExecInfo->lpParameters, pExecInfo->lpDirectory);
        pExecInfo->hInstApp = reinterpret_cast<HINSTANCE>(result);
        return result > 32;
    });
}

WINPLAT_API UINT WinExec(LPCSTR lpCmdLine, UINT) {
    return guardedCall(UINT{0}, [&]() -> UINT {
        if (!lpCmdLine) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        CommandLine line = splitProgram(lpCmdLine);
        DWORD error = execute(nullptr, nullptr, line.program.c_str(),
                              line.parameters.empty() ? nullptr : line.parameters.c_str());
        SetLastError(error);
        switch (error) {
            case ERROR_SUCCESS: return static_cast<UINT>(kStarted);
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_BAD_FORMAT: return static_cast<UINT>(error);
            default: return 0;
        }
    });
}
