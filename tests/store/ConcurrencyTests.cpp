#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "store/StoreEl.h"
#include "store/StoreInternals.h"
#include "store/StringHeap.h"

using zor::ElementAccess;

namespace {

constexpr int threadCount = 4;
constexpr int rounds = 300;
constexpr int perRound = 150;

// Each thread makes a batch of elements with heap names and values, checks
// that no other thread wrote into them, and deletes them again, so the pool
// grows, shrinks to nothing and regrows while the others are busy.
void churnElements(int seed, std::atomic<int>& damaged) {
    std::vector<StoreEl*> made;
    for (int round = 0; round < rounds; ++round) {
        for (int n = 0; n < perRound; ++n) {
            std::string name = "thread" + std::to_string(seed) + ".item[" + std::to_string(n) +
                               "].with.a.long.path.name";
            std::string value(static_cast<std::size_t>(30 + (n * 7 + seed) % 120), 'a' + seed);
            made.push_back(new StoreEl(name.c_str(), value.c_str()));
        }
        for (int n = 0; n < perRound; ++n) {
            const StoreEl* e = made[static_cast<std::size_t>(n)];
            const char* value = static_cast<const char*>(e->getData());
            std::size_t expected = static_cast<std::size_t>(30 + (n * 7 + seed) % 120);
            if (std::strlen(value) != expected || value[0] != 'a' + seed) ++damaged;
        }
        for (StoreEl* e : made) delete e;
        made.clear();
    }
}

void churnHeap(int seed, std::atomic<int>& damaged) {
    std::vector<unsigned char*> blocks;
    for (int round = 0; round < rounds; ++round) {
        for (int n = 0; n < perRound; ++n) {
            std::size_t size = static_cast<std::size_t>(1 + (n * 13 + seed) % 508);
            auto* block = static_cast<unsigned char*>(zor::stringHeap().allocate(size));
            if (!block) {
                ++damaged;
                continue;
            }
            std::memset(block, seed, size);
            blocks.push_back(block);
        }
        for (unsigned char* block : blocks) {
            if (block[0] != seed) ++damaged;
            zor::stringHeap().release(block);
        }
        blocks.clear();
    }
}

TEST(StoreConcurrencyTest, ThreadsMakeAndDeleteElementsAndBlocksSafely) {
    ASSERT_EQ(ElementAccess::liveElements(), 0);
    std::atomic<int> damaged{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back(churnElements, t, std::ref(damaged));
        threads.emplace_back(churnHeap, t + 1, std::ref(damaged));
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(damaged.load(), 0);
    EXPECT_EQ(ElementAccess::liveElements(), 0);
    EXPECT_EQ(ElementAccess::poolBlocks(), 0);
}

}  // namespace
