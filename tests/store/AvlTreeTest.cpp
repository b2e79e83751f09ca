#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "store/AvlTree.h"

namespace {

// Equal keys are told apart by their payloads' addresses.
struct Item : LOCAL_DAT {
    explicit Item(int k) : key(k) {}
    int key;
};

class IntTree : public AVL_TREE {
protected:
    int compare(LOCAL_DAT* nodeData, LOCAL_DAT* key) const override {
        int a = static_cast<Item*>(nodeData)->key, b = static_cast<Item*>(key)->key;
        return (a > b) - (a < b);
    }
};

// Pushes one payload per key, in the order given; payloads keep stable addresses.
std::vector<Item*> pushAll(IntTree& tree, std::deque<Item>& store, std::vector<int> keys) {
    std::vector<Item*> pushed;
    for (int key : keys) {
        pushed.push_back(&store.emplace_back(key));
        tree.avl_push(pushed.back());
    }
    return pushed;
}

// The payloads in order are exactly `order` whether walked up, down or by
// traversal (a walk gone astray stops one past the count).
::testing::AssertionResult isSound(const IntTree& tree, const std::vector<Item*>& order) {
    std::vector<Item*> up, down, visited;
    for (LOCAL_DAT* p = tree.avl_lowest(); p && up.size() <= order.size(); p = p->avl_nextupper())
        up.push_back(static_cast<Item*>(p));
    for (LOCAL_DAT* p = tree.avl_highest(); p && down.size() <= order.size();
         p = p->avl_nextlower())
        down.push_back(static_cast<Item*>(p));
    std::reverse(down.begin(), down.end());
    tree.avl_handle(
        [](LOCAL_DAT* p, void* out) {
            static_cast<std::vector<Item*>*>(out)->push_back(static_cast<Item*>(p));
        },
        &visited);
    if (up == order && down == order && visited == order) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "payload order among " << order.size() << " payloads";
}

// Long random sequences of insertions, joins, removals and searches, checked step
// by step against std::multiset, which also keeps equal keys in insertion order.
class AvlModelTest : public ::testing::Test {
protected:
    std::vector<Item*> order() const { return {model.begin(), model.end()}; }
    int randomKey() { return static_cast<int>(rng() % 302) - 1; }
    void push(int key) { model.insert(pushAll(tree, store, {key})[0]); }
    void join() {
        Item* item = &store.emplace_back(randomKey());
        auto [first, last] = model.equal_range(item);
        LOCAL_DAT* answer = tree.avl_join(item);
        EXPECT_TRUE(first == last ? answer == item : std::find(first, last, answer) != last);
        if (first == last) model.insert(item);
    }
    void pullAny() {
        auto victim = std::next(model.begin(), static_cast<long>(rng() % model.size()));
        tree.avl_pull(*victim);
        EXPECT_EQ((*victim)->getAvlItem(), nullptr);
        model.erase(victim);
    }
    void search() {
        Item key(randomKey());
        auto above = model.lower_bound(&key), below = model.upper_bound(&key);
        EXPECT_EQ(tree.avl_loweq(key), below == model.begin() ? nullptr : *std::prev(below));
        EXPECT_EQ(tree.avl_uppeq(key), above == model.end() ? nullptr : *above);
        auto* found = static_cast<Item*>(tree.avl_search(key));
        EXPECT_TRUE(above == below ? found == nullptr : found && found->key == key.key);
    }

    std::mt19937 rng{20240611};
    std::deque<Item> store;
    std::multiset<Item*, bool (*)(const Item*, const Item*)> model{
        [](const Item* a, const Item* b) { return a->key < b->key; }};
    IntTree tree;
};

TEST_F(AvlModelTest, RandomOperationsMatchAMultiset) {
    // Sorted runs of equal and distinct keys, then a reversed run, reach the
    // single-rotation paths in long chains.
    for (int i = 0; i < 600; ++i) push(i < 300 ? i / 3 : 1000 - i);
    for (int step = 0; step < 12000; ++step) {
        unsigned choice = rng() % 100, pushes = model.size() < 400 && step % 4000 < 2800 ? 45 : 20;
        if (choice < pushes)
            push(randomKey());
        else if (choice < pushes + 15)
            join();
        else if (choice < 85 && !model.empty())
            pullAny();
        else
            search();
        ASSERT_TRUE(isSound(tree, order())) << "step " << step;
    }
    while (!model.empty()) {
        pullAny();
        ASSERT_TRUE(isSound(tree, order()));
    }
}

}  // namespace
