// regcmd: runs one registry command from its command line, or prints how to use it.
#include <cstdio>

#include "regkit.h"

namespace {

void printUsage(const char* self) {
    std::fprintf(stderr, "Usage: %s [o]a[=b]\n  where:\n", self);
    std::fprintf(stderr, " \t'o' is the operation to be done:\n");
    std::fprintf(stderr, " \t    + is add a value (b section is required.)\n");
    std::fprintf(stderr, " \t       [this doesn't work right now]\n");
    std::fprintf(stderr, " \t    - is delete a key or a value\n");
    std::fprintf(stderr, " \t    ! is delete a key or a value RECURSIVELY!\n");
    std::fprintf(stderr, " \t    ? is query [default] a key or a value\n");
    std::fprintf(stderr, " \t'a' is the path to a key or value in the registry.\n");
    std::fprintf(stderr, " \t'b' is the path to a key or value in the registry.\n");
    std::fprintf(stderr, " \tif omitted, 'HKEY_LOCAL_MACHINE' is the default root.\n");
    std::fprintf(stderr, " \texamples:\n");
    std::fprintf(stderr, " \t\n");
    std::fprintf(stderr, " \t%s SOFTWARE\\test\n", self);
    std::fprintf(stderr, " \t    Queries HKEY_LOCAL_MACHINE\\SOFTWARE\\test\n");
    std::fprintf(stderr, " \t%s -SOFTWARE\\test\\test1\n", self);
    std::fprintf(stderr, " \t    Deletes string HKEY_LOCAL_MACHINE\\SOFTWARE\\test\\test1\n");
    std::fprintf(stderr, " \t\n");
}

}  // namespace

int main(int argc, char** argv) {
    bool empty = true;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0]) empty = false;
    if (empty) {
        printUsage(argc > 0 && argv[0] ? argv[0] : "regcmd");
        return 0;
    }
    return Main(argc, argv);
}
