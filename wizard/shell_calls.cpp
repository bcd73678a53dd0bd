#include "shell_calls.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "install_check.h"
#include "winplat.h"
#include "winplat_files.h"

extern char** environ;

namespace huevista {
namespace {

template <typename Handler>
struct Slot {
    Handler handler = nullptr;
    void* context = nullptr;
};
Slot<HuevistaHelpHandler> helpSlot;
Slot<HuevistaShellHandler> shellSlot;

// Starts the desktop's opener on `target` without waiting for it: an intermediate child starts
// it and ends at once, so nothing is left to reap.
BOOL launchOpener(const std::string& target) {
    const pid_t child = fork();
    if (child < 0) return FALSE;
    if (child == 0) {
        char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(target.c_str()), nullptr};
        pid_t opener = 0;
        _exit(posix_spawnp(&opener, "xdg-open", nullptr, nullptr, argv, environ) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

BOOL defaultHelp(const char* file, UINT command, ULONG_PTR data) {
    const std::string page = withExtension(file ? file : "", ".html");
    char native[MAX_PATH];
    if (page.empty() || !WinplatNativePath(page.c_str(), native, sizeof native) || !winplat::fileExists(native))
        return FALSE;
    std::string target = std::string("file://") + native;
    if (command == HELP_CONTEXT) target += "#" + std::to_string(data);
    return launchOpener(target);
}

}  // namespace

HuevistaHelpHandler setHelpHandler(HuevistaHelpHandler handler, void* ctx) {
    HuevistaHelpHandler previous = helpSlot.handler;
    helpSlot = {handler, ctx};
    return previous;
}

HuevistaShellHandler setShellHandler(HuevistaShellHandler handler, void* ctx) {
    HuevistaShellHandler previous = shellSlot.handler;
    shellSlot = {handler, ctx};
    return previous;
}

BOOL showHelp(HWND owner, const char* file, UINT command, ULONG_PTR data) {
    if (helpSlot.handler) return helpSlot.handler(owner, file, command, data, helpSlot.context);
    return defaultHelp(file, command, data);
}

BOOL openWithShell(HWND owner, const char* file) {
    if (shellSlot.handler) return shellSlot.handler(owner, "open", file, nullptr, shellSlot.context);
    return file && *file ? launchOpener(file) : FALSE;
}

}  // namespace huevista
