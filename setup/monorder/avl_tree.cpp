// The height-balanced binary search tree of model lines.
#include <algorithm>
#include <cstdlib>

#include "monorder_internal.h"

namespace monorder::detail {

namespace {

constexpr unsigned char foldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

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
        const unsigned char cx = foldCase(*x);
        const unsigned char cy = foldCase(*y);
        if (cx != cy) return cx < cy ? -1 : 1;
        if (cx == 0) return 0;
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
