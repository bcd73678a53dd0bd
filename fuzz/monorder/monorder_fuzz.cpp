// Feeds arbitrary text as an INF file through SortMonitors, then checks the merged tree (order,
// balance, stored heights, what a model line may hold) and the chain WriteResult makes of it.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "monorder_internal.h"

namespace fs = std::filesystem;
using monorder::detail::compareLines;
using monorder::detail::mergeState;

namespace {

fs::path workFolder;

[[noreturn]] void fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "monorder_fuzz: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

void checkLine(std::string_view line) {
    if (line.size() > MONORDER_MAX_LINE) fail("line longer than a read", line);
    if (line.find_first_of("\\/:*?\"<>|\n") != std::string_view::npos)
        fail("line holds a replaced character", line);
    if (line.find('\0') != std::string_view::npos) fail("line holds a NUL", line);
}

int32_t checkSubtree(const MonitorNode* node, const char*& previous, size_t& count) {
    if (!node) return -1;
    const int32_t left = checkSubtree(node->left, previous, count);
    if (!node->key) fail("node without key");
    if (previous && compareLines(previous, node->key) >= 0) fail("keys out of order", node->key);
    previous = node->key;
    ++count;
    const std::string_view key = node->key;
    checkLine(key);
    if (key.empty() || key[0] == ';' || key[0] == '[' || key[0] == ' ' || key[0] == '\t')
        fail("not a model line", key);
    const int32_t right = checkSubtree(node->right, previous, count);
    if (std::abs(left - right) > 1) fail("unbalanced", key);
    const int32_t height = std::max(left, right) + 1;
    if (node->height != height) fail("stored height wrong", key);
    return height;
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) fail("file does not end with a newline");
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void checkChain(const std::vector<const char*>& keys) {
    const auto& state = mergeState();
    const int result = WriteResult(nullptr);
    if (keys.empty()) {
        if (result != -1) fail("chain written without models");
        if (fs::exists("spectrine.inf")) fail("spectrine.inf without models");
        return;
    }
    if (result != 0) fail("WriteResult failed");
    size_t next = 0;  // first key not yet seen
    size_t files = 0;
    for (; files < 16; ++files) {
        const std::string name = files == 0 ? "spectrine.inf" : "spectrine" + std::to_string(files) + ".inf";
        if (!fs::exists(name)) break;
        std::vector<std::string> lines = splitLines(readAll(name));
        size_t at = 0;
        if (files == 0) {
            if (lines.size() < state.header.size() + state.trailer.size())
                fail("first file too short");
            if (!std::equal(state.header.begin(), state.header.end(), lines.begin()))
                fail("header not written first");
            if (!std::equal(state.trailer.begin(), state.trailer.end(),
                            lines.end() - static_cast<ptrdiff_t>(state.trailer.size())))
                fail("trailer not written last");
            at = state.header.size();
            lines.resize(lines.size() - state.trailer.size());
        }
        if (at >= lines.size() || lines[at] != "[Monitors]") fail("no [Monitors] line");
        ++at;
        if (files > 0) {
            if (at >= lines.size() || next == 0 || lines[at] != keys[next - 1])
                fail("numbered file does not repeat the last model");
            ++at;
        }
        for (; at < lines.size(); ++at, ++next)
            if (next >= keys.size() || lines[at] != keys[next]) fail("chain differs from the tree");
        fs::remove(name);
    }
    if (files > MONORDER_MAX_FILES) fail("more files than the store reads");
    if (next != keys.size()) fail("models missing from the chain");
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.path().filename() != "input.inf") fail("file left behind", entry.path().string());
}

void writeInput(const uint8_t* data, size_t size) {
    std::ofstream input("input.inf", std::ios::binary | std::ios::trunc);
    input.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string templ = (fs::temp_directory_path() / "monorder-fuzz-XXXXXX").string();
    if (!mkdtemp(templ.data())) return 1;
    workFolder = templ;
    fs::current_path(workFolder);
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(workFolder, ec);
    });
    return 0;
}

// The first byte splits the rest into two files merged one after the other, so that lines
// also meet a tree that is already there.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& state = mergeState();
    state.clear();
    state.started = true;
    const size_t split = size == 0 ? 0 : 1 + (size - 1) * data[0] / 256;
    const std::pair<size_t, size_t> files[] = {{size == 0 ? 0 : 1, split}, {split, size}};
    for (const auto& [begin, end] : files) {
        writeInput(data + begin, end - begin);
        if (SortMonitors("input.inf") != 0) fail("SortMonitors result");
    }

    const char* previous = nullptr;
    size_t count = 0;
    const int32_t height = checkSubtree(state.tree, previous, count);
    if (count > 0 && height > 1.45 * std::log2(static_cast<double>(count) + 2)) fail("too high");
    for (const std::string& line : state.header) {
        checkLine(line);
        if (!line.empty() && line[0] == ';') fail("comment in header", line);
    }
    for (size_t i = 0; i < state.trailer.size(); ++i) {
        checkLine(state.trailer[i]);
        if (i == 0 ? state.trailer[0] != " " : (!state.trailer[i].empty() && state.trailer[i][0] == ';'))
            fail("trailer line", state.trailer[i]);
    }
    const std::vector<const char*> keys = monorder::detail::inOrder(state.tree);
    if (keys.size() != count) fail("in-order walk misses nodes");
    checkChain(keys);
    return 0;
}
