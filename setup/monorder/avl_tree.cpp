// The height-balanced binary search tree of model lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ascii_case.h"
#include "monorder_internal.h"

namespace monorder::detail {

namespace {

constexpr bool startsWithDigit(const char* s) { return *s >= '0' && *s <= '9'; }

int32_t heightOf(const MonitorNode* node) { return node ? node->height : -1; }

void updateHeight(MonitorNode* node) {
    node->height = std::max(heightOf(node->left), heightOf(node->right)) + 1;
}

// Single rotations: the child on that side becomes the root of the subtree.
MonitorNode* rotateWithLeftChild(MonitorNode* top) {
    MonitorNode* child = top->left;
    top->left = child->right;
    child->right = top;
    updateHeight(top);
    updateHeight(child);
    return child;
}

MonitorNode* rotateWithRightChild(MonitorNode* top) {
    MonitorNode* child = top->right;
    top->right = child->left;
    child->left = top;
    updateHeight(top);
    updateHeight(child);
    return child;
}

// Restores the balance of a subtree whose children differ in height by at most 2 and are
// themselves balanced.
MonitorNode* rebalance(MonitorNode* node) {
    if (heightOf(node->left) - heightOf(node->right) > 1) {
        if (heightOf(node->left->left) < heightOf(node->left->right))
            node->left = rotateWithRightChild(node->left);
        return rotateWithLeftChild(node);
    }
    if (heightOf(node->right) - heightOf(node->left) > 1) {
        if (heightOf(node->right->right) < heightOf(node->right->left))
            node->right = rotateWithLeftChild(node->right);
        return rotateWithRightChild(node);
    }
    updateHeight(node);
    return node;
}

enum class Outcome { Inserted, Duplicate, OutOfSpace };

MonitorNode* insertInto(char* key, MonitorNode* node, Outcome& outcome) {
    if (!node) {
        auto* leaf = static_cast<MonitorNode*>(std::malloc(sizeof(MonitorNode)));
        if (!leaf) {
            outcome = Outcome::OutOfSpace;
            return nullptr;
        }
        *leaf = MonitorNode{key, nullptr, nullptr, 0};
        outcome = Outcome::Inserted;
        return leaf;
    }
    const int order = compareLines(key, node->key);
    if (order == 0) {
        outcome = Outcome::Duplicate;
        return node;
    }
    if (order < 0)
        node->left = insertInto(key, node->left, outcome);
    else
        node->right = insertInto(key, node->right, outcome);
    return outcome == Outcome::Inserted ? rebalance(node) : node;
}

}  // namespace

int compareLines(const char* a, const char* b) {
    const bool digitA = startsWithDigit(a);
    if (digitA != startsWithDigit(b)) return digitA ? 1 : -1;
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    for (;; ++x, ++y) {
        if (*x == *y) {
            if (*x == 0) return 0;
            continue;
        }
        const unsigned char cx = winplat::asciiLower(*x);
        const unsigned char cy = winplat::asciiLower(*y);
        if (cx != cy) return cx < cy ? -1 : 1;
    }
}

std::vector<const char*> inOrder(const MonitorNode* tree) {
    std::vector<const char*> keys;
    std::vector<const MonitorNode*> pending;
    const MonitorNode* node = tree;
    while (node || !pending.empty()) {
        for (; node; node = node->left) pending.push_back(node);
        node = pending.back();
        pending.pop_back();
        keys.push_back(node->key);
        node = node->right;
    }
    return keys;
}

namespace {

// The first fifteen bytes of a line as two numbers that order like compareLines: the digit
// class in the top byte, then the bytes with letters folded, zeros after the end.
struct OrderPrefix {
    uint64_t high, low;
    friend auto operator<=>(const OrderPrefix&, const OrderPrefix&) = default;
};

OrderPrefix orderPrefix(std::string_view line) {
    auto byteAt = [&](size_t i) -> uint64_t {
        return i < line.size() ? winplat::asciiLower(static_cast<unsigned char>(line[i])) : 0;
    };
    OrderPrefix prefix{startsWithDigit(line.data()) ? 1u : 0u, 0};
    for (size_t i = 0; i < 7; ++i) prefix.high = (prefix.high << 8) | byteAt(i);
    for (size_t i = 7; i < 15; ++i) prefix.low = (prefix.low << 8) | byteAt(i);
    return prefix;
}

char* copyLine(std::string_view line) {
    auto* key = static_cast<char*>(std::malloc(line.size() + 1));
    if (!key) return nullptr;
    std::memcpy(key, line.data(), line.size());
    key[line.size()] = '\0';
    return key;
}

// A perfectly balanced tree of the nodes in order (a valid height-balanced tree).
MonitorNode* buildBalanced(MonitorNode* const* nodes, size_t count) {
    if (count == 0) return nullptr;
    const size_t middle = count / 2;
    MonitorNode* root = nodes[middle];
    root->left = buildBalanced(nodes, middle);
    root->right = buildBalanced(nodes + middle + 1, count - middle - 1);
    updateHeight(root);
    return root;
}

// Collects the nodes of the tree in order, without recursion.
void nodesInOrder(MonitorNode* tree, std::vector<MonitorNode*>& nodes) {
    std::vector<MonitorNode*> pending;
    for (MonitorNode* node = tree; node || !pending.empty();) {
        for (; node; node = node->left) pending.push_back(node);
        node = pending.back();
        pending.pop_back();
        nodes.push_back(node);
        node = node->right;
    }
}

// The fewest nodes a height-balanced tree of this height holds.
size_t smallestTreeOfHeight(int32_t height) {
    size_t lower = 0, nodes = 1;  // heights -1 and 0
    for (int32_t h = 0; h < height && nodes < (SIZE_MAX >> 2); ++h) {
        const size_t next = nodes + lower + 1;
        lower = nodes;
        nodes = next;
    }
    return height < 0 ? 0 : nodes;
}

MonitorNode* newNode(std::string_view line) {
    char* key = copyLine(line);
    auto* node = key ? static_cast<MonitorNode*>(std::malloc(sizeof(MonitorNode))) : nullptr;
    if (!node) {
        std::free(key);
        printMessage("%s", "Out of space!!!");
        return nullptr;
    }
    *node = MonitorNode{key, nullptr, nullptr, 0};
    return node;
}

}  // namespace

MonitorTree insertAll(MonitorTree tree, const std::vector<std::string_view>& lines) {
    if (lines.empty()) return tree;
    // The new lines in order, duplicates reduced to the first one read.
    struct Candidate {
        OrderPrefix prefix;
        size_t index;
    };
    std::vector<Candidate> sorted(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) sorted[i] = {orderPrefix(lines[i]), i};
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Candidate& a, const Candidate& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        return compareLines(lines[a.index].data(), lines[b.index].data()) < 0;
    });
    std::vector<std::string_view> fresh;
    fresh.reserve(sorted.size());
    for (size_t i = 0; i < sorted.size(); ++i) {
        const std::string_view line = lines[sorted[i].index];
        if (fresh.empty() || sorted[i].prefix != sorted[i - 1].prefix ||
            compareLines(fresh.back().data(), line.data()) != 0)
            fresh.push_back(line);
    }

    // Few lines into a large tree: insert them one by one.
    if (fresh.size() < smallestTreeOfHeight(heightOf(tree)) / 16) {
        for (const std::string_view line : fresh)
            if (char* key = copyLine(line))
                tree = Insert(key, tree);
            else
                printMessage("%s", "Out of space!!!");
        return tree;
    }
    std::vector<MonitorNode*> existing;
    nodesInOrder(tree, existing);
    // Otherwise merge both ordered runs (the tree's line wins over an equal new one) and
    // rebuild a balanced tree from them: linear work, and the new lines arrive in order.
    std::vector<MonitorNode*> merged;
    merged.reserve(existing.size() + fresh.size());
    size_t e = 0;
    for (const std::string_view line : fresh) {
        int order = 1;
        for (; e < existing.size(); ++e) {
            order = compareLines(existing[e]->key, line.data());
            if (order >= 0) break;
            merged.push_back(existing[e]);
        }
        if (order == 0) continue;
        if (MonitorNode* node = newNode(line)) merged.push_back(node);
    }
    merged.insert(merged.end(), existing.begin() + static_cast<ptrdiff_t>(e), existing.end());
    return buildBalanced(merged.data(), merged.size());
}

}  // namespace monorder::detail

using monorder::detail::compareLines;
using monorder::detail::printMessage;

MONORDER_API MonitorTree MakeEmpty(MonitorTree tree) {
    // Rotates left children up until the root has none, then frees the root: no recursion
    // and no extra memory, whatever the shape of the tree.
    while (tree) {
        if (MonitorNode* left = tree->left) {
            tree->left = left->right;
            left->right = tree;
            tree = left;
        } else {
            MonitorNode* right = tree->right;
            std::free(tree->key);
            std::free(tree);
            tree = right;
        }
    }
    return nullptr;
}

MONORDER_API MonitorNode* Find(const char* key, MonitorTree tree) {
    if (!key) return nullptr;
    while (tree) {
        const int order = compareLines(key, tree->key);
        if (order == 0) return tree;
        tree = order < 0 ? tree->left : tree->right;
    }
    return nullptr;
}

MONORDER_API MonitorTree Insert(char* key, MonitorTree tree) {
    if (!key) return tree;
    auto outcome = monorder::detail::Outcome::Inserted;
    MonitorTree root = monorder::detail::insertInto(key, tree, outcome);
    if (outcome == monorder::detail::Outcome::Inserted) return root;
    if (outcome == monorder::detail::Outcome::OutOfSpace) printMessage("%s", "Out of space!!!");
    std::free(key);
    return root;
}

MONORDER_API MonitorTree Delete(const char* key, MonitorTree tree) {
    printMessage("Sorry; Delete is unimplemented; %s remains\n", key ? key : "(null)");
    return tree;
}

MONORDER_API char* Retrieve(MonitorNode* node) { return node ? node->key : nullptr; }
