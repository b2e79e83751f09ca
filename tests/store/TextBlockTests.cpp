#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "store/StringHeap.h"
#include "store/TextBlock.h"

using zor::StringHeap;

namespace {

TEST(TextBlockTest, SizeDecidesBetweenStringHeapAndGeneralHeap) {
    void* small = zor::allocText(508);
    void* large = zor::allocText(509);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(StringHeap::blockOrder(small), 9);
    EXPECT_EQ(zor::allocText(0), nullptr);
    zor::releaseText(small, 508);
    zor::releaseText(large, 509);
    zor::releaseText(nullptr, 10);
}

TEST(TextBlockTest, ReleasedBlockIsHandedOutAgainOnTheSameThread) {
    void* first = zor::allocText(40);
    zor::releaseText(first, 40);
    void* again = zor::allocText(60);  // same order, 64-byte block
    EXPECT_EQ(again, first);
    EXPECT_EQ(StringHeap::blockOrder(again), 6);
    void* other = zor::allocText(40);
    EXPECT_NE(other, first);
    zor::releaseText(again, 60);
    zor::releaseText(other, 40);
}

TEST(TextBlockTest, ThreadEndGivesCachedBlocksBackToTheHeap) {
    std::vector<void*> blocks;
    std::thread worker([&] {
        for (int n = 0; n < 20; ++n) blocks.push_back(zor::allocText(200));
        for (void* block : blocks) zor::releaseText(block, 200);
    });
    worker.join();
    for (void* block : blocks) EXPECT_EQ(StringHeap::blockOrder(block), 0);
}

}  // namespace
