// Long random sequences of insertions, removals and searches, checked step by step
// against std::multiset, which also keeps equal keys in insertion order.
#include <gtest/gtest.h>

#include <deque>
#include <iterator>
#include <random>
#include <set>
#include <vector>

#include "AvlTestTree.h"

using avltest::IntTree;
using avltest::Item;

namespace {

struct ByKey {
    bool operator()(const Item* a, const Item* b) const { return a->key < b->key; }
};

class AvlModelTest : public ::testing::Test {
protected:
    static constexpr int keyRange = 300;

    std::vector<Item*> order() const { return {model.begin(), model.end()}; }
    int randomKey() { return static_cast<int>(rng() % (keyRange + 2)) - 1; }
    Item* fresh() {
        store.emplace_back(randomKey(), static_cast<int>(store.size()));
        return &store.back();
    }

    void push() {
        Item* item = fresh();
        tree.avl_push(item);
        model.insert(item);
    }

    void join() {
        Item* item = fresh();
        auto present = model.find(item);
        LOCAL_DAT* answer = tree.avl_join(item);
        if (present == model.end()) {
            EXPECT_EQ(answer, item);
            model.insert(item);
            return;
        }
        auto [first, last] = model.equal_range(item);
        EXPECT_NE(std::find(first, last, answer), last) << "join answered a stranger";
        EXPECT_EQ(item->getAvlItem(), nullptr);
    }

    void pull() {
        if (model.empty()) return;
        auto victim = std::next(model.begin(), static_cast<long>(rng() % model.size()));
        tree.avl_pull(*victim);
        EXPECT_EQ((*victim)->getAvlItem(), nullptr);
        model.erase(victim);
    }

    void search() {
        Item key(randomKey());
        auto below = model.upper_bound(&key);
        auto above = model.lower_bound(&key);
        Item* floor = below == model.begin() ? nullptr : *std::prev(below);
        Item* ceiling = above == model.end() ? nullptr : *above;
        EXPECT_EQ(tree.avl_loweq(key), floor) << key.key;
        EXPECT_EQ(tree.avl_uppeq(key), ceiling) << key.key;
        auto* found = static_cast<Item*>(tree.avl_search(key));
        if (above == below)
            EXPECT_EQ(found, nullptr) << key.key;
        else
            EXPECT_TRUE(found != nullptr && found->key == key.key) << key.key;
    }

    // Grows towards `target` payloads while pushing more than pulling, or shrinks.
    void step(bool growing) {
        unsigned choice = rng() % 100;
        unsigned pushes = growing ? 45 : 20;
        if (choice < pushes)
            push();
        else if (choice < pushes + 15)
            join();
        else if (choice < 85)
            pull();
        else
            search();
    }

    std::mt19937 rng{20240611};
    std::deque<Item> store;
    std::multiset<Item*, ByKey> model;
    IntTree tree;
};

TEST_F(AvlModelTest, RandomOperationsMatchAMultiset) {
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 4000; ++i) {
            step(model.size() < 400 && i < 2800);
            ASSERT_TRUE(avltest::isSound(tree, order())) << "round " << round << " step " << i;
        }
    }
    while (!model.empty()) {
        pull();
        ASSERT_TRUE(avltest::isSound(tree, order()));
    }
    EXPECT_EQ(tree.root(), nullptr);
}

// Sorted and reversed runs of equal and distinct keys take the single-rotation
// paths that random keys rarely reach in long chains.
TEST_F(AvlModelTest, SortedRunsStayBalanced) {
    for (int i = 0; i < 600; ++i) {
        int key = i < 300 ? i / 3 : 1000 - i;
        store.emplace_back(key, i);
        tree.avl_push(&store.back());
        model.insert(&store.back());
    }
    ASSERT_TRUE(avltest::isSound(tree, order()));
    EXPECT_LE(avltest::height(tree.root()), 13);
    for (int i = 0; i < 600; i += 2) {
        tree.avl_pull(&store[i]);
        model.erase(std::find(model.begin(), model.end(), &store[i]));
        ASSERT_TRUE(avltest::isSound(tree, order())) << i;
    }
}

}  // namespace
