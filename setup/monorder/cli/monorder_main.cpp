// monorder: sorts monitor INF files into the chain "spectrine.inf", "spectrine1.inf", ... in
// the current directory.
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
    return Main(argc, argv);
}
