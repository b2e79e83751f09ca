#include "AvlTestTree.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace avltest {
namespace {

bool hasLeft(const AVL_ITEM* node) {
    return (node->flags & AVL_ITEM::leftIsChild) != 0;
}
bool hasRight(const AVL_ITEM* node) {
    return (node->flags & AVL_ITEM::rightIsChild) != 0;
}

struct Walk {
    std::vector<const AVL_ITEM*> inOrder;
    std::ostringstream fault;
};

void report(Walk& walk, const AVL_ITEM* node, const char* what) {
    if (walk.fault.tellp() == 0) walk.fault << what << " at key " << itemOf(node)->key;
}

// Answers the subtree's height while collecting its nodes in order.
int measure(const AVL_ITEM* node, const AVL_ITEM* parent, Walk& walk) {
    if (node->parent != parent) report(walk, node, "wrong parent link");
    if (node->data == nullptr || node->data->getAvlItem() != node)
        report(walk, node, "payload does not point back at its node");
    if ((node->flags & ~(AVL_ITEM::leftIsChild | AVL_ITEM::rightIsChild)) != 0)
        report(walk, node, "stray flag bits");
    int left = hasLeft(node) ? measure(node->left, node, walk) : 0;
    walk.inOrder.push_back(node);
    int right = hasRight(node) ? measure(node->right, node, walk) : 0;
    if (node->balance != right - left) report(walk, node, "balance differs from heights");
    if (std::abs(node->balance) > 1) report(walk, node, "balance out of range");
    return 1 + std::max(left, right);
}

void checkThreads(Walk& walk) {
    const auto& nodes = walk.inOrder;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const AVL_ITEM* before = i > 0 ? nodes[i - 1] : nullptr;
        const AVL_ITEM* after = i + 1 < nodes.size() ? nodes[i + 1] : nullptr;
        if (!hasLeft(nodes[i]) && nodes[i]->left != before) report(walk, nodes[i], "left thread");
        if (!hasRight(nodes[i]) && nodes[i]->right != after) report(walk, nodes[i], "right thread");
    }
}

void collect(LOCAL_DAT* payload, void* context) {
    static_cast<std::vector<Item*>*>(context)->push_back(static_cast<Item*>(payload));
}

void checkNavigation(const IntTree& tree, const std::vector<Item*>& order, Walk& walk) {
    for (size_t i = 0; i < order.size(); ++i) {
        LOCAL_DAT* before = i > 0 ? order[i - 1] : nullptr;
        LOCAL_DAT* after = i + 1 < order.size() ? order[i + 1] : nullptr;
        if (order[i]->avl_nextlower() != before) report(walk, walk.inOrder[i], "avl_nextlower");
        if (order[i]->avl_nextupper() != after) report(walk, walk.inOrder[i], "avl_nextupper");
    }
    LOCAL_DAT* lowest = order.empty() ? nullptr : order.front();
    LOCAL_DAT* highest = order.empty() ? nullptr : order.back();
    if (tree.avl_lowest() != lowest || tree.avl_highest() != highest)
        walk.fault << "avl_lowest or avl_highest";
    std::vector<Item*> visited;
    tree.avl_handle(collect, &visited);
    if (visited != order) walk.fault << "avl_handle order";
}

}  // namespace

int height(const AVL_ITEM* node) {
    if (node == nullptr) return 0;
    int left = hasLeft(node) ? height(node->left) : 0;
    int right = hasRight(node) ? height(node->right) : 0;
    return 1 + std::max(left, right);
}

int IntTree::blockCount() const {
    int count = 0;
    for (const AVL_ITEM* block = poolBlocks; block != nullptr;
         block = reinterpret_cast<const AVL_ITEM*>(block->data))
        ++count;
    return count;
}

::testing::AssertionResult isSound(const IntTree& tree, const std::vector<Item*>& order) {
    Walk walk;
    if (tree.root() != nullptr) measure(tree.root(), nullptr, walk);
    checkThreads(walk);
    std::vector<Item*> payloads;
    for (const AVL_ITEM* node : walk.inOrder) payloads.push_back(itemOf(node));
    if (walk.fault.tellp() == 0 && payloads != order) walk.fault << "payload order";
    if (walk.fault.tellp() == 0) checkNavigation(tree, order, walk);
    if (walk.fault.tellp() == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << walk.fault.str() << " (" << order.size() << " payloads)";
}

}  // namespace avltest
