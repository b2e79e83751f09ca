#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "store/StringHeap.h"
#include "store/TextBlock.h"

namespace {

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
    for (void* block : blocks) EXPECT_EQ(zor::StringHeap::blockOrder(block), 0);
}

}  // namespace
