// WinHelpA: every call goes to the help handler; the default opens the HTML help beside the help
// file at the anchor of the context, through the shell.
#include <cstdio>
#include <filesystem>
#include <string>

#include "ascii_case.h"
#include "detail.h"
#include "handlers.h"
#include "paths.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

bool isFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// The HTML page of a help file, or empty: its name with ".html" (a bare name is beside the
// program), else the same without a leading "lib".
std::string htmlPageOf(std::string file) {
    if (size_t window = file.find('>'); window != std::string::npos) file.resize(window);
    if (file.empty()) return {};
    if (lastComponentStart(file) == 0) {
        std::string program = runningProgramPath();
        file = program.substr(0, lastComponentStart(program)) + file;
    }
    std::string page = resolvePath(replaceExtension(file, ".html"));
    if (isFile(page)) return page;
    size_t name = lastComponentStart(file);
    if (!startsWithIgnoringCase(std::string_view(file).substr(name), "lib")) return {};
    page = resolvePath(replaceExtension(file.erase(name, 3), ".html"));
    return isFile(page) ? page : std::string();
}

// The help id a table of (control id, help id) pairs, ended by two zeros, gives the control.
DWORD helpIdOf(HWND control, ULONG_PTR data) {
    const auto* pairs = reinterpret_cast<const DWORD*>(data);
    if (!pairs) return 0;
    auto id = static_cast<DWORD>(GetDlgCtrlID(control));
    for (; pairs[0] || pairs[1]; pairs += 2)
        if (pairs[0] == id) return pairs[1];
    return 0;
}

// A "file://" address of an absolute path: bytes outside the unreserved set and '/' escaped.
std::string fileAddress(const std::string& path) {
    std::error_code ec;
    std::string absolute = std::filesystem::absolute(path, ec).lexically_normal().string();
    std::string out = "file://";
    for (unsigned char c : absolute) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        }
    }
    return out;
}

BOOL CALLBACK defaultHelp(HWND w, LPCSTR file, UINT command, ULONG_PTR data, void*) {
    if (command == HELP_QUIT) return TRUE;
    if (!file) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string page = htmlPageOf(file);
    if (page.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::string address = fileAddress(page);
    DWORD anchor = 0;
    if (command == HELP_CONTEXT || command == HELP_CONTEXTPOPUP) anchor = static_cast<DWORD>(data);
    if (command == HELP_WM_HELP || command == HELP_CONTEXTMENU) anchor = helpIdOf(w, data);
    if (anchor) {
        address += '#';
        address += std::to_string(anchor);
    }
    return reinterpret_cast<INT_PTR>(ShellExecuteA(w, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API BOOL WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
    return guardedCall(BOOL{FALSE}, [&] {
        auto [handler, context] = helpHandler().get(defaultHelp);
        return handler(hWndMain, lpszHelp, uCommand, dwData, context);
    });
}
