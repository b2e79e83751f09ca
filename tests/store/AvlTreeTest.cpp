#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "AvlTestTree.h"

using avltest::IntTree;
using avltest::Item;
using avltest::itemOf;

namespace {

// Pushes one payload per key, in the order given; payloads keep stable addresses.
std::vector<Item*> pushAll(IntTree& tree, std::deque<Item>& store, std::vector<int> keys) {
    std::vector<Item*> pushed;
    for (int key : keys) {
        store.emplace_back(key, static_cast<int>(store.size()));
        tree.avl_push(&store.back());
        pushed.push_back(&store.back());
    }
    return pushed;
}

TEST(AvlTreeTest, AscendingKeysBuildAPerfectTree) {
    IntTree tree;
    std::deque<Item> store;
    auto items = pushAll(tree, store, {1, 2, 3, 4, 5, 6, 7});
    EXPECT_TRUE(avltest::isSound(tree, items));
    EXPECT_EQ(itemOf(tree.root())->key, 4);
    EXPECT_EQ(avltest::height(tree.root()), 3);
    for (Item* item : items) EXPECT_EQ(item->getAvlItem()->balance, 0) << item->key;
}

// 3,1,2 needs a left-right rotation and 1,3,2 a right-left one; either way the
// middle key's node rises to the root and the others become its leaves.
TEST(AvlTreeTest, DoubleRotationsLiftTheMiddleKey) {
    for (std::vector<int> keys : {std::vector<int>{3, 1, 2}, std::vector<int>{1, 3, 2}}) {
        IntTree tree;
        std::deque<Item> store;
        auto items = pushAll(tree, store, keys);
        Item* middle = items[2];
        EXPECT_EQ(tree.root(), middle->getAvlItem()) << keys[0];
        EXPECT_EQ(tree.root()->flags, AVL_ITEM::leftIsChild | AVL_ITEM::rightIsChild);
        EXPECT_EQ(itemOf(tree.root()->left)->key, 1);
        EXPECT_EQ(itemOf(tree.root()->right)->key, 3);
        std::sort(items.begin(), items.end(), [](Item* a, Item* b) { return a->key < b->key; });
        EXPECT_TRUE(avltest::isSound(tree, items));
    }
}

TEST(AvlTreeTest, EqualKeysKeepInsertionOrder) {
    IntTree tree;
    std::deque<Item> store;
    auto items = pushAll(tree, store, {5, 9, 5, 1, 5});
    EXPECT_TRUE(avltest::isSound(tree, {items[3], items[0], items[2], items[4], items[1]}));
    Item key(5);
    EXPECT_EQ(tree.avl_uppeq(key), items[0]);
    EXPECT_EQ(tree.avl_loweq(key), items[4]);
    EXPECT_EQ(static_cast<Item*>(tree.avl_search(key))->key, 5);
}

TEST(AvlTreeTest, JoinAnswersThePresentPayloadAndInsertsNothing) {
    IntTree tree;
    std::deque<Item> store;
    auto items = pushAll(tree, store, {10, 20, 30});
    Item duplicate(20, 99);
    EXPECT_EQ(tree.avl_join(&duplicate), items[1]);
    EXPECT_EQ(duplicate.getAvlItem(), nullptr);
    EXPECT_TRUE(avltest::isSound(tree, items));

    Item fresh(25, 100);
    EXPECT_EQ(tree.avl_join(&fresh), &fresh);
    EXPECT_TRUE(avltest::isSound(tree, {items[0], items[1], &fresh, items[2]}));
}

TEST(AvlTreeTest, RemovingARootWithTwoChildrenMovesTheSuccessorIntoIt) {
    IntTree tree;
    std::deque<Item> store;
    auto items = pushAll(tree, store, {1, 2, 3});
    AVL_ITEM* rootNode = tree.root();
    ASSERT_EQ(itemOf(rootNode), items[1]);
    tree.avl_pull(items[1]);
    EXPECT_EQ(tree.root(), rootNode);
    EXPECT_EQ(itemOf(rootNode), items[2]);
    EXPECT_EQ(items[2]->getAvlItem(), rootNode);
    EXPECT_EQ(items[1]->getAvlItem(), nullptr);
    EXPECT_TRUE(avltest::isSound(tree, {items[0], items[2]}));
}

TEST(AvlTreeTest, FloorAndCeilingAnswerTheNearestOrNull) {
    IntTree tree;
    std::deque<Item> store;
    auto items = pushAll(tree, store, {10, 20, 30});
    Item k25(25), k5(5), k35(35), k20(20);
    EXPECT_EQ(tree.avl_loweq(k25), items[1]);
    EXPECT_EQ(tree.avl_uppeq(k25), items[2]);
    EXPECT_EQ(tree.avl_loweq(k5), nullptr);
    EXPECT_EQ(tree.avl_uppeq(k35), nullptr);
    EXPECT_EQ(tree.avl_loweq(k20), items[1]);
    EXPECT_EQ(tree.avl_uppeq(k20), items[1]);
    EXPECT_EQ(tree.avl_search(k25), nullptr);
}

TEST(AvlTreeTest, EmptyTreeAndOutsidePayloadsAnswerNull) {
    IntTree tree;
    Item key(1);
    EXPECT_EQ(tree.avl_search(key), nullptr);
    EXPECT_EQ(tree.avl_loweq(key), nullptr);
    EXPECT_EQ(tree.avl_uppeq(key), nullptr);
    EXPECT_EQ(tree.avl_lowest(), nullptr);
    EXPECT_EQ(tree.avl_highest(), nullptr);
    EXPECT_EQ(key.avl_nextlower(), nullptr);
    EXPECT_EQ(key.avl_nextupper(), nullptr);
    tree.avl_push(nullptr);
    EXPECT_EQ(tree.avl_join(nullptr), nullptr);
    EXPECT_EQ(tree.root(), nullptr);
}

// Removing what is not in the tree would free a node twice or cut into another tree.
TEST(AvlTreeTest, PullIgnoresPayloadsNotInThisTree) {
    IntTree tree, other;
    std::deque<Item> store;
    auto items = pushAll(tree, store, {1, 2, 3, 4});
    std::deque<Item> otherStore;
    auto foreign = pushAll(other, otherStore, {2});
    Item stranger(3);
    Item copy = *items[2];
    EXPECT_EQ(copy.getAvlItem(), nullptr);

    tree.avl_pull(&stranger);
    tree.avl_pull(&copy);
    tree.avl_pull(foreign[0]);
    tree.avl_pull(nullptr);
    tree.avl_pull(items[0]);
    tree.avl_pull(items[0]);
    EXPECT_TRUE(avltest::isSound(tree, {items[1], items[2], items[3]}));
    EXPECT_TRUE(avltest::isSound(other, foreign));
}

TEST(AvlTreeTest, PoolBlockHolds99NodesAndReusesTheLastFreed) {
    IntTree tree;
    std::deque<Item> store;
    std::vector<int> keys(99);
    for (int i = 0; i < 99; ++i) keys[i] = i;
    auto items = pushAll(tree, store, keys);
    EXPECT_EQ(tree.blockCount(), 1);
    auto hundredth = pushAll(tree, store, {99});
    EXPECT_EQ(tree.blockCount(), 2);

    AVL_ITEM* freed = items[40]->getAvlItem();
    tree.avl_pull(items[40]);
    auto reused = pushAll(tree, store, {1000});
    EXPECT_EQ(reused[0]->getAvlItem(), freed);
    EXPECT_EQ(tree.blockCount(), 2);
}

TEST(AvlTreeTest, ClearReleasesNodesAndLeavesTheTreeUsable) {
    IntTree tree;
    std::deque<Item> store;
    std::vector<int> keys(250);
    for (int i = 0; i < 250; ++i) keys[i] = 250 - i;
    pushAll(tree, store, keys);
    EXPECT_EQ(tree.blockCount(), 3);
    tree.avl_clear();
    EXPECT_EQ(tree.blockCount(), 0);
    EXPECT_EQ(tree.avl_lowest(), nullptr);
    EXPECT_EQ(store.front().key, 250);

    store.clear();
    auto items = pushAll(tree, store, {2, 1});
    EXPECT_TRUE(avltest::isSound(tree, {items[1], items[0]}));
}

}  // namespace
