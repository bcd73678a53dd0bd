// WriteResult: the chain of files of 300 model lines, its names, temporary files beside it,
// stale numbered files, failures, and the chain read back by the platform's INI reader.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <source_location>
#include <string>
#include <vector>

#include "monorder_testing.h"
#include "win32.h"

namespace {

using monorder::test::joinLines;
using monorder::test::linesOf;
using monorder::test::modelLine;
using monorder::test::SorterTest;

std::string modelKey(int i) {
    char key[32];
    std::snprintf(key, sizeof key, "Model %04d", i);
    return key;
}

// Models 1 to n in sorted order.
std::vector<std::string> models(int n) {
    std::vector<std::string> lines;
    for (int i = 1; i <= n; ++i) lines.push_back(modelLine(modelKey(i)));
    return lines;
}

std::vector<std::string> slice(const std::vector<std::string>& lines, size_t first, size_t end) {
    return {lines.begin() + first, lines.begin() + end};
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class MonorderChain : public SorterTest {
protected:
    // Writes the models in a shuffled order over two files (the first with header and
    // trailer) and merges them.
    void mergeModels(const std::vector<std::string>& lines) {
        std::vector<std::string> shuffled = lines;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));
        const size_t half = shuffled.size() / 2;
        writeFile("first.inf", "[Version]\nSignature=$CHICAGO$\n[Monitors]\n" +
                                   joinLines(slice(shuffled, 0, half)) + "[Strings]\nx=1\n");
        writeFile("second.inf", "[Monitors]\n" + joinLines(slice(shuffled, half, shuffled.size())));
        EXPECT_EQ(printedBy([] {
                      EXPECT_EQ(SortMonitors("first.inf"), 0);
                      EXPECT_EQ(SortMonitors("second.inf"), 0);
                  }),
                  "");
    }

    std::vector<std::string> chainFiles() const {
        std::vector<std::string> names;
        for (const std::string& name : filesInRoot())
            if (name.rfind("spectrine", 0) == 0) names.push_back(name);
        return names;
    }

    std::vector<std::string> header() const { return {"[Version]", "Signature=$CHICAGO$"}; }
    std::vector<std::string> trailer() const { return {" ", "[Strings]", "x=1"}; }
    std::vector<std::string> monitors(const std::vector<std::string>& lines) const {
        return concat({"[Monitors]"}, lines);
    }
};

TEST_F(MonorderChain, SixHundredFiftyModelsMakeThreeFilesSharingTheirEdges) {
    const auto all = models(650);
    mergeModels(all);
    EXPECT_EQ(WriteResult("ignored.inf"), 0);
    EXPECT_EQ(chainFiles(),
              (std::vector<std::string>{"spectrine.inf", "spectrine1.inf", "spectrine2.inf"}));
    // Models 1-300, 300-599 and 599-650 (counted from 1).
    EXPECT_EQ(readFile("spectrine.inf"),
              joinLines(concat(concat(header(), monitors(slice(all, 0, 300))), trailer())));
    EXPECT_EQ(readFile("spectrine1.inf"), joinLines(monitors(slice(all, 299, 599))));
    EXPECT_EQ(readFile("spectrine2.inf"), joinLines(monitors(slice(all, 598, 650))));
    EXPECT_FALSE(exists("ignored.inf"));
    // Nothing else is left behind: no temporary files.
    EXPECT_EQ(filesInRoot(), (std::vector<std::string>{"WINDOWS", "first.inf", "second.inf",
                                                       "spectrine.inf", "spectrine1.inf",
                                                       "spectrine2.inf"}));
}

TEST_F(MonorderChain, SizesAroundOneFile) {
    const struct {
        int models;
        std::vector<size_t> modelsPerFile;
    } cases[] = {
        {1, {1}}, {299, {299}}, {300, {300}}, {301, {300, 2}}, {599, {300, 300}}, {600, {300, 300, 2}},
    };
    // The merged result only grows within a process: merge the sizes in increasing order.
    int merged = 0;
    const auto all = models(600);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.models);
        for (; merged < c.models; ++merged) {
            writeFile("one.inf", "[Monitors]\n" + all[merged] + "\n");
            SortMonitors("one.inf");
        }
        ASSERT_EQ(WriteResult(nullptr), 0);
        const auto files = chainFiles();
        ASSERT_EQ(files.size(), c.modelsPerFile.size());
        size_t first = 0;
        for (size_t k = 0; k < files.size(); ++k) {
            const std::string name = k == 0 ? "spectrine.inf" : "spectrine" + std::to_string(k) + ".inf";
            SCOPED_TRACE(name);
            const size_t count = c.modelsPerFile[k];
            EXPECT_EQ(readFile(name), joinLines(monitors(slice(all, first, first + count))));
            first += count - 1;
        }
    }
}

TEST_F(MonorderChain, NineFullFilesHold2692Models) {
    const auto all = models(2692);
    mergeModels(all);
    EXPECT_EQ(WriteResult(nullptr), 0);
    ASSERT_EQ(chainFiles().size(), 9u);
    EXPECT_EQ(readFile("spectrine8.inf"), joinLines(monitors(slice(all, 2392, 2692))));
}

// More models than nine files of 300 hold: the files grow so that the store, which reads
// nine files, still sees every model.
TEST_F(MonorderChain, MoreModelsThanNineFilesHoldAreSpreadOverNineFiles) {
    const auto all = models(3000);
    mergeModels(all);
    EXPECT_EQ(WriteResult(nullptr), 0);
    ASSERT_EQ(chainFiles().size(), 9u);
    // 335 per file: the smallest n with 9 n - 8 >= 3000.
    size_t first = 0;
    for (int k = 0; k < 9; ++k) {
        const std::string name = k == 0 ? "spectrine.inf" : "spectrine" + std::to_string(k) + ".inf";
        SCOPED_TRACE(name);
        const size_t end = std::min<size_t>(first + 335, all.size());
        const auto expected = monitors(slice(all, first, end));
        const auto written = linesOf(readFile(name));
        if (k == 0)
            EXPECT_EQ(written, concat(concat(header(), expected), trailer()));
        else
            EXPECT_EQ(written, expected);
        first = end - 1;
    }
    EXPECT_EQ(first, all.size() - 1);
}

TEST_F(MonorderChain, NumberedFilesOfAnEarlierLongerChainAreDeleted) {
    for (int k = 1; k <= 9; ++k)
        writeFile("spectrine" + std::to_string(k) + ".inf", "[Monitors]\nOld=1\n");
    writeFile("SPECTRINE5.INF", "[Monitors]\nOld=1\n");
    mergeModels(models(301));
    EXPECT_EQ(WriteResult(nullptr), 0);
    // spectrine9.inf is no part of a chain and stays.
    EXPECT_EQ(chainFiles(), (std::vector<std::string>{"spectrine.inf", "spectrine1.inf",
                                                      "spectrine9.inf"}));
    EXPECT_FALSE(exists("SPECTRINE5.INF"));  // the store would find it for spectrine5.inf
    EXPECT_EQ(readFile("spectrine1.inf"), joinLines(monitors(slice(models(301), 299, 301))));
}

TEST_F(MonorderChain, WithoutATrailerTheChainIsStillFinished) {
    writeFile("a.inf", "[Version]\n[Monitors]\nB=2\nA=1\n");
    SortMonitors("a.inf");
    EXPECT_EQ(WriteResult(nullptr), 0);
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Version]", "[Monitors]", "A=1", "B=2"}));
    EXPECT_EQ(filesInRoot(), (std::vector<std::string>{"WINDOWS", "a.inf", "spectrine.inf"}));
}

TEST_F(MonorderChain, WithoutModelsNothingIsWrittenAndAnEarlierChainStays) {
    writeFile("spectrine.inf", "[Monitors]\nOld=1\n");
    writeFile("spectrine1.inf", "[Monitors]\nOld=1\n");
    EXPECT_EQ(WriteResult(nullptr), -1);  // nothing merged at all
    writeFile("a.inf", "[Version]\nx=1\n[Monitors]\n; none\n[Strings]\n");
    SortMonitors("a.inf");
    EXPECT_EQ(WriteResult(nullptr), -1);  // header and trailer but no model
    EXPECT_EQ(readFile("spectrine.inf"), "[Monitors]\nOld=1\n");
    EXPECT_EQ(filesInRoot(), (std::vector<std::string>{"WINDOWS", "a.inf", "spectrine.inf",
                                                       "spectrine1.inf"}));
}

TEST_F(MonorderChain, FailedRenameReturnsMinusOneAndLeavesNoTemporaryFile) {
    writeFile("spectrine.inf", "[Monitors]\nOld=1\n");
    writeFile("spectrine1.inf/blocker", "");  // a folder where a numbered file goes
    mergeModels(models(301));
    EXPECT_EQ(WriteResult(nullptr), -1);
    EXPECT_EQ(readFile("spectrine.inf"), "[Monitors]\nOld=1\n");
    EXPECT_EQ(filesInRoot(), (std::vector<std::string>{"WINDOWS", "first.inf", "second.inf",
                                                       "spectrine.inf", "spectrine1.inf"}));
}

TEST_F(MonorderChain, StaleNumberedFileThatCannotGoFailsTheChain) {
    writeFile("spectrine.inf", "[Monitors]\nOld=1\n");
    writeFile("spectrine5.inf/blocker", "");  // cannot be deleted as a file
    mergeModels(models(10));
    EXPECT_EQ(WriteResult(nullptr), -1);
    EXPECT_EQ(readFile("spectrine.inf"), "[Monitors]\nOld=1\n");
    EXPECT_EQ(filesInRoot(), (std::vector<std::string>{"WINDOWS", "first.inf", "second.inf",
                                                       "spectrine.inf", "spectrine5.inf"}));
}

TEST_F(MonorderChain, ReadOnlyFolderFailsWithoutWritingAnything) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    mergeModels(models(10));
    ASSERT_EQ(chmod(root().c_str(), 0555), 0);
    const int result = WriteResult(nullptr);
    chmod(root().c_str(), 0755);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(chainFiles(), std::vector<std::string>{});
}

// Reads every key of the "Monitors" section of `file` through the platform's INI reader and
// checks its value; returns the keys the reader lists.
std::vector<std::string> readBack(const std::string& file, const std::vector<std::string>& lines,
                                  std::source_location where = std::source_location::current()) {
    SCOPED_TRACE(::testing::Message() << file << " read back from line " << where.line());
    for (const std::string& line : lines) {
        const size_t eq = line.find('=');
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        char buffer[512];
        std::memset(buffer, 0xbd, sizeof buffer);
        const DWORD length = GetPrivateProfileStringA("Monitors", key.c_str(), "<none>", buffer,
                                                      sizeof buffer, file.c_str());
        EXPECT_EQ(length, value.size()) << key;
        EXPECT_STREQ(buffer, value.c_str()) << key;
        EXPECT_EQ(static_cast<unsigned char>(buffer[value.size() + 1]), 0xbd) << key;
    }
    std::vector<char> list(64 * 1024, '\xbd');
    const DWORD length = GetPrivateProfileStringA("Monitors", nullptr, "", list.data(),
                                                  static_cast<DWORD>(list.size()), file.c_str());
    std::vector<std::string> keys;
    for (size_t i = 0; i < length; i += keys.back().size() + 1) keys.emplace_back(&list[i]);
    return keys;
}

TEST_F(MonorderChain, EveryModelIsReadBackByTheIniReader) {
    const auto all = models(650);
    mergeModels(all);
    ASSERT_EQ(WriteResult(nullptr), 0);
    const struct {
        const char* name;
        size_t first, end;
    } files[] = {{"spectrine.inf", 0, 300}, {"spectrine1.inf", 299, 599}, {"spectrine2.inf", 598, 650}};
    for (const auto& f : files) {
        const auto lines = slice(all, f.first, f.end);
        const auto keys = readBack(rootPath(f.name), lines);
        std::vector<std::string> expectedKeys;
        for (const auto& line : lines) expectedKeys.push_back(line.substr(0, line.find('=')));
        EXPECT_EQ(keys, expectedKeys) << f.name;
    }
    // The header and trailer are sections of the first file too.
    char value[64];
    EXPECT_EQ(GetPrivateProfileStringA("Version", "Signature", "", value, sizeof value,
                                       rootPath("spectrine.inf").c_str()),
              9u);
    EXPECT_STREQ(value, "$CHICAGO$");
    EXPECT_EQ(GetPrivateProfileStringA("Strings", "x", "", value, sizeof value,
                                       rootPath("spectrine.inf").c_str()),
              1u);
    EXPECT_STREQ(value, "1");
}

}  // namespace
