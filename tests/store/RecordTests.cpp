#include <gtest/gtest.h>

#include <string>

#include "StoreTestSupport.h"

using storetest::Listing;
using storetest::listing;

namespace {

TEST(RecordTest, NullNameAnswersTheFirstElementAdded) {
    DataMap record;
    EXPECT_STREQ(record.getName(), "DataMap");
    EXPECT_EQ(record.getData(nullptr), nullptr);
    EXPECT_EQ(record.getType(nullptr), 0);
    record.appElem(new StoreEl("z", 1));
    record.appElem(new StoreEl("a", 2));
    ASSERT_NE(record.getData(nullptr), nullptr);
    EXPECT_STREQ(record.getData(nullptr)->getName(), "z");
}

TEST(RecordTest, AppendKeepsEqualNamesInListOrder) {
    DataMap record;
    auto* a1 = new StoreEl("a", 1);
    auto* b = new StoreEl("b", 2);
    auto* a2 = new StoreEl("a", 3);
    record.appElem(a1);
    record.appElem(b);
    record.appElem(a2);
    EXPECT_EQ(listing(record), (Listing{"a=1", "b=2", "a=3"}));
    StoreEl* found = record.getData("a");
    EXPECT_TRUE(found == a1 || found == a2);
    EXPECT_EQ(record.getData("b"), b);
    EXPECT_EQ(record.getType("b"), StoreEl::typeInt);
    EXPECT_EQ(record.getData("c"), nullptr);
}

TEST(RecordTest, LookUpOrderIsByteWiseAndCaseSensitive) {
    DataMap record;
    for (const char* name : {"b", "B", "\xe4", "a", "ab"}) record.appElem(new StoreEl(name, 1));
    for (const char* name : {"b", "B", "\xe4", "a", "ab"}) {
        ASSERT_NE(record.getData(name), nullptr) << name;
        EXPECT_STREQ(record.getData(name)->getName(), name);
    }
    EXPECT_EQ(record.getData("A"), nullptr);
}

TEST(RecordTest, KeysLongerThanTheStringHeapAreComparedWhole) {
    DataMap record;
    std::string stem(600, 'k');
    record.appElem(new StoreEl("", 1));
    record.appElem(new StoreEl((stem + "1").c_str(), 2));
    record.appElem(new StoreEl((stem + "2").c_str(), 3));
    ASSERT_NE(record.getData((stem + "2").c_str()), nullptr);
    EXPECT_EQ(zor::ElementAccess::intValue(*record.getData((stem + "2").c_str())), 3);
    EXPECT_EQ(record.getData((stem + "3").c_str()), nullptr);
    EXPECT_EQ(record.getData(stem.c_str()), nullptr);
    EXPECT_EQ(record.hasPrefix(stem.c_str()), 1);
}

TEST(RecordTest, ClearDeletesElementsAndKeepsTheName) {
    DataMap record;
    record.setName("kept");
    for (int n = 0; n < 250; ++n) record.appElem(new StoreEl("e", n));
    record.clear();
    EXPECT_EQ(record.getData(nullptr), nullptr);
    EXPECT_EQ(record.getData("e"), nullptr);
    EXPECT_STREQ(record.getName(), "kept");
    EXPECT_EQ(zor::ElementAccess::liveElements(), 0);
    record.appElem(new StoreEl("after", 1));
    EXPECT_EQ(listing(record), (Listing{"after=1"}));
}

TEST(RecordTest, SetNameCutsAtFourHundredNinetyNineCharacters) {
    DataMap record;
    std::string longName(700, 'n');
    record.setName(longName.c_str());
    EXPECT_EQ(std::string(record.getName()), longName.substr(0, 499));
    record.setName(nullptr);
    EXPECT_STREQ(record.getName(), "");
}

TEST(RecordTest, DeepCopyMergesRepeatedNamesAtTheirFirstPlace) {
    DataMap source;
    source.setName("source");
    source.appElem(new StoreEl("x", 1));
    source.appElem(new StoreEl("y", "s"));
    source.appElem(new StoreEl("x", 2));
    DataMap copy;
    copy.appElem(new StoreEl("old", 9));
    copy = source;
    EXPECT_EQ(listing(copy), (Listing{"x=2", "y='s'"}));
    EXPECT_STREQ(copy.getName(), "source");
    EXPECT_NE(copy.getData("y"), source.getData("y"));
}

TEST(RecordTest, DeepCopyKeepsLongNamesAndValuesWhole) {
    DataMap source;
    std::string longName(800, 'n');
    std::string longValue(3000, 'v');
    source.appElem(new StoreEl(longName.c_str(), longValue.c_str()));
    source.appElem(new StoreEl("d", 0.25));
    DataMap copy(source);
    ASSERT_NE(copy.getData(longName.c_str()), nullptr);
    EXPECT_EQ(static_cast<const char*>(copy.getData(longName.c_str())->getData()), longValue);
    EXPECT_EQ(listing(copy)[1], "d=0.250000d");
}

TEST(RecordTest, CopyConstructionDoesNotShareElements) {
    DataMap source;
    source["a"] = "first";
    DataMap copy(source);
    source["a"] = "changed";
    source.clear();
    EXPECT_STREQ(static_cast<char*>(copy["a"]), "first");
}

TEST(RecordTest, SelfAssignmentLeavesTheRecordUnchanged) {
    DataMap record;
    record.appElem(new StoreEl("x", 1));
    record.appElem(new StoreEl("x", 2));
    DataMap& alias = record;
    record = alias;
    EXPECT_EQ(listing(record), (Listing{"x=1", "x=2"}));
}

TEST(RecordTest, DeepCopySkipsElementsOfUnknownType) {
    DataMap source;
    auto* odd = new StoreEl("odd", 1);
    odd->setType(7);
    source.appElem(odd);
    source.appElem(new StoreEl("y", 2));
    DataMap copy;
    copy = source;
    EXPECT_EQ(listing(copy), (Listing{"y=2"}));
}

TEST(RecordTest, ExtractionTakesMembersAndItemsOfAPath) {
    DataMap record;
    record["list[0]"] = 1;
    record["list[1].a"] = "s";
    record["lister"] = 2;
    record["list.len"] = 3;
    record["list."] = 4;
    DataMap part;
    part.setName("part");
    part = record["list"];
    EXPECT_EQ(listing(part), (Listing{"0]=1", "1].a='s'", "len=3"}));
    EXPECT_STREQ(part.getName(), "part");
    DataMap constructed(record["list"]);
    EXPECT_EQ(listing(constructed), listing(part));
    EXPECT_STREQ(constructed.getName(), "DataMap");
}

TEST(RecordTest, ExtractionStopsAtAnElementOfUnknownType) {
    DataMap record;
    record["p.a"] = 1;
    record["p.b"] = 2;
    record["p.c"] = 3;
    record.getData("p.b")->setType(9);
    DataMap part(record["p"]);
    EXPECT_EQ(listing(part), (Listing{"a=1"}));
}

TEST(RecordTest, ExtractionFromTheRecordItselfKeepsTheMembers) {
    DataMap record;
    record["pos.x"] = 1;
    record["other"] = 5;
    record["pos.y"] = 2;
    record = record["pos"];
    EXPECT_EQ(listing(record), (Listing{"x=1", "y=2"}));
}

TEST(RecordTest, PrefixTestIsOnRawText) {
    DataMap record;
    EXPECT_EQ(record.hasPrefix("pos"), 0);
    record["position"] = 1;
    EXPECT_EQ(record.hasPrefix("pos"), 1);
    EXPECT_EQ(record.hasPrefix("position"), 1);
    EXPECT_EQ(record.hasPrefix("positions"), 0);
    EXPECT_EQ(record.hasPrefix("q"), 0);
    EXPECT_EQ(record.hasPrefix(""), 0);
    EXPECT_EQ(record.hasPrefix(nullptr), 0);
    record["a"] = 1;
    record["z"] = 1;
    EXPECT_EQ(record.hasPrefix("p"), 1);
    EXPECT_EQ(record.hasPrefix("b"), 0);
}

TEST(RecordTest, ManyElementsAreFoundByName) {
    DataMap record;
    for (int n = 0; n < 3000; ++n) record["item"][n]["value"] = n;
    for (int n = 0; n < 3000; n += 7) EXPECT_EQ(static_cast<int>(record["item"][n]["value"]), n);
    EXPECT_EQ(record.getData(nullptr)->getNext()->getName(), std::string("item[1].value"));
}

}  // namespace
