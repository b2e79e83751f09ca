#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "store/StringHeap.h"
#include "store/TextBlock.h"

using zor::StringHeap;

namespace {

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
