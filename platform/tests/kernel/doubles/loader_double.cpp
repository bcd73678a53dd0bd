// A library that loads another one while it is being loaded and frees it while it is being
// unloaded, as the suite's libraries do with their extensions.
#include "win32.h"

extern "C" {
__attribute__((visibility("default"))) HMODULE WinplatLoaderInner = nullptr;
__attribute__((visibility("default"))) DWORD WinplatLoaderError = 0xdeadbeef;
}

__attribute__((constructor)) static void attach() {
    WinplatLoaderInner = LoadLibraryA(WINPLAT_DOUBLE_PATH);
    WinplatLoaderError = WinplatLoaderInner ? 0 : GetLastError();
}

__attribute__((destructor)) static void detach() {
    if (WinplatLoaderInner) FreeLibrary(WinplatLoaderInner);
}
