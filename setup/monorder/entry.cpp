// Main and MainIS: the command-line and installer entries.
#include <string>
#include <string_view>
#include <vector>

#include "monorder_internal.h"

MONORDER_API int Main(int argc, char** argv) {
    if (argc <= 1 || !argv) return 0;
    // argv ends at its first null entry, whatever argc claims.
    for (int i = 1; i < argc && argv[i]; ++i) SortMonitors(argv[i]);
    WriteResult(nullptr);
    return 0;
}

MONORDER_API int MainIS(int count, const char* paths) {
    if (count <= 0) return 0;
    try {
        // The caller's text may be read-only: split a copy. Empty pieces name no file.
        std::vector<std::string> files;
        std::string_view rest = paths ? std::string_view(paths) : std::string_view();
        while (!rest.empty() && files.size() < static_cast<size_t>(count)) {
            const size_t bar = rest.find('|');
            const std::string_view piece = rest.substr(0, bar);
            if (!piece.empty()) files.emplace_back(piece);
            rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
        }
        for (const std::string& file : files) SortMonitors(file.c_str());
    } catch (...) {
        // Out of memory splitting the list: write what was merged.
    }
    WriteResult(nullptr);
    return 0;
}
