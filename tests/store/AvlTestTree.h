// A tree of int keys for the AVL tests, and a full structural check of a tree
// against the payload order it should hold.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "store/AvlTree.h"

namespace avltest {

// seq tells equal keys apart, so that their order can be checked.
struct Item : LOCAL_DAT {
    Item(int k, int s = 0) : key(k), seq(s) {}
    int key;
    int seq;
};

class IntTree : public AVL_TREE {
public:
    AVL_ITEM* root() const { return avlRoot; }
    int blockCount() const;

protected:
    int compare(LOCAL_DAT* nodeData, LOCAL_DAT* key) const override {
        int a = static_cast<Item*>(nodeData)->key;
        int b = static_cast<Item*>(key)->key;
        return (a > b) - (a < b);
    }
};

inline Item* itemOf(const AVL_ITEM* node) {
    return node != nullptr ? static_cast<Item*>(node->data) : nullptr;
}

int height(const AVL_ITEM* node);

// Checks parent links, balances against real heights, threads, the payloads' node
// pointers, the neighbour and traversal operations, and that the payloads in order
// are exactly `order`.
::testing::AssertionResult isSound(const IntTree& tree, const std::vector<Item*>& order);

}  // namespace avltest
