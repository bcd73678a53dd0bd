// Internal contract between the parts of monorder (not installed).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "monorder.h"

namespace monorder::detail {

// The order of model lines (see monorder.h): < 0, 0 or > 0 as `a` orders before, equal to or
// after `b`.
int compareLines(const char* a, const char* b);

// The keys of `tree` in order, walked without recursion.
std::vector<const char*> inOrder(const MonitorNode* tree);

// Adds copies of `lines` (in the order read) to the tree with the result of inserting them one
// by one: a line equal to one already in the tree, or to an earlier one of `lines`, is left
// out. A line whose copy or node cannot be allocated is left out after "Out of space!!!".
// Returns the new root.
MonitorTree insertAll(MonitorTree tree, const std::vector<std::string_view>& lines);

// What SortMonitors has merged so far in this process.
struct MergeState {
    MonitorTree tree = nullptr;
    std::vector<std::string> header;   // lines before "[Monitors]" of the first file with any
    std::vector<std::string> trailer;  // " " and the lines from the first section after it
    bool headerTaken = false;
    bool trailerTaken = false;
    bool started = false;  // set by the first SortMonitors call, which starts from empty

    MergeState() = default;
    MergeState(const MergeState&) = delete;
    MergeState& operator=(const MergeState&) = delete;
    ~MergeState() { clear(); }
    void clear();
};

// The process-wide merge state.
MergeState& mergeState();

// Prints a message of the sorter to standard output at once (the installer's console and the
// tests see it in order with everything else).
void printMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace monorder::detail
