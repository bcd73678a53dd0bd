// Parsing of one registry command into operation, root and path components.
#pragma once

#include <string>
#include <vector>

#include "win32.h"

namespace regkit {

struct ParsedCommand {
    char operation = '?';
    int dots = 0;  // leading '.' characters: each one waits two seconds before the command runs
    HKEY root = HKEY_LOCAL_MACHINE;
    bool rootNamed = false;
    std::vector<std::string> components;
};

// Fills `parsed`; returns 0, or REGKIT_BAD_ROOT when the root name is not understood.
int parseCommand(const std::string& command, ParsedCommand& parsed);

}  // namespace regkit
