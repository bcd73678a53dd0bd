// The installer's entry points of the registry command language.
#include "regkit.h"

#include <string>

#include "command_runner.h"

REGKIT_API int MainIS(LPCSTR command) {
    // The caller's text is only read; the command is worked on in a copy of its own.
    std::string text = command ? command : "";
    int result = regkit::runCommand(text, {stdout, stderr});
    std::fflush(stdout);
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
