#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "store/StoreEl.h"
#include "store/StoreInternals.h"
#include "store/StringHeap.h"

using zor::ElementAccess;

namespace {

// Every test starts and ends with an empty pool, so block counts are exact.
class ElementTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ElementAccess::liveElements(), 0); }
    void TearDown() override { EXPECT_EQ(ElementAccess::liveElements(), 0); }
};

const char* text(const StoreEl& element) {
    return static_cast<const char*>(element.getData());
}

bool inlineValue(const StoreEl& element) {
    const char* self = reinterpret_cast<const char*>(&element);
    const char* data = text(element);
    return data >= self && data < self + sizeof(StoreEl);
}

bool inlineName(const StoreEl& element) {
    const char* self = reinterpret_cast<const char*>(&element);
    return element.getName() >= self && element.getName() < self + sizeof(StoreEl);
}

TEST_F(ElementTest, ConstructorsStoreTypeNameAndValue) {
    auto* i = new StoreEl("i", 42);
    auto* d = new StoreEl("d", 2.5);
    auto* s = new StoreEl("s", "text");
    EXPECT_EQ(i->getType(), StoreEl::typeInt);
    EXPECT_EQ(ElementAccess::intValue(*i), 42);
    EXPECT_EQ(d->getType(), StoreEl::typeDouble);
    EXPECT_EQ(ElementAccess::doubleValue(*d), 2.5);
    EXPECT_EQ(s->getType(), StoreEl::typeString);
    EXPECT_STREQ(text(*s), "text");
    EXPECT_STREQ(s->getName(), "s");
    s->setMark();
    EXPECT_EQ(s->getMark(), 1);
    s->clearMark();
    for (StoreEl* e : {i, d, s}) {
        EXPECT_EQ(e->getLen(), 40);
        EXPECT_EQ(e->getNext(), nullptr);
        EXPECT_EQ(e->getMark(), 0);
        delete e;
    }
}

TEST_F(ElementTest, NullNameAndNullValueAreEmptyStrings) {
    auto* s = new StoreEl(nullptr, static_cast<const char*>(nullptr));
    EXPECT_STREQ(s->getName(), "");
    EXPECT_STREQ(text(*s), "");
    EXPECT_EQ(s->getType(), StoreEl::typeString);
    delete s;
}

TEST_F(ElementTest, ValuesUpToThirtyEightCharactersStayInline) {
    std::string at38(38, 'v');
    std::string at39(39, 'v');
    auto* kept = new StoreEl("a", at38.c_str());
    auto* moved = new StoreEl("b", at39.c_str());
    EXPECT_TRUE(inlineValue(*kept));
    EXPECT_EQ(kept->getLen(), 40);
    EXPECT_FALSE(inlineValue(*moved));
    EXPECT_EQ(moved->getLen(), 40);
    EXPECT_EQ(zor::StringHeap::blockOrder(moved->getData()), 6);
    EXPECT_EQ(text(*moved), at39);
    delete kept;
    delete moved;
}

TEST_F(ElementTest, NamesUpToThirtyNineCharactersStayInline) {
    std::string at39(39, 'n');
    std::string at40(40, 'n');
    auto* kept = new StoreEl(at39.c_str(), 1);
    auto* moved = new StoreEl(at40.c_str(), 1);
    EXPECT_TRUE(inlineName(*kept));
    EXPECT_FALSE(inlineName(*moved));
    EXPECT_EQ(moved->getName(), at40);
    delete kept;
    delete moved;
}

TEST_F(ElementTest, TextsBeyondTheStringHeapAreKeptWhole) {
    std::string longName(600, 'n');
    std::string longValue(5000, 'v');
    auto* s = new StoreEl(longName.c_str(), longValue.c_str());
    auto* i = new StoreEl(longName.c_str(), 7);
    EXPECT_EQ(s->getName(), longName);
    EXPECT_EQ(text(*s), longValue);
    EXPECT_EQ(s->getLen(), 5001);
    EXPECT_EQ(i->getName(), longName);
    EXPECT_EQ(ElementAccess::intValue(*i), 7);
    delete s;
    delete i;
}

TEST_F(ElementTest, NinetyNineElementsShareOneBlock) {
    std::vector<StoreEl*> elements;
    for (int n = 0; n < 99; ++n) elements.push_back(new StoreEl("e", n));
    EXPECT_EQ(ElementAccess::poolBlocks(), 1);
    elements.push_back(new StoreEl("e", 99));
    EXPECT_EQ(ElementAccess::poolBlocks(), 2);
    EXPECT_EQ(ElementAccess::liveElements(), 100);
    for (StoreEl* e : elements) delete e;
    EXPECT_EQ(ElementAccess::poolBlocks(), 0);
    EXPECT_EQ(ElementAccess::nextSlot(), nullptr);
    // The next element starts a fresh block.
    auto* fresh = new StoreEl("fresh", 1);
    EXPECT_EQ(ElementAccess::poolBlocks(), 1);
    delete fresh;
}

TEST_F(ElementTest, LastReleasedSlotIsReusedFirst) {
    auto* keep = new StoreEl("keep", 1);
    auto* a = new StoreEl("a", 1);
    auto* b = new StoreEl("b", 1);
    void* slotA = a;
    void* slotB = b;
    delete a;
    delete b;
    EXPECT_EQ(ElementAccess::nextSlot(), slotB);
    auto* first = new StoreEl("c", 1);
    auto* second = new StoreEl("d", 1);
    EXPECT_EQ(static_cast<void*>(first), slotB);
    EXPECT_EQ(static_cast<void*>(second), slotA);
    delete first;
    delete second;
    delete keep;
}

TEST_F(ElementTest, SetDataReplacesTheBufferAndReleasesTheOldBlock) {
    std::string value(100, 'v');
    auto* e = new StoreEl("e", value.c_str());
    void* block = zor::stringHeap().allocate(200);
    e->setData(block, 200);
    EXPECT_EQ(e->getData(), block);
    EXPECT_EQ(e->getLen(), 200);
    e->setData(nullptr, 5);
    EXPECT_EQ(e->getData(), block);
    EXPECT_EQ(e->getLen(), 200);
    delete e;
}

TEST_F(ElementTest, NumbersWrittenOverATinyBlockUseTheInlineBuffer) {
    auto* e = new StoreEl("e", "x");
    e->setData(zor::stringHeap().allocate(2), 2);
    ElementAccess::writeDouble(*e, 1.5);
    EXPECT_EQ(e->getLen(), 40);
    EXPECT_TRUE(inlineValue(*e));
    EXPECT_EQ(ElementAccess::doubleValue(*e), 1.5);
    delete e;
}

TEST_F(ElementTest, OtherSizesGoToTheGeneralHeap) {
    struct Wider : StoreEl {
        using StoreEl::StoreEl;
        long extra = 0;
    };
    auto* w = new Wider("w", 1);
    EXPECT_EQ(ElementAccess::liveElements(), 0);
    delete w;
}

}  // namespace
