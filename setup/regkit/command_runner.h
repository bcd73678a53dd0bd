// Carries out one registry command, printing to the given streams.
#pragma once

#include <cstdio>
#include <string>

namespace regkit {

struct Console {
    FILE* out;
    FILE* err;
};

// Deepest nesting of keys the command language opens or removes.
constexpr int kMaxDepth = 512;

int runCommand(const std::string& command, const Console& console);

// The system's text for a Win32 error code, without the line end.
std::string systemText(long code);

}  // namespace regkit
