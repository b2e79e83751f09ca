// StringHeap: the buddy allocator for element names and string values that do
// not fit an element's inline buffers. Blocks are powers of two from 8 to 512
// bytes, carved from 512-byte pages; each block starts with a 4-byte header,
// so the largest request is 508 bytes (507 characters and a terminator).
//
// Every page sits in the heap list of its largest free order (a full page in
// list 0), so an allocation finds a page with a large enough block by looking
// at list heads only. Pages are never given back while the heap lives.
// All operations take the heap's lock: records are built on several threads.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "store/SpinLock.h"

namespace zor {

class StringHeap {
public:
    static constexpr int pageSize = 512;
    static constexpr int headerSize = 4;
    static constexpr int minOrder = 3;
    static constexpr int maxOrder = 9;
    static constexpr int orderCount = 10;
    static constexpr int largestRequest = pageSize - headerSize;
    // Header flags: a block in use carries 0x80 with its order; a header with
    // 0x20 or 0x40 set was not written by this heap.
    static constexpr std::uint16_t inUseFlag = 0x80;
    static constexpr std::uint16_t foreignFlags = 0x60;
    static constexpr std::uint16_t orderBits = 0x1F;

    struct Page;

    constexpr StringHeap() = default;
    // Returns every page to the general heap (the process-wide heap is never destroyed).
    ~StringHeap();
    StringHeap(const StringHeap&) = delete;
    StringHeap& operator=(const StringHeap&) = delete;

    // At least size bytes, not zeroed; null for a size below 1 or above 508,
    // or when no page can be had.
    void* allocate(std::size_t size);
    // The order of the block that a request of this size gets; -1 when none can.
    static int orderFor(std::size_t size) {
        if (size < 1 || size > static_cast<std::size_t>(largestRequest)) return -1;
        int order = static_cast<int>(std::bit_width(size + headerSize - 1));
        return order < minOrder ? minOrder : order;
    }
    // Gives a block back; null and anything that is not a block in use here are ignored.
    void release(void* payload);

    // Inspection, for tests and diagnostics.
    const Page* listHead(int order) const;
    static const Page* nextPage(const Page* page);
    static int largestFreeOrder(const Page* page);
    static int freeBlocks(const Page* page, int order);
    // The order of the block in use that holds this payload, 0 if it is free.
    static int blockOrder(const void* payload) {
        std::uint16_t flags = flagsOf(payload);
        return (flags & inUseFlag) && !(flags & foreignFlags) ? flags & orderBits : 0;
    }
    int pageCount() const;

private:
    static std::uint16_t flagsOf(const void* payload) {
        std::uint16_t flags;
        std::memcpy(&flags, static_cast<const unsigned char*>(payload) - headerSize, sizeof flags);
        return flags;
    }

    Page* newPage();
    void* allocateIn(Page* page, int order);
    void releaseIn(Page* page, std::uint16_t offset, int order);
    Page* pageOf(void* payload, std::uint16_t& offset, int& order) const;
    void unlinkPage(Page* page, int list);
    void pushPage(Page* page, int list);

    Page* lists[orderCount] = {};
    mutable SpinLock lock;
};

// The process-wide heap: made before first use and never destroyed, so that
// records destroyed late at exit can still release their blocks.
StringHeap& stringHeap();

}  // namespace zor
