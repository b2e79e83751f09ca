// AVL_TREE: an intrusive, threaded AVL tree that orders payloads (LOCAL_DAT) by a
// virtual comparison. Equal keys are kept, in insertion order. The tree allocates
// its nodes (AVL_ITEM) from its own pool of fixed-size blocks and never owns the
// payloads: clearing or destroying it releases nodes only.
//
// Two conditions end the process, because no caller could recover from them:
// the pool cannot grow (exit status 1) and a balance no rotation covers, which
// means the tree's memory was overwritten (exit status 2).
#pragma once

#include <cstdint>

#include "ZorExport.h"

struct AVL_ITEM;

// Base of every payload: remembers the node that carries it, so that neighbours
// and removal need no search.
class ZORLIB_API LOCAL_DAT {
public:
    LOCAL_DAT() = default;
    // A copy is not in any tree; assigning keeps the target's own tree position.
    LOCAL_DAT(const LOCAL_DAT&) : avlItem(nullptr) {}
    LOCAL_DAT& operator=(const LOCAL_DAT&) { return *this; }

    // The payload just before and just after this one in its tree, or null.
    LOCAL_DAT* avl_nextlower() const;
    LOCAL_DAT* avl_nextupper() const;

    // The node carrying this payload; null while it is in no tree.
    AVL_ITEM* getAvlItem() const { return avlItem; }

private:
    friend class AVL_TREE;
    AVL_ITEM* avlItem = nullptr;
};

// One tree node. A link whose flag bit is clear is a thread: left points at the
// in-order predecessor, right at the successor (null at the ends of the order).
struct ZORLIB_API AVL_ITEM {
    static constexpr std::uint32_t leftIsChild = 1;
    static constexpr std::uint32_t rightIsChild = 2;

    LOCAL_DAT* data;  // while the slot is free in the pool: the next free slot
    AVL_ITEM* left;
    AVL_ITEM* right;
    AVL_ITEM* parent;      // null for the root
    std::int32_t balance;  // height of right subtree minus height of left subtree
    std::uint32_t flags;   // leftIsChild | rightIsChild
};

class ZORLIB_API AVL_TREE {
public:
    // The most slots of a pool block; the first slot of a block is its header.
    static constexpr int poolBlockSlots = 100;

    AVL_TREE() = default;
    virtual ~AVL_TREE();
    // Trees are never copied: a copy would share the nodes of the original.
    AVL_TREE(const AVL_TREE&) = delete;
    AVL_TREE& operator=(const AVL_TREE&) = delete;

    // Releases every node block; the payloads are left untouched.
    void avl_clear();

    // Inserts the payload after all payloads equal to it.
    void avl_push(LOCAL_DAT* payload);
    // Answers the present payload equal to the argument, or inserts and answers the argument.
    LOCAL_DAT* avl_join(LOCAL_DAT* payload);
    // Removes the payload from the tree without deleting it; a payload that is not in
    // this tree is left alone.
    void avl_pull(LOCAL_DAT* payload);

    // A payload equal to the key, or null.
    LOCAL_DAT* avl_search(LOCAL_DAT& key) const;
    // The greatest payload not above the key, or null.
    LOCAL_DAT* avl_loweq(LOCAL_DAT& key) const;
    // The smallest payload not below the key, or null.
    LOCAL_DAT* avl_uppeq(LOCAL_DAT& key) const;
    LOCAL_DAT* avl_lowest() const;
    LOCAL_DAT* avl_highest() const;

    // Calls visit(payload, context) for every payload in ascending order.
    void avl_handle(void (*visit)(LOCAL_DAT*, void*), void* context) const;

protected:
    // Negative, zero or positive as the node's payload sorts before, with or after
    // the key; the tree always passes its own payload first.
    virtual int compare(LOCAL_DAT* nodeData, LOCAL_DAT* key) const = 0;

    AVL_ITEM* avlRoot = nullptr;
    AVL_ITEM* poolNext = nullptr;    // next free slot of the pool
    AVL_ITEM* poolEnd = nullptr;     // end of the pool's current block
    AVL_ITEM* poolBlocks = nullptr;  // header slot of the newest block; headers chain

private:
    AVL_ITEM* avl_init(LOCAL_DAT* payload, AVL_ITEM*& link);
    AVL_ITEM* avl_new();
    void avl_free(AVL_ITEM* node);

    AVL_ITEM* avl_rr(AVL_ITEM* x);
    AVL_ITEM* avl_ll(AVL_ITEM* x);
    AVL_ITEM* avl_lr(AVL_ITEM* x);
    AVL_ITEM* avl_rl(AVL_ITEM* x);
    AVL_ITEM* rotateAt(AVL_ITEM* x, bool& lowered);
    void avl_bal(AVL_ITEM* x);

    AVL_ITEM* insert(LOCAL_DAT* payload, bool joinEqual);
    AVL_ITEM* hang(AVL_ITEM* parent, LOCAL_DAT* payload, bool onRight);
    void replaceChild(AVL_ITEM* old, AVL_ITEM* replacement);
    static AVL_ITEM* swapWithSuccessor(AVL_ITEM* node);
    void unlink(AVL_ITEM* node);
    bool holds(const LOCAL_DAT* payload) const;
};
