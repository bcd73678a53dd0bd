// The exported tree operations: MakeEmpty, Find, Insert, Delete, Retrieve, and the balance of
// the tree under long sorted runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <source_location>
#include <string>
#include <vector>

#include "monorder.h"

namespace {

char* own(const std::string& text) { return strdup(text.c_str()); }

// Walks the subtree checking the stored heights, the balance of every node and the strict
// order of the keys; returns the subtree's real height.
int32_t checkSubtree(const MonitorNode* node, std::vector<const char*>& keys) {
    if (!node) return -1;
    const int32_t left = checkSubtree(node->left, keys);
    keys.push_back(node->key);
    const int32_t right = checkSubtree(node->right, keys);
    const int32_t height = std::max(left, right) + 1;
    EXPECT_EQ(node->height, height) << "stored height of " << node->key;
    EXPECT_LE(std::abs(left - right), 1) << "balance of " << node->key;
    return height;
}

struct TreeShape {
    std::vector<const char*> keys;  // in order
    int32_t height;
};

TreeShape checkTree(const MonitorNode* tree,
                    std::source_location where = std::source_location::current()) {
    SCOPED_TRACE(::testing::Message() << "checked from line " << where.line());
    TreeShape shape;
    shape.height = checkSubtree(tree, shape.keys);
    return shape;
}

std::string captureDelete(const char* key, MonitorTree tree, MonitorTree& result) {
    ::testing::internal::CaptureStdout();
    result = Delete(key, tree);
    return ::testing::internal::GetCapturedStdout();
}

TEST(MonorderTree, MakeEmptyOfTheEmptyTreeIsEmpty) { EXPECT_EQ(MakeEmpty(nullptr), nullptr); }

TEST(MonorderTree, MakeEmptyFreesEveryNodeAndReturnsTheEmptyTree) {
    MonitorTree tree = nullptr;
    for (int i = 0; i < 1000; ++i) tree = Insert(own("key" + std::to_string(i)), tree);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(MakeEmpty(tree), nullptr);  // leaks or double frees show under ASan/valgrind
}

TEST(MonorderTree, FirstInsertMakesALeafThatOwnsTheKey) {
    char* key = own("Sony CPD-200=Sony");
    MonitorTree tree = Insert(key, nullptr);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->key, key);
    EXPECT_EQ(tree->left, nullptr);
    EXPECT_EQ(tree->right, nullptr);
    EXPECT_EQ(tree->height, 0);
    EXPECT_EQ(Retrieve(tree), key);
    MakeEmpty(tree);
}

TEST(MonorderTree, NullKeyLeavesTheTreeUnchanged) {
    EXPECT_EQ(Insert(nullptr, nullptr), nullptr);
    MonitorTree tree = Insert(own("a"), nullptr);
    EXPECT_EQ(Insert(nullptr, tree), tree);
    EXPECT_EQ(tree->height, 0);
    EXPECT_EQ(Find(nullptr, tree), nullptr);
    MakeEmpty(tree);
}

TEST(MonorderTree, EqualKeyIgnoringCaseKeepsTheFirstOne) {
    char* first = own("Sony Multiscan=Sony, Multiscan");
    MonitorTree tree = Insert(first, nullptr);
    tree = Insert(own("SONY MULTISCAN=SONY, MULTISCAN"), tree);
    tree = Insert(own("sony multiscan=sony, multiscan"), tree);
    const TreeShape shape = checkTree(tree);
    ASSERT_EQ(shape.keys.size(), 1u);
    EXPECT_EQ(shape.keys[0], first);
    EXPECT_STREQ(Retrieve(tree), "Sony Multiscan=Sony, Multiscan");
    MakeEmpty(tree);
}

TEST(MonorderTree, FindIgnoresCaseAndAnswersNullWhenAbsent) {
    MonitorTree tree = nullptr;
    for (const char* key : {"Beta", "alpha", "Gamma", "3Dfx", "delta"}) tree = Insert(own(key), tree);
    const struct {
        const char* query;
        const char* found;  // null: not found
    } cases[] = {
        {"beta", "Beta"},   {"ALPHA", "alpha"}, {"gAmMa", "Gamma"}, {"3DFX", "3Dfx"},
        {"Delta", "delta"}, {"Epsilon", nullptr}, {"alph", nullptr}, {"alphaa", nullptr},
        {"", nullptr},      {"3dfx ", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        MonitorNode* node = Find(c.query, tree);
        if (!c.found) {
            EXPECT_EQ(node, nullptr);
        } else {
            ASSERT_NE(node, nullptr);
            EXPECT_STREQ(Retrieve(node), c.found);
        }
    }
    EXPECT_EQ(Find("alpha", nullptr), nullptr);
    MakeEmpty(tree);
}

TEST(MonorderTree, RetrieveOfNoNodeIsNull) { EXPECT_EQ(Retrieve(nullptr), nullptr); }

TEST(MonorderTree, DeleteIsUnimplementedAndSaysSo) {
    MonitorTree tree = Insert(own("NEC=NEC"), nullptr);
    MonitorTree result = reinterpret_cast<MonitorTree>(0xdeadbeef);
    EXPECT_EQ(captureDelete("NEC=NEC", tree, result), "Sorry; Delete is unimplemented; NEC=NEC remains\n");
    EXPECT_EQ(result, tree);
    EXPECT_NE(Find("NEC=NEC", tree), nullptr);

    result = reinterpret_cast<MonitorTree>(0xdeadbeef);
    EXPECT_EQ(captureDelete(nullptr, nullptr, result), "Sorry; Delete is unimplemented; (null) remains\n");
    EXPECT_EQ(result, nullptr);
    MakeEmpty(tree);
}

// The four rebalancing cases on three keys: each ends with the middle key at the root.
TEST(MonorderTree, ThreeKeysInAnyOrderBalanceAroundTheMiddleOne) {
    const char* orders[][3] = {
        {"a", "b", "c"}, {"c", "b", "a"}, {"a", "c", "b"}, {"c", "a", "b"}, {"b", "a", "c"},
    };
    for (const auto& order : orders) {
        SCOPED_TRACE(std::string(order[0]) + order[1] + order[2]);
        MonitorTree tree = nullptr;
        for (const char* key : order) tree = Insert(own(key), tree);
        ASSERT_NE(tree, nullptr);
        EXPECT_STREQ(tree->key, "b");
        EXPECT_EQ(tree->height, 1);
        ASSERT_NE(tree->left, nullptr);
        ASSERT_NE(tree->right, nullptr);
        EXPECT_STREQ(tree->left->key, "a");
        EXPECT_STREQ(tree->right->key, "c");
        EXPECT_EQ(tree->left->height, 0);
        EXPECT_EQ(tree->right->height, 0);
        MakeEmpty(tree);
    }
}

void expectBalancedAfter(const std::vector<std::string>& keys, size_t distinct) {
    MonitorTree tree = nullptr;
    for (const std::string& key : keys) tree = Insert(own(key), tree);
    const TreeShape shape = checkTree(tree);
    ASSERT_EQ(shape.keys.size(), distinct);
    for (size_t i = 1; i < shape.keys.size(); ++i)
        ASSERT_LT(strcasecmp(shape.keys[i - 1], shape.keys[i]), 0) << "at " << i;
    const double n = static_cast<double>(distinct);
    EXPECT_LE(shape.height, 1.45 * std::log2(n + 2)) << "height " << shape.height;
    // A balanced tree is never lower than the complete tree of the same size.
    EXPECT_GE(shape.height, static_cast<int32_t>(std::floor(std::log2(n))));
    MakeEmpty(tree);
}

std::string numberedKey(int i) {
    char key[32];
    std::snprintf(key, sizeof key, "Model %06d=Maker", i);
    return key;
}

constexpr int kRun = 100000;

TEST(MonorderTreeBalance, SortedRunOf100000Keys) {
    std::vector<std::string> keys;
    for (int i = 0; i < kRun; ++i) keys.push_back(numberedKey(i));
    expectBalancedAfter(keys, kRun);
}

TEST(MonorderTreeBalance, ReverseSortedRunOf100000Keys) {
    std::vector<std::string> keys;
    for (int i = kRun - 1; i >= 0; --i) keys.push_back(numberedKey(i));
    expectBalancedAfter(keys, kRun);
}

TEST(MonorderTreeBalance, ShuffledRunWithCaseDuplicates) {
    std::vector<std::string> keys;
    for (int i = 0; i < kRun; ++i) {
        keys.push_back(numberedKey(i));
        if (i % 4 == 0) {
            std::string upper = numberedKey(i);
            for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            keys.push_back(upper);
        }
    }
    std::shuffle(keys.begin(), keys.end(), std::mt19937(1234));
    expectBalancedAfter(keys, kRun);
}

}  // namespace
