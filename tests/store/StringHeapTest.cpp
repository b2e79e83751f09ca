#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "store/StringHeap.h"
#include "store/TextBlock.h"

using zor::StringHeap;

namespace {

int pagesInList(const StringHeap& heap, int order) {
    int count = 0;
    for (auto* page = heap.listHead(order); page; page = StringHeap::nextPage(page)) ++count;
    return count;
}

TEST(StringHeapTest, RequestsGetTheSmallestBlockThatHoldsTheHeader) {
    StringHeap heap;
    const std::pair<int, int> cases[] = {{1, 3}, {4, 3}, {5, 4}, {60, 6}, {61, 7}, {508, 9}};
    for (auto [size, order] : cases)
        EXPECT_EQ(StringHeap::blockOrder(heap.allocate(size)), order) << size;
    EXPECT_EQ(heap.allocate(0), nullptr);
    EXPECT_EQ(heap.allocate(509), nullptr);
}

TEST(StringHeapTest, PagesSitInTheListOfTheirLargestFreeBlockAsBlocksSplitAndMerge) {
    StringHeap heap;
    void* first = heap.allocate(40);
    const StringHeap::Page* page = heap.listHead(8);
    ASSERT_NE(page, nullptr);
    for (int order : {6, 7, 8}) EXPECT_EQ(StringHeap::freeBlocks(page, order), 1) << order;
    EXPECT_EQ(StringHeap::freeBlocks(page, 9), 0);
    EXPECT_EQ(heap.listHead(9), nullptr);
    std::vector<void*> blocks{first};
    for (std::size_t size : {1, 20, 100, 5, 4, 60}) blocks.push_back(heap.allocate(size));
    EXPECT_EQ(pagesInList(heap, 7), 1);
    // Released in an order that keeps buddies apart until late.
    for (std::size_t i : {3, 0, 6, 1, 5, 2, 4}) heap.release(blocks[i]);
    EXPECT_EQ(pagesInList(heap, 9), 1);
    EXPECT_EQ(StringHeap::freeBlocks(page, 9), 1);
    for (int order = StringHeap::minOrder; order < StringHeap::maxOrder; ++order)
        EXPECT_EQ(StringHeap::freeBlocks(page, order), 0) << order;
    // A full page sits in list 0, where allocations do not look, until a block returns.
    void* whole = heap.allocate(508);
    EXPECT_EQ(pagesInList(heap, 0), 1);
    heap.allocate(1);
    EXPECT_EQ(heap.pageCount(), 2);
    heap.release(whole);
    EXPECT_EQ(pagesInList(heap, 0), 0);
    EXPECT_EQ(pagesInList(heap, 9), 1);
}

// Double, foreign and misplaced releases must not merge over blocks in use.
TEST(StringHeapTest, ReleasesOfAnythingButABlockInUseAreIgnored) {
    StringHeap heap, otherHeap;
    void* a = heap.allocate(40);
    void* b = heap.allocate(40);
    auto* c = static_cast<char*>(heap.allocate(100));
    void* foreign = otherHeap.allocate(40);
    std::memset(c, 0, 100);
    heap.release(a);
    heap.release(a);
    heap.release(nullptr);
    heap.release(foreign);
    heap.release(c + 16);
    EXPECT_EQ(StringHeap::blockOrder(b), 6);
    EXPECT_EQ(StringHeap::blockOrder(c), 7);
    EXPECT_EQ(StringHeap::blockOrder(foreign), 6);
    EXPECT_EQ(StringHeap::freeBlocks(heap.listHead(8), 6), 1);
}

// Texts beyond the string heap's largest block come from the general heap; blocks
// released on a thread are handed out again there and go back to the heap when it ends.
TEST(TextBlockTest, ThreadsCacheReleasedBlocksUntilTheyEnd) {
    void* large = zor::allocText(509);
    EXPECT_NE(large, nullptr);
    EXPECT_EQ(zor::allocText(0), nullptr);
    zor::releaseText(large, 509);
    zor::releaseText(nullptr, 10);
    std::vector<void*> blocks;
    std::thread worker([&] {
        for (int n = 0; n < 20; ++n) blocks.push_back(zor::allocText(200));
        zor::releaseText(blocks[0], 200);
        EXPECT_EQ(zor::allocText(150), blocks[0]);
        for (void* block : blocks) zor::releaseText(block, 200);
    });
    worker.join();
    for (void* block : blocks) EXPECT_EQ(StringHeap::blockOrder(block), 0);
}

}  // namespace
