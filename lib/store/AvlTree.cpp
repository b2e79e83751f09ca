// Searches, neighbours, traversal, insertion and removal of the threaded AVL tree.
#include "store/AvlTree.h"

#include "store/AvlLinks.h"

using zor::hasLeftChild;
using zor::hasRightChild;

namespace {

LOCAL_DAT* dataOf(const AVL_ITEM* node) {
    return node != nullptr ? node->data : nullptr;
}

}  // namespace

LOCAL_DAT* LOCAL_DAT::avl_nextlower() const {
    return avlItem != nullptr ? dataOf(zor::predecessor(avlItem)) : nullptr;
}

LOCAL_DAT* LOCAL_DAT::avl_nextupper() const {
    return avlItem != nullptr ? dataOf(zor::successor(avlItem)) : nullptr;
}

LOCAL_DAT* AVL_TREE::avl_search(LOCAL_DAT& key) const {
    const AVL_ITEM* node = avlRoot;
    while (node != nullptr) {
        int order = compare(node->data, &key);
        if (order == 0) return node->data;
        node = order > 0 ? zor::leftChild(node) : zor::rightChild(node);
    }
    return nullptr;
}

LOCAL_DAT* AVL_TREE::avl_loweq(LOCAL_DAT& key) const {
    LOCAL_DAT* found = nullptr;
    const AVL_ITEM* node = avlRoot;
    while (node != nullptr) {
        if (compare(node->data, &key) > 0) {
            node = zor::leftChild(node);
        } else {
            found = node->data;
            node = zor::rightChild(node);
        }
    }
    return found;
}

LOCAL_DAT* AVL_TREE::avl_uppeq(LOCAL_DAT& key) const {
    LOCAL_DAT* found = nullptr;
    const AVL_ITEM* node = avlRoot;
    while (node != nullptr) {
        if (compare(node->data, &key) < 0) {
            node = zor::rightChild(node);
        } else {
            found = node->data;
            node = zor::leftChild(node);
        }
    }
    return found;
}

LOCAL_DAT* AVL_TREE::avl_lowest() const {
    return avlRoot != nullptr ? zor::leftmost(avlRoot)->data : nullptr;
}

LOCAL_DAT* AVL_TREE::avl_highest() const {
    return avlRoot != nullptr ? zor::rightmost(avlRoot)->data : nullptr;
}

// Follows the threads, so no stack grows with the tree; the successor is taken
// after the call, so a visit may insert payloads.
void AVL_TREE::avl_handle(void (*visit)(LOCAL_DAT*, void*), void* context) const {
    if (visit == nullptr || avlRoot == nullptr) return;
    for (AVL_ITEM* node = zor::leftmost(avlRoot); node != nullptr; node = zor::successor(node))
        visit(node->data, context);
}

void AVL_TREE::avl_push(LOCAL_DAT* payload) {
    if (payload != nullptr) insert(payload, false);
}

LOCAL_DAT* AVL_TREE::avl_join(LOCAL_DAT* payload) {
    return payload != nullptr ? insert(payload, true)->data : nullptr;
}

// Walks down as a search would, going right on equal keys so that a new payload
// follows its equals; with joinEqual the first equal node met is answered instead.
AVL_ITEM* AVL_TREE::insert(LOCAL_DAT* payload, bool joinEqual) {
    if (avlRoot == nullptr) return avl_init(payload, avlRoot);
    AVL_ITEM* node = avlRoot;
    for (;;) {
        int order = compare(node->data, payload);
        if (order == 0 && joinEqual) return node;
        if (order > 0) {
            if (!hasLeftChild(node)) return hang(node, payload, false);
            node = node->left;
        } else {
            if (!hasRightChild(node)) return hang(node, payload, true);
            node = node->right;
        }
    }
}

// Hangs a new leaf under parent. The leaf inherits parent's thread on that side and
// threads back to parent on the other. An insertion is settled by one rotation at
// most, which restores the subtree's former height, so nothing above it changes.
AVL_ITEM* AVL_TREE::hang(AVL_ITEM* parent, LOCAL_DAT* payload, bool onRight) {
    AVL_ITEM*& link = onRight ? parent->right : parent->left;
    AVL_ITEM* thread = link;
    AVL_ITEM* leaf = avl_init(payload, link);
    leaf->parent = parent;
    if (onRight) {
        leaf->left = parent;
        leaf->right = thread;
        parent->flags |= AVL_ITEM::rightIsChild;
    } else {
        leaf->left = thread;
        leaf->right = parent;
        parent->flags |= AVL_ITEM::leftIsChild;
    }
    if (AVL_ITEM* unbalanced = zor::growFrom(leaf)) {
        bool lowered = false;
        rotateAt(unbalanced, lowered);
    }
    return leaf;
}

// Moves the payload of node's in-order successor into node and node's payload into
// the successor's node, which has no left child and is therefore easy to unlink.
AVL_ITEM* AVL_TREE::swapWithSuccessor(AVL_ITEM* node) {
    AVL_ITEM* next = zor::leftmost(node->right);
    LOCAL_DAT* moved = next->data;
    next->data = node->data;
    node->data = moved;
    node->data->avlItem = node;
    next->data->avlItem = next;
    return next;
}

void AVL_TREE::avl_pull(LOCAL_DAT* payload) {
    if (payload == nullptr || !holds(payload)) return;
    AVL_ITEM* node = payload->avlItem;
    if (hasLeftChild(node) && hasRightChild(node)) node = swapWithSuccessor(node);
    // Balances are settled while node is still linked, as the path to it is needed.
    AVL_ITEM* unbalanced = zor::shrinkFrom(node);
    unlink(node);
    avl_free(node);
    payload->avlItem = nullptr;
    if (unbalanced != nullptr) avl_bal(unbalanced);
}

// Removes node, which has at most one child, and repairs the threads that pointed
// at it: the neighbour on its child's side takes over node's outer thread.
void AVL_TREE::unlink(AVL_ITEM* node) {
    AVL_ITEM* up = node->parent;
    if (hasLeftChild(node)) {
        zor::rightmost(node->left)->right = node->right;
        replaceChild(node, node->left);
    } else if (hasRightChild(node)) {
        zor::leftmost(node->right)->left = node->left;
        replaceChild(node, node->right);
    } else if (up == nullptr) {
        avlRoot = nullptr;
    } else if (zor::isRightChild(node)) {
        up->right = node->right;
        up->flags &= ~AVL_ITEM::rightIsChild;
    } else {
        up->left = node->left;
        up->flags &= ~AVL_ITEM::leftIsChild;
    }
}

// A payload that was never inserted, was already removed or belongs to another
// tree is refused, as removing it would corrupt the pool or the other tree.
bool AVL_TREE::holds(const LOCAL_DAT* payload) const {
    const AVL_ITEM* node = payload->avlItem;
    if (node == nullptr || node->data != payload) return false;
    while (node->parent != nullptr) node = node->parent;
    return node == avlRoot;
}
