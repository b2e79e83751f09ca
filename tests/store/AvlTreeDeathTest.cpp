// The two conditions that end the process, with their exit statuses.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <deque>

#include "AvlTestTree.h"

using avltest::IntTree;
using avltest::Item;

namespace {

TEST(AvlTreeDeathTest, DamagedBalanceExitsWithStatus2) {
    IntTree tree;
    std::deque<Item> store;
    for (int key : {1, 2, 3}) {
        store.emplace_back(key);
        tree.avl_push(&store.back());
    }
    tree.root()->balance = 5;
    EXPECT_EXIT(tree.avl_pull(&store[0]), ::testing::ExitedWithCode(2), "damaged tree");
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Limits the address space to a little above what the process uses now, then
// grows one tree until the heap refuses a block.
void exhaustPool() {
    long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    rlim_t limit = static_cast<rlim_t>(pages) * 4096 + (16u << 20);
    rlimit bound{limit, limit};
    setrlimit(RLIMIT_AS, &bound);
    IntTree tree;
    Item same(7);
    for (;;) tree.avl_push(&same);
}

TEST(AvlTreeDeathTest, ExhaustedHeapExitsWithStatus1) {
    EXPECT_EXIT(exhaustPool(), ::testing::ExitedWithCode(1), "node pool cannot grow");
}
#endif  // sanitizer runtimes reserve address space beyond any small limit

}  // namespace
