#include "command_parser.h"

#include "regkit.h"

namespace regkit {

int parseCommand(const std::string& command, ParsedCommand& parsed) {
    parsed = ParsedCommand{};
    size_t p = 0;
    const size_t n = command.size();
    while (p < n && (command[p] == ' ' || command[p] == '\t' || command[p] == '.')) {
        if (command[p] == '.') ++parsed.dots;
        ++p;
    }
    // Each operation character is tested once, in this order; the last one present decides.
    for (char op : {'+', '-', '?', '!'}) {
        if (p < n && command[p] == op) {
            parsed.operation = op;
            ++p;
        }
    }
    // The path ends where the unused "=b" part begins.
    size_t end = command.find('=', p);
    if (end == std::string::npos) end = n;
    std::string path = command.substr(p, end - p);

    size_t start = 0;
    if (path.compare(0, 3, "HKE") == 0) {
        // The root is told by the seventh character of its name.
        if (path.size() < 7) return REGKIT_BAD_ROOT;
        switch (path[6]) {
            case 'L': parsed.root = HKEY_CLASSES_ROOT; break;
            case 'O': parsed.root = HKEY_LOCAL_MACHINE; break;
            case 'S': parsed.root = HKEY_USERS; break;
            case 'U': parsed.root = HKEY_CURRENT_USER; break;
            default: return REGKIT_BAD_ROOT;
        }
        parsed.rootNamed = true;
        start = path.find('\\');
        if (start == std::string::npos) start = path.size();
    }
    // Runs of backslashes separate components as one.
    while (start < path.size()) {
        size_t cut = path.find('\\', start);
        if (cut == std::string::npos) cut = path.size();
        if (cut > start) parsed.components.push_back(path.substr(start, cut - start));
        start = cut + 1;
    }
    return 0;
}

}  // namespace regkit
