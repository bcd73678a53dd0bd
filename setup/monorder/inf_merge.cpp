// SortMonitors: reads one monitor INF file and merges it into the process-wide result.
#include <array>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#include "ascii_case.h"
#include "monorder_internal.h"
#include "winplat_files.h"

namespace monorder::detail {

void MergeState::clear() {
    tree = MakeEmpty(tree);
    header.clear();
    trailer.clear();
    headerTaken = false;
    trailerTaken = false;
}

MergeState& mergeState() {
    static MergeState state;
    return state;
}

void printMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fflush(stdout);
}

namespace {

// Splits text the way a text-mode reader with a line buffer of MONORDER_MAX_LINE + 1 bytes
// sees it: Ctrl-Z ends the text, CR LF ends a line like LF, a longer line comes in pieces of
// MONORDER_MAX_LINE characters, and a NUL byte ends the line's text.
class TextLines {
public:
    explicit TextLines(std::string_view text) : rest_(text.substr(0, text.find('\x1a'))) {}

    bool next(std::string_view& line) {
        if (piece_.empty()) {
            if (rest_.empty()) return false;
            const size_t newline = rest_.find('\n');
            if (newline == std::string_view::npos) {
                piece_ = rest_;
                rest_ = {};
            } else {
                piece_ = rest_.substr(0, newline);
                rest_.remove_prefix(newline + 1);
                if (!piece_.empty() && piece_.back() == '\r') piece_.remove_suffix(1);
            }
            if (piece_.empty()) {  // an empty line
                line = {};
                return true;
            }
        }
        line = piece_.substr(0, MONORDER_MAX_LINE);
        piece_.remove_prefix(line.size());
        line = line.substr(0, line.find('\0'));
        return true;
    }

private:
    std::string_view rest_;
    std::string_view piece_;
};

// Characters that cannot stand in a model line; each becomes '_'.
constexpr std::string_view kReplaced = "\\/:*?\"<>|";

constexpr std::array<bool, 256> kReplacedTable = [] {
    std::array<bool, 256> table{};
    for (char c : kReplaced) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

// The line without leading blanks and tabs, with every character of kReplaced made '_'.
void cleanLine(std::string_view raw, std::string& line) {
    const size_t start = raw.find_first_not_of(" \t");
    line.assign(start == std::string_view::npos ? std::string_view{} : raw.substr(start));
    for (char& c : line)
        if (kReplacedTable[static_cast<unsigned char>(c)]) c = '_';
}

// "[Monitors]" in any letter case; trailing blanks and tabs are tolerated.
bool isMonitorsSection(std::string_view line) {
    const size_t end = line.find_last_not_of(" \t");
    return end != std::string_view::npos && winplat::equalsIgnoringCase(line.substr(0, end + 1), "[Monitors]");
}

// The model lines of one file in the order read, kept in one block of NUL-terminated text.
class ModelLines {
public:
    void add(const std::string& line) {
        offsets_.push_back(text_.size());
        text_.append(line.c_str(), line.size() + 1);
    }
    std::vector<std::string_view> views() const {
        std::vector<std::string_view> lines;
        lines.reserve(offsets_.size());
        for (size_t i = 0; i < offsets_.size(); ++i) {
            const size_t end = i + 1 < offsets_.size() ? offsets_[i + 1] : text_.size();
            lines.emplace_back(text_.data() + offsets_[i], end - offsets_[i] - 1);
        }
        return lines;
    }

private:
    std::string text_;
    std::vector<size_t> offsets_;
};

void merge(std::string_view text, MergeState& state) {
    enum class Region { Before, Models, After } region = Region::Before;
    bool ownsHeader = false;
    bool ownsTrailer = false;
    ModelLines models;
    TextLines lines(text);
    std::string_view raw;
    std::string line;
    while (lines.next(raw)) {
        cleanLine(raw, line);
        const bool comment = !line.empty() && line[0] == ';';
        if (region == Region::Before) {
            if (isMonitorsSection(line)) {
                region = Region::Models;
                continue;
            }
            if (comment) continue;
            if (!state.headerTaken || ownsHeader) {
                state.header.push_back(line);
                state.headerTaken = ownsHeader = true;
            }
            continue;
        }
        if (region == Region::Models) {
            if (line.empty() || comment) continue;
            if (line[0] != '[') {
                models.add(line);
                continue;
            }
            region = Region::After;
        }
        if (comment) continue;
        if (!state.trailerTaken) {
            state.trailer.reserve(state.trailer.size() + 2);
            state.trailer.emplace_back(" ");
            state.trailerTaken = ownsTrailer = true;
        }
        if (ownsTrailer) state.trailer.push_back(line);
    }
    state.tree = insertAll(state.tree, models.views());
}

}  // namespace

}  // namespace monorder::detail

MONORDER_API int SortMonitors(const char* path) {
    using namespace monorder::detail;
    try {
        MergeState& state = mergeState();
        if (!state.started) {
            state.clear();
            state.started = true;
        }
        // Read whole, up to the suite's limit for a file read whole: no input (a device, a
        // file without end) can make the sorter take unbounded memory.
        std::string content;
        if (!path || winplat::readWholeFile(path, content) != ERROR_SUCCESS) {
            printMessage("Couldn't open '%s' for reading.\n", path ? path : "(null)");
            return 0;
        }
        merge(content, state);
    } catch (...) {
        // Out of memory while reading or merging: what was merged so far stays.
        printMessage("%s", "Out of space!!!");
    }
    return 0;
}
