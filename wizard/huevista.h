// huevista: the calibration wizard as a library, so that its thin program and its tests start
// it the same way.
#pragma once

#include <string>
#include <vector>

namespace huevista {

struct Invocation {
    std::string programPath;             // the wizard's own program file
    std::vector<std::string> arguments;  // the command line after the program name
};

// The program file (GetModuleFileNameA) and the arguments of main.
Invocation invocationOf(int argc, char** argv);

// Runs the wizard: 0 after Finish, 1 after Cancel, 2 when the installation check failed (its
// message shown, no window opened).
int runWizard(const Invocation& invocation);

}  // namespace huevista
