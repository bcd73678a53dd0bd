// WriteResult: writes the merged result as the chain of INF files the calibration store reads.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "monorder_internal.h"
#include "win32.h"
#include "winplat_files.h"

namespace monorder::detail {

namespace {

std::string chainFileName(size_t index) {
    return index == 0 ? std::string("spectrine.inf") : "spectrine" + std::to_string(index) + ".inf";
}

// Model lines per file: 300 while the chain fits in the files the store reads; beyond that
// the models are spread over those files so that none is left out.
size_t linesPerFile(size_t models) {
    constexpr size_t perFile = MONORDER_LINES_PER_FILE;
    constexpr size_t files = MONORDER_MAX_FILES;
    if (models <= perFile + (files - 1) * (perFile - 1)) return perFile;
    return (models + (files - 1) + files - 1) / files;  // smallest n with 9n - 8 >= models
}

void appendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.push_back('\n');
}

// The text of each file of the chain: header, models and trailer in the first, models in the
// others, each file after the first starting with the last model of the file before it.
std::vector<std::string> layOutChain(const MergeState& state,
                                     const std::vector<const char*>& models) {
    const size_t perFile = linesPerFile(models.size());
    std::vector<std::string> files;
    size_t start = 0;
    for (;;) {
        const size_t end = std::min(start + perFile, models.size());
        std::string text;
        if (files.empty())
            for (const std::string& line : state.header) appendLine(text, line);
        appendLine(text, "[Monitors]");
        for (size_t i = start; i < end; ++i) appendLine(text, models[i]);
        files.push_back(std::move(text));
        if (end >= models.size()) break;
        start = end - 1;
    }
    for (const std::string& line : state.trailer) appendLine(files.front(), line);
    return files;
}

// The stale file `name` (and every file whose name differs from it only in letter case: file
// names resolve case-insensitively when the exact one is missing, so the store would read any
// of them) can be deleted: none of them is a folder or read-only.
bool staleFileCanGo(const std::string& name) {
    const DWORD attributes = GetFileAttributesA(name.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
}

// Deletes the file and every file whose name differs from it only in letter case. False when
// one of them cannot be deleted.
bool deleteEveryCase(const std::string& name) {
    for (int attempt = 0; GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; ++attempt)
        if (attempt == 64 || !DeleteFileA(name.c_str())) return false;
    return true;
}

}  // namespace

}  // namespace monorder::detail

MONORDER_API int WriteResult(const char* /*name*/) {
    using namespace monorder::detail;
    try {
        const MergeState& state = mergeState();
        const std::vector<const char*> models = inOrder(state.tree);
        // Without a single model there is nothing the store could read: an existing chain is
        // left as it is.
        if (models.empty()) return -1;
        const std::vector<std::string> texts = layOutChain(state, models);

        // Every new file is written beside its target and flushed, and every target is checked
        // (a folder or a read-only file where a file of the chain goes fails here), before the
        // old chain changes at all.
        std::vector<winplat::FileReplacement> files(texts.size());
        for (size_t k = 0; k < texts.size(); ++k)
            if (files[k].prepare(chainFileName(k).c_str(), texts[k]) != ERROR_SUCCESS) return -1;
        // Numbered files of an earlier, longer chain would be read as models: they go first,
        // once each of them is known to be deletable.
        for (size_t k = files.size(); k < MONORDER_MAX_FILES; ++k)
            if (!staleFileCanGo(chainFileName(k))) return -1;
        for (size_t k = files.size(); k < MONORDER_MAX_FILES; ++k)
            if (!deleteEveryCase(chainFileName(k))) return -1;
        // The numbered files, then the first file, which the store looks for first.
        for (size_t k = files.size() - 1; k >= 1; --k)
            if (files[k].commit() != ERROR_SUCCESS) return -1;
        return files[0].commit() == ERROR_SUCCESS ? 0 : -1;
    } catch (...) {
        return -1;
    }
}
