// Windows command lines (internal): the program at their head and the arguments of the rest,
// read as the C runtime of the emulated systems splits them into argv.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace winplat::detail {

struct CommandLine {
    std::string program;     // without its quotes
    std::string parameters;  // the rest after the blanks that follow the program, as written
};

// The program is everything up to the first blank, or between the quotes that open the line
// (backslashes are path separators there, never escapes).
CommandLine splitProgram(std::string_view line);

// Arguments split at blanks (spaces and tabs) outside quotes. 2n backslashes before a quote
// give n backslashes and the quote opens or closes a quoted part; 2n+1 give n and a literal
// quote; inside a quoted part "" is a literal quote; other backslashes are themselves.
std::vector<std::string> splitArguments(std::string_view parameters);

// One argument written so that splitArguments gives it back (quoted only when it must be).
std::string quoteArgument(std::string_view argument);

}  // namespace winplat::detail
