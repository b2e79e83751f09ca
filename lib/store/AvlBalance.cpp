// Rotations and the rebalancing loop. A rotation moves nodes, never payloads,
// and turns a link that loses its child into a thread to the node that moved.
#include "store/AvlLinks.h"
#include "store/AvlTree.h"

using zor::hasLeftChild;
using zor::hasRightChild;

namespace {

constexpr std::uint32_t leftSide = AVL_ITEM::leftIsChild;
constexpr std::uint32_t rightSide = AVL_ITEM::rightIsChild;

// owner's link on `side` takes donor's child on `donorSide`, or becomes a thread
// to donor when it has none there (donor is then owner's neighbour in order).
void takeSubtree(AVL_ITEM* owner, std::uint32_t side, AVL_ITEM* donor, std::uint32_t donorSide) {
    AVL_ITEM*& link = zor::linkOf(owner, side);
    if ((donor->flags & donorSide) != 0) {
        link = zor::linkOf(donor, donorSide);
        link->parent = owner;
        owner->flags |= side;
    } else {
        link = donor;
        owner->flags &= ~side;
    }
}

void setChildren(AVL_ITEM* top, AVL_ITEM* left, AVL_ITEM* right) {
    top->left = left;
    top->right = right;
    top->flags = leftSide | rightSide;
    left->parent = top;
    right->parent = top;
}

}  // namespace

void AVL_TREE::replaceChild(AVL_ITEM* old, AVL_ITEM* replacement) {
    AVL_ITEM* up = old->parent;
    replacement->parent = up;
    if (up == nullptr)
        avlRoot = replacement;
    else if (zor::isRightChild(old))
        up->right = replacement;
    else
        up->left = replacement;
}

// Left rotation of x, whose balance is +2 and whose right child leans right or not at all.
AVL_ITEM* AVL_TREE::avl_rr(AVL_ITEM* x) {
    AVL_ITEM* r = x->right;
    takeSubtree(x, rightSide, r, leftSide);
    replaceChild(x, r);
    r->left = x;
    r->flags |= leftSide;
    x->parent = r;
    x->balance = x->balance - r->balance - 1;
    r->balance -= 1;
    return r;
}

// Right rotation, the mirror of avl_rr.
AVL_ITEM* AVL_TREE::avl_ll(AVL_ITEM* x) {
    AVL_ITEM* l = x->left;
    takeSubtree(x, leftSide, l, rightSide);
    replaceChild(x, l);
    l->right = x;
    l->flags |= rightSide;
    x->parent = l;
    x->balance = x->balance - l->balance + 1;
    l->balance += 1;
    return l;
}

// Left-right rotation: x leans left, its left child right; that grandchild rises.
AVL_ITEM* AVL_TREE::avl_lr(AVL_ITEM* x) {
    AVL_ITEM* l = x->left;
    AVL_ITEM* g = l->right;
    takeSubtree(l, rightSide, g, leftSide);
    takeSubtree(x, leftSide, g, rightSide);
    replaceChild(x, g);
    setChildren(g, l, x);
    l->balance = g->balance == 1 ? -1 : 0;
    x->balance = g->balance == -1 ? 1 : 0;
    g->balance = 0;
    return g;
}

// Right-left rotation, the mirror of avl_lr.
AVL_ITEM* AVL_TREE::avl_rl(AVL_ITEM* x) {
    AVL_ITEM* r = x->right;
    AVL_ITEM* g = r->left;
    takeSubtree(x, rightSide, g, leftSide);
    takeSubtree(r, leftSide, g, rightSide);
    replaceChild(x, g);
    setChildren(g, x, r);
    x->balance = g->balance == 1 ? -1 : 0;
    r->balance = g->balance == -1 ? 1 : 0;
    g->balance = 0;
    return g;
}

// Picks the rotation for x (balance +2 or -2) and answers the subtree's new top;
// lowered tells whether the subtree ended one level lower than before.
AVL_ITEM* AVL_TREE::rotateAt(AVL_ITEM* x, bool& lowered) {
    if (x->balance == 2 && hasRightChild(x)) {
        int lean = x->right->balance;
        if (lean == -1) {
            lowered = true;
            return avl_rl(x);
        }
        if (lean == 0 || lean == 1) {
            AVL_ITEM* top = avl_rr(x);
            lowered = top->balance == 0;
            return top;
        }
    } else if (x->balance == -2 && hasLeftChild(x)) {
        int lean = x->left->balance;
        if (lean == 1) {
            lowered = true;
            return avl_lr(x);
        }
        if (lean == 0 || lean == -1) {
            AVL_ITEM* top = avl_ll(x);
            lowered = top->balance == 0;
            return top;
        }
    }
    zor::avlFatal(zor::avlTreeDamaged, "AVL_TREE: damaged tree\n");
}

// After a removal a rotation may lower its subtree, which can unbalance an ancestor
// in turn; so rotate until a subtree keeps its height or the root is reached.
void AVL_TREE::avl_bal(AVL_ITEM* x) {
    while (x != nullptr) {
        bool lowered = false;
        AVL_ITEM* top = rotateAt(x, lowered);
        x = lowered ? zor::shrinkFrom(top) : nullptr;
    }
}

AVL_ITEM* zor::growFrom(AVL_ITEM* node) {
    for (AVL_ITEM* up = node->parent; up != nullptr; node = up, up = up->parent) {
        int balance = isRightChild(node) ? ++up->balance : --up->balance;
        if (balance == 0) return nullptr;
        if (balance < -1 || balance > 1) return up;
    }
    return nullptr;
}

AVL_ITEM* zor::shrinkFrom(AVL_ITEM* node) {
    for (AVL_ITEM* up = node->parent; up != nullptr; node = up, up = up->parent) {
        int balance = isRightChild(node) ? --up->balance : ++up->balance;
        if (balance < -1 || balance > 1) return up;
        if (balance != 0) return nullptr;
    }
    return nullptr;
}
