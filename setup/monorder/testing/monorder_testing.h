// Helpers shared by monorder's tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "monorder.h"

namespace monorder::test {

// A fresh system root that is also the current directory (where the chain is written). The
// sorter's merged result lives for the whole process, so a test that merges files must be the
// only one in its process, as ctest runs them; when several run in one process the later ones
// are skipped rather than fail for a foreign reason.
class SorterTest : public spx::test::FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        static int testsInProcess = 0;
        if (++testsInProcess > 1)
            GTEST_SKIP() << "merges process-wide state: run each test in its own process (ctest)";
        savedDirectory_ = std::filesystem::current_path();
        std::filesystem::current_path(root());
    }
    void TearDown() override {
        if (!savedDirectory_.empty()) std::filesystem::current_path(savedDirectory_);
        FreshRootTest::TearDown();
    }

    // What `call` prints to standard output. Only the call is captured, so that the test's own
    // failure reports stay visible.
    template <class Call>
    static std::string printedBy(Call&& call) {
        ::testing::internal::CaptureStdout();
        call();
        return ::testing::internal::GetCapturedStdout();
    }

    // Names of the files in the root, sorted.
    std::vector<std::string> filesInRoot() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    bool exists(const std::string& name) const {
        return std::filesystem::exists(rootPath(name));
    }

private:
    std::filesystem::path savedDirectory_;
    bool capturing_ = false;
};

// "name=Maker, name, 1280, 960, 1, ..." - a model line with the given key.
inline std::string modelLine(const std::string& key) {
    return key + "=Maker, " + key +
           ", 1280, 960, 1, 0.6250, 0.3400, 0.2800, 0.5950, 0.1550, 0.0700, 0.25";
}

// Lines of a text, each without its '\n'.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

inline std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

}  // namespace monorder::test
