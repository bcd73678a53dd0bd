// WriteResult: writes the merged result as the chain of INF files the calibration store reads.
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "monorder_internal.h"
#include "win32.h"

namespace monorder::detail {

namespace {

// A file created under a unique temporary name in the output folder; deleted again unless it
// has been renamed into place.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    TemporaryFile(TemporaryFile&& other) noexcept
        : name_(std::move(other.name_)), owned_(std::exchange(other.owned_, false)) {}
    ~TemporaryFile() {
        if (owned_) DeleteFileA(name_.c_str());
    }

    // Creates the file with `content`. Temporary names are taken beside the output so that
    // the final rename never crosses file systems.
    bool create(const std::string& content) {
        char name[MAX_PATH + 1] = {};
        if (GetTempFileNameA(".", "mon", 0, name) == 0) return false;
        name_ = name;
        owned_ = true;
        HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE || file == nullptr) return false;
        bool written = true;
        for (size_t done = 0; written && done < content.size();) {
            const size_t chunk = std::min<size_t>(content.size() - done, 1u << 30);
            DWORD count = 0;
            written = WriteFile(file, content.data() + done, static_cast<DWORD>(chunk), &count,
                                nullptr) &&
                      count > 0;
            done += count;
        }
        const bool closed = CloseHandle(file);
        return written && closed;
    }

    // Moves the file to `target`, replacing what is there.
    bool renameTo(const std::string& target) {
        if (!MoveFileExA(name_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
        owned_ = false;
        return true;
    }

private:
    std::string name_;
    bool owned_ = false;
};

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

// Deletes the file and every file whose name differs from it only in letter case (file
// names resolve case-insensitively when the exact one is missing, so the store would read
// any of them). False when one of them cannot be deleted.
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

        std::vector<TemporaryFile> files(texts.size());
        for (size_t k = 0; k < texts.size(); ++k)
            if (!files[k].create(texts[k])) return -1;

        for (size_t k = files.size() - 1; k >= 1; --k)
            if (!files[k].renameTo(chainFileName(k))) return -1;
        // Numbered files of an earlier, longer chain would be read as models.
        for (size_t k = files.size(); k < MONORDER_MAX_FILES; ++k)
            if (!deleteEveryCase(chainFileName(k))) return -1;
        return files[0].renameTo(chainFileName(0)) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}
