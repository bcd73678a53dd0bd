// A library with an entry point: it writes each call into the file $WINPLAT_ATTACH_LOG and
// refuses its attach when $WINPLAT_ATTACH_REFUSE is set.
#include <cstdio>
#include <cstdlib>

#include "win32.h"

extern "C" __attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (const char* path = std::getenv("WINPLAT_ATTACH_LOG")) {
        if (FILE* log = std::fopen(path, "a")) {
            char file[512] = "";
            GetModuleFileNameA(instance, file, sizeof file);
            const char* name = reason == DLL_PROCESS_ATTACH ? "attach" : reason == DLL_PROCESS_DETACH ? "detach" : "other";
            std::fprintf(log, "%s%s%s\n", name, reserved ? " at exit" : "", *file ? "" : " (no module)");
            std::fclose(log);
        }
    }
    return reason != DLL_PROCESS_ATTACH || !std::getenv("WINPLAT_ATTACH_REFUSE");
}
