// The system root and the process-wide reset.
#include <cstdlib>
#include <optional>

#include "detail.h"
#include "exit_windows.h"
#include "session.h"
#include "session_folder.h"
#include "winplat.h"

namespace winplat::detail {

namespace {
std::optional<std::string> cachedRoot;

std::string computeRoot() {
    if (const char* r = std::getenv("SPECTRINE_ROOT"); r && *r) return r;
    std::string base;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x)
        base = x;
    else if (const char* h = std::getenv("HOME"); h && *h)
        base = std::string(h) + "/.local/share";
    else
        base = "/tmp";
    return base + "/spectrine";
}
}  // namespace

const std::string& systemRoot() {
    if (!cachedRoot) {
        std::string root = computeRoot();
        while (root.size() > 1 && root.back() == '/') root.pop_back();
        cachedRoot = root;
    }
    return *cachedRoot;
}

void resetSystemRoot() { cachedRoot.reset(); }

size_t copyBounded(char* out, size_t size, const std::string& text) {
    if (!out || size == 0) return 0;
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    text.copy(out, n);
    out[n] = '\0';
    return n;
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API DWORD WinplatGetSystemRoot(LPSTR buffer, DWORD size) {
    const std::string& root = systemRoot();
    copyBounded(buffer, size, root);
    return static_cast<DWORD>(root.size());
}

WINPLAT_API void WinplatResetProcessState(void) {
    resetRegistry();
    resetWindows();
    resetFiles();
    resetSession();
    resetSessionFolder();
    rebootHandler().reset();
    resetDisplay();
    resetCom();
    resetTrayIcons();
    resetLibraries();
    resetVersion();
    resetSystemRoot();
}
