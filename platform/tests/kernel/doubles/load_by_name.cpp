// A program of the library tests: loads each library named on its command line with
// LoadLibraryA and prints, one line each, the file it got or the error code.
#include <cstdio>

#include "win32.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        HMODULE h = LoadLibraryA(argv[i]);
        if (!h) {
            std::printf("error %u\n", static_cast<unsigned>(GetLastError()));
            continue;
        }
        char path[4096];
        DWORD n = GetModuleFileNameA(h, path, sizeof path);
        std::printf("%.*s\n", static_cast<int>(n), path);
        FreeLibrary(h);
    }
    return 0;
}
