// The element pool: zero-filled 100-slot blocks from the general heap, the first slot of
// each being its header. Released slots are chained through their first word
// and handed out again last-released-first; untouched slots read zero there.
// When the last element is deleted every block goes back to the general heap.
// One lock guards it all: elements are made on the script thread and, for
// trace records, on any thread.
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "store/SpinLock.h"
#include "store/StoreInternals.h"

namespace zor {

namespace {

constinit SpinLock poolLock;

// Blocks start on a cache line, so that an element's name (its first field)
// shares a line with the link and the inline name buffer.
constexpr std::size_t cacheLine = 64;
constexpr std::size_t blockBytes =
    (ElementAccess::blockSlots * sizeof(StoreEl) + cacheLine - 1) / cacheLine * cacheLine;

void* newBlock() {
    void* block = std::aligned_alloc(cacheLine, blockBytes);
    if (block) std::memset(block, 0, blockBytes);
    return block;
}

void* readLink(const void* slot) {
    void* link;
    std::memcpy(&link, slot, sizeof link);
    return link;
}

void writeLink(void* slot, const void* link) {
    std::memcpy(slot, &link, sizeof link);
}

StoreEl* slotAfter(void* slot, int slots = 1) {
    return reinterpret_cast<StoreEl*>(static_cast<char*>(slot) + slots * sizeof(StoreEl));
}

}  // namespace

void* ElementAccess::poolAllocate() noexcept {
    std::lock_guard<SpinLock> guard(poolLock);
    if (StoreEl::start == StoreEl::end) {
        void* block = newBlock();
        if (!block) return nullptr;
        writeLink(block, StoreEl::list);
        StoreEl::list = static_cast<StoreEl*>(block);
        StoreEl::start = slotAfter(block);
        StoreEl::end = slotAfter(block, blockSlots);
    }
    StoreEl* slot = StoreEl::start;
    void* link = readLink(slot);
    StoreEl::start = link ? static_cast<StoreEl*>(link) : slotAfter(slot);
    ++StoreEl::ctr;
    return slot;
}

void ElementAccess::poolRelease(void* slot) noexcept {
    std::lock_guard<SpinLock> guard(poolLock);
    writeLink(slot, StoreEl::start);
    StoreEl::start = static_cast<StoreEl*>(slot);
    if (--StoreEl::ctr > 0) return;
    for (void* block = StoreEl::list; block;) {
        void* older = readLink(block);
        std::free(block);
        block = older;
    }
    StoreEl::start = nullptr;
    StoreEl::end = nullptr;
    StoreEl::list = nullptr;
}

int ElementAccess::liveElements() {
    std::lock_guard<SpinLock> guard(poolLock);
    return StoreEl::ctr;
}

int ElementAccess::poolBlocks() {
    std::lock_guard<SpinLock> guard(poolLock);
    int count = 0;
    for (void* block = StoreEl::list; block; block = readLink(block)) ++count;
    return count;
}

const void* ElementAccess::nextSlot() {
    std::lock_guard<SpinLock> guard(poolLock);
    return StoreEl::start;
}

}  // namespace zor
