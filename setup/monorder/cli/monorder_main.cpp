// monorder: sorts monitor INF files into the chain "spectrine.inf", "spectrine1.inf", ... in
// the current directory. Exits with 1, and says why on standard error, when the chain could
// not be written (no model line read, or a file of the chain that cannot be replaced).
#include <cstdio>

#include "monorder.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s file.inf [file.inf ...]\n"
                             "Merges the [Monitors] sections of the files and writes the sorted "
                             "chain spectrine.inf, spectrine1.inf, ... in the current folder.\n",
                     argc > 0 ? argv[0] : "monorder");
        return 2;
    }
    // Main's steps, with WriteResult's answer kept: Main itself always returns 0.
    for (int i = 1; i < argc && argv[i]; ++i) SortMonitors(argv[i]);
    if (WriteResult(nullptr) != 0) {
        std::fprintf(stderr, "%s: the chain spectrine.inf could not be written in the current "
                             "folder; the files there are left as they were\n",
                     argv[0]);
        return 1;
    }
    return 0;
}
