// Text blocks for elements. Blocks of the string heap pass through a small
// cache per thread: a thread that releases a block and soon asks for one of
// the same order (an element rewritten, a record cleared and refilled) needs
// neither the heap's lock nor its splits and merges. A block may be released
// on another thread than the one that had it; every cached block belongs to
// the one process-wide heap and goes back to it when the cache is full or its
// thread ends. To the heap a cached block is still in use: only the heap
// writes block headers, under its lock, while other threads read them to merge.
// Elements release each of their blocks exactly once, so the cache needs no
// guard against a second release.
#include "store/TextBlock.h"

#include <cstdlib>

#include "store/StringHeap.h"

namespace zor {

namespace {

constexpr int cacheDepth = 8;

// Plain thread-local data, usable up to the thread's very end.
struct CacheState {
    void* blocks[StringHeap::orderCount][cacheDepth];
    int count[StringHeap::orderCount];
    bool registered;
    bool closed;  // after the flush at thread end: releases go straight to the heap
};

thread_local CacheState cache;

// Gives the thread's cached blocks back to the heap when the thread ends.
struct CacheFlusher {
    ~CacheFlusher() {
        for (int order = 0; order < StringHeap::orderCount; ++order) {
            while (cache.count[order] > 0) {
                stringHeap().release(cache.blocks[order][--cache.count[order]]);
            }
        }
        cache.closed = true;
    }
};

thread_local CacheFlusher flusher;

void* takeCached(int order) {
    if (cache.count[order] == 0) return nullptr;
    return cache.blocks[order][--cache.count[order]];
}

// True when the block was kept here (or is no block in use, and ignored).
bool keepCached(void* block) {
    if (cache.closed) return false;
    if (!cache.registered) {
        cache.registered = true;
        static_cast<void>(&flusher);  // makes the thread run the flusher at its end
    }
    int order = StringHeap::blockOrder(block);
    if (order == 0) return true;
    if (cache.count[order] == cacheDepth) return false;
    cache.blocks[order][cache.count[order]++] = block;
    return true;
}

bool fitsStringHeap(std::size_t size) {
    return size <= static_cast<std::size_t>(StringHeap::largestRequest);
}

}  // namespace

void* allocText(std::size_t size) {
    if (size < 1) return nullptr;
    if (!fitsStringHeap(size)) return std::malloc(size);
    if (void* block = takeCached(StringHeap::orderFor(size))) return block;
    return stringHeap().allocate(size);
}

void releaseText(void* block, std::size_t size) {
    if (!block) return;
    if (!fitsStringHeap(size)) {
        std::free(block);
        return;
    }
    if (!keepCached(block)) stringHeap().release(block);
}

}  // namespace zor
