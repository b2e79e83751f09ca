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

bool inside(const StoreEl& element, const void* buffer) {
    auto* at = static_cast<const char*>(buffer);
    return at >= reinterpret_cast<const char*>(&element) &&
           at < reinterpret_cast<const char*>(&element + 1);
}

// Texts one character short of the inline buffers stay in them, longer ones get a
// block: the line between must not let a text run past its buffer. Null texts
// read as empty ones, and a null block is refused. A number written over a block
// too small for it goes back to the inline buffer. Nothing is left in the pool.
TEST(ElementTest, TextsNeverOverrunTheirBuffers) {
    ASSERT_EQ(ElementAccess::liveElements(), 0);
    for (auto [nameLength, inlined] : {std::pair{39u, true}, std::pair{40u, false}}) {
        std::string name(nameLength, 'n'), value(nameLength - 1, 'v');
        auto* e = new StoreEl(name.c_str(), value.c_str());
        EXPECT_EQ(e->getName(), name);
        EXPECT_EQ(static_cast<const char*>(e->getData()), value);
        EXPECT_EQ(inside(*e, e->getName()), inlined) << nameLength;
        EXPECT_EQ(inside(*e, e->getData()), inlined) << nameLength;
        delete e;
    }
    auto* e = new StoreEl(nullptr, static_cast<const char*>(nullptr));
    e->setData(nullptr, 5);
    EXPECT_STREQ(e->getName(), "");
    EXPECT_STREQ(static_cast<const char*>(e->getData()), "");
    e->setData(zor::stringHeap().allocate(2), 2);
    ElementAccess::writeDouble(*e, 1.5);
    EXPECT_TRUE(inside(*e, e->getData()));
    EXPECT_EQ(ElementAccess::doubleValue(*e), 1.5);
    delete e;
    EXPECT_EQ(ElementAccess::liveElements(), 0);
}

// Threads make elements and bare heap blocks of the same texts, check that nothing else
// wrote into them and delete them, so the pool also empties and regrows meanwhile.
void churn(int seed, std::atomic<int>& damaged) {
    std::string name = "thread" + std::to_string(seed) + ".item.with.a.long.path.name.beyond.forty";
    auto textOf = [seed](int n) {
        return std::string(1 + (n * 13 + seed) % 507, static_cast<char>('a' + n % 26));
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<std::pair<StoreEl*, char*>> made;
        for (int n = 0; n < 150; ++n) {
            auto* block = static_cast<char*>(zor::stringHeap().allocate(textOf(n).size() + 1));
            if (block) std::strcpy(block, textOf(n).c_str());
            made.emplace_back(new StoreEl(name.c_str(), textOf(n).c_str()), block);
        }
        for (int n = 0; n < 150; ++n) {
            auto [element, block] = made[n];
            damaged += !block || textOf(n) != block ||
                       textOf(n) != static_cast<const char*>(element->getData());
            zor::stringHeap().release(block);
            delete element;
        }
    }
}

TEST(StoreConcurrencyTest, ThreadsMakeAndDeleteElementsAndBlocksSafely) {
    ASSERT_EQ(ElementAccess::liveElements(), 0);
    std::atomic<int> damaged{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back(churn, t, std::ref(damaged));
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(damaged.load(), 0);
    EXPECT_EQ(ElementAccess::liveElements(), 0);
    EXPECT_EQ(ElementAccess::poolBlocks(), 0);
}

}  // namespace
