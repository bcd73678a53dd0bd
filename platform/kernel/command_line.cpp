// Windows command lines split as the C runtime splits them.
#include "command_line.h"

namespace winplat::detail {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

size_t skipBlanks(std::string_view text, size_t at) {
    while (at < text.size() && isBlank(text[at])) ++at;
    return at;
}

}  // namespace

CommandLine splitProgram(std::string_view line) {
    CommandLine out;
    size_t at = skipBlanks(line, 0);
    if (at < line.size() && line[at] == '"') {
        size_t close = line.find('"', at + 1);
        size_t end = close == std::string_view::npos ? line.size() : close;
        out.program = line.substr(at + 1, end - at - 1);
        at = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        size_t end = at;
        while (end < line.size() && !isBlank(line[end])) ++end;
        out.program = line.substr(at, end - at);
        at = end;
    }
    out.parameters = line.substr(skipBlanks(line, at));
    return out;
}

std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> out;
    size_t at = skipBlanks(text, 0);
    while (at < text.size()) {
        std::string argument;
        bool quoted = false;
        for (; at < text.size() && (quoted || !isBlank(text[at])); ++at) {
            char c = text[at];
            if (c == '\\') {
                size_t run = 0;
                while (at + run < text.size() && text[at + run] == '\\') ++run;
                size_t next = at + run;
                bool beforeQuote = next < text.size() && text[next] == '"';
                argument.append(beforeQuote ? run / 2 : run, '\\');
                if (beforeQuote && run % 2 == 1) {
                    argument += '"';  // an escaped quote: the loop steps past it
                    at = next;
                } else {
                    at = next - 1;  // a quote after an even run is read next, as a quote
                }
                continue;
            }
            if (c == '"') {
                if (quoted && at + 1 < text.size() && text[at + 1] == '"') {
                    argument += '"';
                    ++at;
                } else {
                    quoted = !quoted;
                }
                continue;
            }
            argument += c;
        }
        out.push_back(std::move(argument));
        at = skipBlanks(text, at);
    }
    return out;
}

std::string quoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) return std::string(argument);
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');  // before the closing quote
    out += '"';
    return out;
}

}  // namespace winplat::detail
