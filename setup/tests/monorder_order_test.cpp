// The order of model lines: lines starting with a digit last, otherwise a comparison that
// ignores the case of ASCII letters (folded to lower case) and leaves other bytes alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "monorder.h"

namespace {

// The keys of the tree in order.
void collect(const MonitorNode* node, std::vector<std::string>& keys) {
    if (!node) return;
    collect(node->left, keys);
    keys.push_back(node->key);
    collect(node->right, keys);
}

std::vector<std::string> treeOrder(const std::vector<std::string>& inserted) {
    MonitorTree tree = nullptr;
    for (const auto& key : inserted) tree = Insert(strdup(key.c_str()), tree);
    std::vector<std::string> keys;
    collect(tree, keys);
    MakeEmpty(tree);
    return keys;
}

TEST(MonorderOrder, PairsOrderTheSameWhicheverIsInsertedFirst) {
    const struct {
        const char* first;  // orders before `second`
        const char* second;
        const char* why;
    } cases[] = {
        {"alpha", "Beta", "letters compare without case"},
        {"Alpha", "beta", "letters compare without case"},
        {"Zenith", "3M", "a line starting with a digit comes after every other"},
        {"~tilde", "0", "any non-digit first character comes before a digit"},
        {"", "0", "the empty line is no digit line"},
        {"10", "9", "digit lines compare among themselves by bytes"},
        {"JOHN_HENRY", "JOHNSTON", "letters fold to lower case, so '_' comes before 's'"},
        {"[", "a", "'[' comes before the lower-case letters"},
        {"[", "Z", "'Z' folds to 'z', which comes after '['"},
        {"_", "Z", "'Z' folds to 'z', which comes after '_'"},
        {"ab", "abc", "a prefix comes first"},
        {"a b", "a-b", "a blank comes before '-'"},
        {"zebra", "\xc3\xa9t\xc3\xa9", "bytes above 127 come after ASCII letters"},
        {"\xc3\x89T\xc3\x89", "\xc3\xa9t\xc3\xa9", "non-ASCII letters are not folded"},
    };
    for (const auto& c : cases) {
        const std::string first = c.first, second = c.second;
        SCOPED_TRACE(std::string(c.why) + ": '" + first + "' before '" + second + "'");
        EXPECT_EQ(treeOrder({first, second}), (std::vector<std::string>{first, second}));
        EXPECT_EQ(treeOrder({second, first}), (std::vector<std::string>{first, second}));
    }
}

TEST(MonorderOrder, LinesDifferingOnlyInAsciiCaseAreDuplicates) {
    const struct {
        const char* a;
        const char* b;
        bool duplicate;
    } cases[] = {
        {"NEC MultiSync=NEC", "nec multisync=nec", true},
        {"ABC", "abc", true},
        {"3Dlabs", "3DLABS", true},
        {"\xc3\x89", "\xc3\xa9", false},  // UTF-8 letters keep their case
        {"abc", "abc ", false},
        {"a_c", "a-c", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        const auto keys = treeOrder({c.a, c.b});
        if (c.duplicate) {
            EXPECT_EQ(keys, (std::vector<std::string>{c.a}));  // the first one stays
        } else {
            EXPECT_EQ(keys.size(), 2u);
        }
    }
}

TEST(MonorderOrder, MixedListSortsLettersThenDigits) {
    const std::vector<std::string> input = {
        "Sony=1", "3M=1", "acer=1", "Apple=1", "20th Century=1", "[Trailer]", "_Hidden=1",
        "Zeta=1", "100=1", "eizo=1", "AOC=1",
    };
    const std::vector<std::string> expected = {
        "[Trailer]", "_Hidden=1", "acer=1", "AOC=1",          "Apple=1", "eizo=1",
        "Sony=1",    "Zeta=1",    "100=1",  "20th Century=1", "3M=1",
    };
    EXPECT_EQ(treeOrder(input), expected);
}

}  // namespace
