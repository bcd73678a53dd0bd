// Insert and SortMonitors when memory runs out. This program replaces malloc so that a test
// can make the next allocation fail; the library's calls reach the replacement.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "monorder_testing.h"

extern "C" void* __libc_malloc(size_t size);

namespace {
thread_local int allocationsBeforeFailure = -1;  // -1: never fail
}

extern "C" __attribute__((visibility("default"))) void* malloc(size_t size) {
    if (allocationsBeforeFailure >= 0 && allocationsBeforeFailure-- == 0) return nullptr;
    return __libc_malloc(size);
}

namespace {

using monorder::test::SorterTest;

size_t countNodes(const MonitorNode* node) {
    return node ? 1 + countNodes(node->left) + countNodes(node->right) : 0;
}

TEST(MonorderOutOfSpace, InsertSaysSoAndLeavesTheTreeAsItWas) {
    MonitorTree tree = nullptr;
    for (const char* key : {"b", "a", "d", "c"}) tree = Insert(strdup(key), tree);
    MonitorNode* const root = tree;
    const int32_t height = tree->height;

    char* key = strdup("e");
    ::testing::internal::CaptureStdout();
    allocationsBeforeFailure = 0;  // the new node
    MonitorTree result = Insert(key, tree);
    allocationsBeforeFailure = -1;
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Out of space!!!");

    EXPECT_EQ(result, root);
    EXPECT_EQ(result->height, height);
    EXPECT_EQ(countNodes(result), 4u);
    EXPECT_EQ(Find("e", result), nullptr);

    // Memory is back: the same key goes in.
    result = Insert(strdup("e"), result);
    EXPECT_EQ(countNodes(result), 5u);
    EXPECT_NE(Find("e", result), nullptr);
    MakeEmpty(result);
}

TEST(MonorderOutOfSpace, FirstInsertIntoTheEmptyTreeStaysEmpty) {
    char* key = strdup("only");
    ::testing::internal::CaptureStdout();
    allocationsBeforeFailure = 0;
    MonitorTree result = Insert(key, nullptr);
    allocationsBeforeFailure = -1;
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Out of space!!!");
    EXPECT_EQ(result, nullptr);
}

class MonorderOutOfSpaceMerge : public SorterTest {};

// Whichever allocation of a merge fails, the sorter says so (or, when opening the file is what
// failed, that it could not open it) and goes on; the models merged by a later call are all
// written.
TEST_F(MonorderOutOfSpaceMerge, FailingAllocationsDuringTheMerge) {
    writeFile("a.inf", "[Version]\n[Monitors]\nB=2\nA=1\nC=3\n[Strings]\n");
    int failures = 0;
    for (int n = 0; n < 64; ++n) {
        SCOPED_TRACE(::testing::Message() << "allocation " << n);
        bool failed = false;
        const std::string out = printedBy([&] {
            allocationsBeforeFailure = n;
            SortMonitors("a.inf");
            failed = allocationsBeforeFailure < 0;
            allocationsBeforeFailure = -1;
        });
        if (failed) {
            ++failures;
            // Some allocations have a fallback (sorting without a buffer): nothing to say then.
            EXPECT_TRUE(out == "Out of space!!!" || out == "" ||
                        out == "Couldn't open 'a.inf' for reading.\n")
                << out;
        } else {
            EXPECT_EQ(out, "");
        }
    }
    EXPECT_GT(failures, 3);
    EXPECT_EQ(SortMonitors("a.inf"), 0);
    EXPECT_EQ(WriteResult(nullptr), 0);
    const auto lines = monorder::test::linesOf(readFile("spectrine.inf"));
    const auto monitors = std::find(lines.begin(), lines.end(), "[Monitors]");
    ASSERT_NE(monitors, lines.end());
    EXPECT_EQ(std::vector<std::string>(monitors + 1, monitors + 4),
              (std::vector<std::string>{"A=1", "B=2", "C=3"}));
}

}  // namespace
