// The tree's node pool: blocks taken from the heap in one call each, whose
// first slot chains the blocks and keeps the block's size. A tree's first block
// is small and each next one twice the last, up to poolBlockSlots: most trees
// hold a record's few fields, and zero-filling a full block for each of them
// cost more than the whole run's parsing. Freed nodes are reused last freed
// first; untouched slots of the newest block are handed out in order.
#include <cstdio>
#include <cstdlib>

#include "store/AvlLinks.h"
#include "store/AvlTree.h"

namespace {

// A free slot, and a block header, keep their link in the first word.
AVL_ITEM* linkIn(const AVL_ITEM* slot) {
    return reinterpret_cast<AVL_ITEM*>(slot->data);
}

void setLink(AVL_ITEM* slot, AVL_ITEM* link) {
    slot->data = reinterpret_cast<LOCAL_DAT*>(link);
}

constexpr int firstBlockSlots = 8;

int nextBlockSlots(const AVL_ITEM* newest) {
    if (newest == nullptr) return firstBlockSlots;
    return newest->balance * 2 < AVL_TREE::poolBlockSlots ? newest->balance * 2
                                                          : AVL_TREE::poolBlockSlots;
}

}  // namespace

// _Exit rather than exit: exit would run the destructors of process-wide
// records, which walk this tree (damaged, or needing memory the heap no longer
// has) and could turn a clean status into a crash. No file the library writes
// stays open between blocks, so only stdio needs flushing.
[[noreturn]] void zor::avlFatal(int status, const char* reason) {
    std::fputs(reason, stderr);
    std::fflush(nullptr);
    std::_Exit(status);
}

AVL_TREE::~AVL_TREE() {
    avl_clear();
}

void AVL_TREE::avl_clear() {
    while (poolBlocks != nullptr) {
        AVL_ITEM* older = linkIn(poolBlocks);
        std::free(poolBlocks);
        poolBlocks = older;
    }
    avlRoot = nullptr;
    poolNext = nullptr;
    poolEnd = nullptr;
}

AVL_ITEM* AVL_TREE::avl_new() {
    if (poolNext == poolEnd) {
        const int slots = nextBlockSlots(poolBlocks);
        // Zero-filled, so that an untouched slot is told from a freed one by its link.
        auto* block = static_cast<AVL_ITEM*>(std::calloc(slots, sizeof(AVL_ITEM)));
        if (block == nullptr)
            zor::avlFatal(zor::avlPoolExhausted, "AVL_TREE: node pool cannot grow\n");
        setLink(block, poolBlocks);
        block->balance = slots;
        poolBlocks = block;
        poolNext = block + 1;
        poolEnd = block + slots;
    }
    AVL_ITEM* slot = poolNext;
    AVL_ITEM* link = linkIn(slot);
    poolNext = link != nullptr ? link : slot + 1;
    return slot;
}

void AVL_TREE::avl_free(AVL_ITEM* node) {
    setLink(node, poolNext);
    poolNext = node;
}

AVL_ITEM* AVL_TREE::avl_init(LOCAL_DAT* payload, AVL_ITEM*& link) {
    AVL_ITEM* node = avl_new();
    *node = AVL_ITEM{payload, nullptr, nullptr, nullptr, 0, 0};
    payload->avlItem = node;
    link = node;
    return node;
}
