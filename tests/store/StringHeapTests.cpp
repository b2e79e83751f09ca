#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "store/StringHeap.h"

using zor::StringHeap;

namespace {

// Pages in a heap list, counted along its links.
int pagesInList(const StringHeap& heap, int order) {
    int count = 0;
    for (const StringHeap::Page* page = heap.listHead(order); page;
         page = StringHeap::nextPage(page))
        ++count;
    return count;
}

TEST(StringHeapTest, RequestsGetTheSmallestBlockThatHoldsTheHeader) {
    StringHeap heap;
    EXPECT_EQ(StringHeap::blockOrder(heap.allocate(1)), 3);
    EXPECT_EQ(StringHeap::blockOrder(heap.allocate(4)), 3);
    EXPECT_EQ(StringHeap::blockOrder(heap.allocate(5)), 4);
    EXPECT_EQ(StringHeap::blockOrder(heap.allocate(60)), 6);
    EXPECT_EQ(StringHeap::blockOrder(heap.allocate(61)), 7);
    EXPECT_EQ(StringHeap::blockOrder(heap.allocate(508)), 9);
}

TEST(StringHeapTest, RequestsOutsideOneToFiveHundredEightFail) {
    StringHeap heap;
    EXPECT_EQ(heap.allocate(0), nullptr);
    EXPECT_EQ(heap.allocate(509), nullptr);
    EXPECT_EQ(heap.pageCount(), 0);
}

TEST(StringHeapTest, FirstAllocationSplitsThePageDownToItsOrder) {
    StringHeap heap;
    void* block = heap.allocate(40);
    ASSERT_NE(block, nullptr);
    const StringHeap::Page* page = heap.listHead(8);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(StringHeap::freeBlocks(page, 9), 0);
    EXPECT_EQ(StringHeap::freeBlocks(page, 8), 1);
    EXPECT_EQ(StringHeap::freeBlocks(page, 7), 1);
    EXPECT_EQ(StringHeap::freeBlocks(page, 6), 1);
    EXPECT_EQ(StringHeap::largestFreeOrder(page), 8);
    EXPECT_EQ(heap.listHead(9), nullptr);
    EXPECT_EQ(pagesInList(heap, 8), 1);
}

TEST(StringHeapTest, ReleasingEverythingMergesThePageBackToOneBlock) {
    StringHeap heap;
    std::vector<void*> blocks;
    for (std::size_t size : {1, 20, 40, 100, 5, 4, 60}) blocks.push_back(heap.allocate(size));
    ASSERT_EQ(heap.pageCount(), 1);
    // Release in an order that leaves buddies apart until late.
    for (std::size_t i : {3, 0, 6, 1, 5, 2, 4}) heap.release(blocks[i]);
    const StringHeap::Page* page = heap.listHead(9);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(StringHeap::freeBlocks(page, 9), 1);
    for (int order = StringHeap::minOrder; order < StringHeap::maxOrder; ++order)
        EXPECT_EQ(StringHeap::freeBlocks(page, order), 0) << "order " << order;
    // Any size is served from that page again, without a new one.
    EXPECT_NE(heap.allocate(508), nullptr);
    EXPECT_EQ(heap.pageCount(), 1);
}

TEST(StringHeapTest, FullPageSitsInListZeroUntilABlockReturns) {
    StringHeap heap;
    void* whole = heap.allocate(500);
    EXPECT_EQ(pagesInList(heap, 0), 1);
    void* other = heap.allocate(1);
    EXPECT_EQ(heap.pageCount(), 2);
    EXPECT_EQ(pagesInList(heap, 0), 1);
    heap.release(whole);
    EXPECT_EQ(pagesInList(heap, 0), 0);
    EXPECT_EQ(pagesInList(heap, 9), 1);
    heap.release(other);
    EXPECT_EQ(pagesInList(heap, 9), 2);
}

TEST(StringHeapTest, PagesMoveBetweenListsAsTheirLargestFreeBlockChanges) {
    StringHeap heap;
    void* a = heap.allocate(200);  // order 8: page keeps one free 256-byte block
    EXPECT_EQ(pagesInList(heap, 8), 1);
    void* b = heap.allocate(100);  // order 7 split from that block: largest free is 7
    EXPECT_EQ(pagesInList(heap, 8), 0);
    EXPECT_EQ(pagesInList(heap, 7), 1);
    heap.release(a);
    EXPECT_EQ(pagesInList(heap, 8), 1);
    heap.release(b);
    EXPECT_EQ(pagesInList(heap, 9), 1);
    EXPECT_EQ(heap.pageCount(), 1);
}

TEST(StringHeapTest, SecondReleaseOfABlockIsIgnored) {
    StringHeap heap;
    void* a = heap.allocate(40);
    void* b = heap.allocate(40);
    heap.release(a);
    heap.release(a);
    // b is still in use: a double release must not have merged over it.
    const StringHeap::Page* page = heap.listHead(8);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(StringHeap::freeBlocks(page, 6), 1);
    EXPECT_EQ(StringHeap::blockOrder(b), 6);
    heap.release(b);
    heap.release(b);
    EXPECT_EQ(pagesInList(heap, 9), 1);
}

TEST(StringHeapTest, NullAndForeignPointersAreIgnored) {
    StringHeap heap;
    StringHeap otherHeap;
    heap.release(nullptr);
    void* foreign = otherHeap.allocate(40);
    heap.release(foreign);
    EXPECT_EQ(StringHeap::blockOrder(foreign), 6);
    // A pointer into the middle of a block reads no in-use header.
    char* block = static_cast<char*>(heap.allocate(100));
    std::memset(block, 0, 100);
    heap.release(block + 16);
    EXPECT_EQ(StringHeap::blockOrder(block), 7);
}

TEST(StringHeapTest, BlocksDoNotOverlap) {
    StringHeap heap;
    std::vector<std::pair<unsigned char*, std::size_t>> blocks;
    for (std::size_t i = 0; i < 300; ++i) {
        std::size_t size = 1 + (i * 37) % 508;
        auto* block = static_cast<unsigned char*>(heap.allocate(size));
        ASSERT_NE(block, nullptr);
        std::memset(block, static_cast<int>(i & 0xFF), size);
        blocks.emplace_back(block, size);
        if (i % 3 == 0) {
            heap.release(blocks[i / 2].first);
            blocks[i / 2].second = 0;
        }
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        for (std::size_t j = 0; j < blocks[i].second; ++j)
            ASSERT_EQ(blocks[i].first[j], i & 0xFF) << "block " << i;
    }
}

}  // namespace
