// The installer's entry points of the registry command language.
#include "regkit.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "command_runner.h"

REGKIT_API int MainIS(LPCSTR command) {
    // The caller's text is only read; the command is worked on in a copy of its own.
    std::string text = command ? command : "";
    int result = regkit::runCommand(text, {stdout, stderr});
    // An answer that could not be written is no answer: a query whose output is lost fails.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "Can't write the answer: %s\n", std::strerror(errno));
        std::clearerr(stdout);
        if (result == REGKIT_DONE) result = REGKIT_QUERY_FAILED;
    }
    return result;
}

REGKIT_API int Main(int argc, char** argv) {
    std::string command;
    for (int i = 1; i < argc && argv; ++i) {
        if (!argv[i]) continue;
        if (i > 1) command += ' ';
        command += argv[i];
        if (command.size() > REGKIT_MAX_COMMAND) break;  // refused whole by MainIS
    }
    return MainIS(command.c_str());
}
