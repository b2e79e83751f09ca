// Link helpers shared by the tree's sources: child tests, extreme nodes of a
// subtree and in-order neighbours through threads.
#pragma once

#include <cstdint>

#include "store/AvlTree.h"

namespace zor {

inline bool hasLeftChild(const AVL_ITEM* node) {
    return (node->flags & AVL_ITEM::leftIsChild) != 0;
}

inline bool hasRightChild(const AVL_ITEM* node) {
    return (node->flags & AVL_ITEM::rightIsChild) != 0;
}

inline AVL_ITEM* leftChild(const AVL_ITEM* node) {
    return hasLeftChild(node) ? node->left : nullptr;
}

inline AVL_ITEM* rightChild(const AVL_ITEM* node) {
    return hasRightChild(node) ? node->right : nullptr;
}

// side is AVL_ITEM::leftIsChild or AVL_ITEM::rightIsChild.
inline AVL_ITEM*& linkOf(AVL_ITEM* node, std::uint32_t side) {
    return side == AVL_ITEM::rightIsChild ? node->right : node->left;
}

inline bool isRightChild(const AVL_ITEM* node) {
    const AVL_ITEM* up = node->parent;
    return up != nullptr && hasRightChild(up) && up->right == node;
}

inline AVL_ITEM* leftmost(AVL_ITEM* node) {
    while (hasLeftChild(node)) node = node->left;
    return node;
}

inline AVL_ITEM* rightmost(AVL_ITEM* node) {
    while (hasRightChild(node)) node = node->right;
    return node;
}

inline AVL_ITEM* predecessor(const AVL_ITEM* node) {
    return hasLeftChild(node) ? rightmost(node->left) : node->left;
}

inline AVL_ITEM* successor(const AVL_ITEM* node) {
    return hasRightChild(node) ? leftmost(node->right) : node->right;
}

// The subtree of node grew by one level: update the balances above it and answer
// the lowest ancestor that needs a rotation, or null.
AVL_ITEM* growFrom(AVL_ITEM* node);
// The subtree of node lost one level: the same walk for a decrease in height.
AVL_ITEM* shrinkFrom(AVL_ITEM* node);

// Exit statuses of the two conditions that end the process.
constexpr int avlPoolExhausted = 1;
constexpr int avlTreeDamaged = 2;

[[noreturn]] void avlFatal(int status, const char* reason);

}  // namespace zor
