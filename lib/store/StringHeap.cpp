#include "store/StringHeap.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace zor {

namespace {

// Offsets inside a page's arena are 16-bit; this one means "no block".
constexpr std::uint16_t noBlock = 0xFFFF;

}  // namespace

// Layout of a page: list links, owner and arena check first, then the free
// lists, the arena and the largest order that has a free block (0: full).
// Free block header words: order, next free offset, previous free offset.
// In-use header words: order | 0x80, the block's own offset.
struct StringHeap::Page {
    Page* next;
    Page* previous;
    StringHeap* heap;
    unsigned char* arenaCheck;
    std::uint16_t freeHead[orderCount];
    alignas(16) unsigned char arena[pageSize];
    int largestFree;
};

namespace {

using Page = StringHeap::Page;

std::uint16_t headerWord(const Page* page, std::uint16_t offset, int index) {
    std::uint16_t word;
    std::memcpy(&word, page->arena + offset + 2 * index, sizeof word);
    return word;
}

void setHeaderWord(Page* page, std::uint16_t offset, int index, std::uint16_t word) {
    std::memcpy(page->arena + offset + 2 * index, &word, sizeof word);
}

// Puts a free block at the front of its order's list, raising the page's
// largest free order when the block is larger.
void pushFree(Page* page, std::uint16_t offset, int order) {
    std::uint16_t head = page->freeHead[order];
    setHeaderWord(page, offset, 0, static_cast<std::uint16_t>(order));
    setHeaderWord(page, offset, 1, head);
    setHeaderWord(page, offset, 2, noBlock);
    if (head != noBlock) setHeaderWord(page, head, 2, offset);
    page->freeHead[order] = offset;
    if (order > page->largestFree) page->largestFree = order;
}

void unlinkFree(Page* page, std::uint16_t offset, int order) {
    std::uint16_t next = headerWord(page, offset, 1);
    std::uint16_t previous = headerWord(page, offset, 2);
    if (previous != noBlock) {
        setHeaderWord(page, previous, 1, next);
    } else {
        page->freeHead[order] = next;
    }
    if (next != noBlock) setHeaderWord(page, next, 2, previous);
}

// After a block left the lists: the largest free order drops to the highest
// order that still has a block, 0 when none has.
void settleLargestFree(Page* page) {
    while (page->largestFree > 0 && page->freeHead[page->largestFree] == noBlock) {
        --page->largestFree;
    }
}

}  // namespace

StringHeap::~StringHeap() {
    for (Page*& head : lists) {
        while (head) {
            Page* page = head;
            head = page->next;
            std::free(page);
        }
    }
}

void* StringHeap::allocate(std::size_t size) {
    int order = orderFor(size);
    if (order < 0) return nullptr;
    std::lock_guard<SpinLock> guard(lock);
    int list = order;
    while (list <= maxOrder && !lists[list]) ++list;
    Page* page = list <= maxOrder ? lists[list] : newPage();
    if (!page) return nullptr;
    if (list > maxOrder) list = maxOrder;
    void* payload = allocateIn(page, order);
    if (page->largestFree != list) {
        unlinkPage(page, list);
        pushPage(page, page->largestFree);
    }
    return payload;
}

StringHeap::Page* StringHeap::newPage() {
    Page* page = static_cast<Page*>(std::malloc(sizeof(Page)));
    if (!page) return nullptr;
    page->next = nullptr;
    page->previous = nullptr;
    page->heap = this;
    page->arenaCheck = page->arena;
    for (std::uint16_t& head : page->freeHead) head = noBlock;
    page->largestFree = 0;
    pushFree(page, 0, maxOrder);
    pushPage(page, maxOrder);
    return page;
}

// Splits the smallest larger free block down to the wanted order: each split
// keeps the lower half and frees the upper one.
void* StringHeap::allocateIn(Page* page, int order) {
    int have = order;
    while (page->freeHead[have] == noBlock) ++have;
    std::uint16_t offset = page->freeHead[have];
    unlinkFree(page, offset, have);
    while (have > order) {
        --have;
        pushFree(page, static_cast<std::uint16_t>(offset + (1u << have)), have);
    }
    settleLargestFree(page);
    setHeaderWord(page, offset, 0, static_cast<std::uint16_t>(inUseFlag | order));
    setHeaderWord(page, offset, 1, offset);
    return page->arena + offset + headerSize;
}

void StringHeap::release(void* payload) {
    if (!payload) return;
    std::lock_guard<SpinLock> guard(lock);
    std::uint16_t offset;
    int order;
    Page* page = pageOf(payload, offset, order);
    if (!page) return;
    int before = page->largestFree;
    releaseIn(page, offset, order);
    if (page->largestFree != before) {
        unlinkPage(page, before);
        pushPage(page, page->largestFree);
    }
}

// The page of a payload whose header reads "in use" and whose page passes the
// arena check; null for anything else (double releases, foreign pointers).
StringHeap::Page* StringHeap::pageOf(void* payload, std::uint16_t& offset, int& order) const {
    unsigned char* block = static_cast<unsigned char*>(payload) - headerSize;
    std::uint16_t flags;
    std::memcpy(&flags, block, sizeof flags);
    std::memcpy(&offset, block + 2, sizeof offset);
    if (!(flags & inUseFlag) || (flags & foreignFlags)) return nullptr;
    order = flags & orderBits;
    if (order < minOrder || order > maxOrder || offset >= pageSize) return nullptr;
    if (offset & ((1u << order) - 1)) return nullptr;
    auto address = reinterpret_cast<std::uintptr_t>(block - offset - offsetof(Page, arena));
    if (address % alignof(Page) != 0) return nullptr;
    Page* page = reinterpret_cast<Page*>(address);
    if (page->arenaCheck != page->arena || page->heap != this) return nullptr;
    return page;
}

// Frees the block and merges it with its buddy (the neighbour whose offset
// differs only in the order's bit) for as long as the buddy is free and whole.
void StringHeap::releaseIn(Page* page, std::uint16_t offset, int order) {
    pushFree(page, offset, order);
    while (order < maxOrder) {
        auto buddy = static_cast<std::uint16_t>(offset ^ (1u << order));
        if (headerWord(page, buddy, 0) != order) break;
        unlinkFree(page, offset, order);
        unlinkFree(page, buddy, order);
        offset = offset < buddy ? offset : buddy;
        ++order;
        pushFree(page, offset, order);
    }
}

void StringHeap::unlinkPage(Page* page, int list) {
    if (page->previous) {
        page->previous->next = page->next;
    } else {
        lists[list] = page->next;
    }
    if (page->next) page->next->previous = page->previous;
    page->next = nullptr;
    page->previous = nullptr;
}

void StringHeap::pushPage(Page* page, int list) {
    page->previous = nullptr;
    page->next = lists[list];
    if (lists[list]) lists[list]->previous = page;
    lists[list] = page;
}

const StringHeap::Page* StringHeap::listHead(int order) const {
    if (order < 0 || order > maxOrder) return nullptr;
    std::lock_guard<SpinLock> guard(lock);
    return lists[order];
}

const StringHeap::Page* StringHeap::nextPage(const Page* page) {
    return page->next;
}

int StringHeap::largestFreeOrder(const Page* page) {
    return page->largestFree;
}

int StringHeap::freeBlocks(const Page* page, int order) {
    int count = 0;
    for (std::uint16_t offset = page->freeHead[order]; offset != noBlock;
         offset = headerWord(page, offset, 1)) {
        ++count;
    }
    return count;
}

int StringHeap::pageCount() const {
    std::lock_guard<SpinLock> guard(lock);
    int count = 0;
    for (const Page* head : lists) {
        for (const Page* page = head; page; page = page->next) ++count;
    }
    return count;
}

namespace {

// Holds the process-wide heap without a destructor, so it outlives every
// static record of a host; it is constant-initialised before any code runs.
union ProcessHeap {
    constexpr ProcessHeap() : heap() {}
    ~ProcessHeap() {}
    StringHeap heap;
};

constinit ProcessHeap processHeap;

}  // namespace

StringHeap& stringHeap() {
    return processHeap.heap;
}

}  // namespace zor
