#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "store/StringHeap.h"

using storetest::Listing;
using storetest::listing;

namespace {

TEST(ValueRefTest, ReadsGiveZeroForMissingElementsAndOtherTypes) {
    DataMap record;
    EXPECT_EQ(static_cast<int>(record["a"]), 0);
    EXPECT_EQ(static_cast<double>(record["a"]), 0.0);
    EXPECT_STREQ(static_cast<char*>(record["a"]), "");
    EXPECT_EQ(record["a"].getType(), 0);
    EXPECT_EQ(record.getData(nullptr), nullptr);
    // Reads do not convert between types.
    record["i"] = 3;
    record["d"] = 1.5;
    record["s"] = "7";
    EXPECT_EQ(static_cast<double>(record["i"]), 0.0);
    EXPECT_STREQ(static_cast<char*>(record["i"]), "");
    EXPECT_EQ(static_cast<int>(record["d"]), 0);
    EXPECT_EQ(static_cast<int>(record["s"]), 0);
    EXPECT_EQ(static_cast<int>(record["i"]), 3);
    EXPECT_EQ(static_cast<double>(record["d"]), 1.5);
}

TEST(ValueRefTest, AssignmentsRetypeTheElementInPlace) {
    DataMap record;
    record["first"] = 0;
    record["a"] = 5;
    record["last"] = 0;
    EXPECT_EQ(listing(record), (Listing{"first=0", "a=5", "last=0"}));
    record["a"] = "text";
    EXPECT_EQ(listing(record), (Listing{"first=0", "a='text'", "last=0"}));
    record["a"] = 2.5;
    EXPECT_EQ(listing(record), (Listing{"first=0", "a=2.500000d", "last=0"}));
    EXPECT_EQ(record["a"].getType(), StoreEl::typeDouble);
}

TEST(ValueRefTest, LongerStringGetsABlockThatShorterOnesReuse) {
    DataMap record;
    record["a"] = 1;
    std::string sixty(60, 's');
    record["a"] = sixty.c_str();
    StoreEl* element = record.getData("a");
    EXPECT_EQ(element->getLen(), 61);
    EXPECT_EQ(zor::StringHeap::blockOrder(element->getData()), 7);
    void* block = element->getData();
    record["a"] = "0123456789";
    EXPECT_EQ(element->getLen(), 61);
    EXPECT_EQ(element->getData(), block);
    EXPECT_STREQ(static_cast<char*>(record["a"]), "0123456789");
    record["a"] = 4;
    EXPECT_EQ(element->getLen(), 61);
    EXPECT_EQ(static_cast<int>(record["a"]), 4);
}

TEST(ValueRefTest, StringsBeyondTheStringHeapAreStoredWhole) {
    DataMap record;
    std::string big(1000, 'b');
    std::string bigger(2000, 'c');
    record["s"] = big.c_str();
    EXPECT_EQ(std::string(static_cast<char*>(record["s"])), big);
    record["s"] = bigger.c_str();
    EXPECT_EQ(record.getData("s")->getLen(), 2001);
    EXPECT_EQ(std::string(static_cast<char*>(record["s"])), bigger);
    record["s"] = "short";
    EXPECT_STREQ(static_cast<char*>(record["s"]), "short");
    record["n"] = 1;
    record["n"] = big.c_str();
    EXPECT_EQ(std::string(static_cast<char*>(record["n"])), big);
}

TEST(ValueRefTest, NullTextAssignsTheEmptyString) {
    DataMap record;
    record["a"] = static_cast<const char*>(nullptr);
    EXPECT_EQ(record["a"].getType(), StoreEl::typeString);
    EXPECT_STREQ(static_cast<char*>(record["a"]), "");
    record["b"] = 1;
    record["b"] = static_cast<const char*>(nullptr);
    EXPECT_STREQ(static_cast<char*>(record["b"]), "");
}

TEST(ValueRefTest, ReferenceWithoutRecordReadsNothingAndAssignsNothing) {
    StoreCv loose(nullptr, "a");
    EXPECT_EQ(static_cast<int>(loose), 0);
    EXPECT_EQ(static_cast<double>(loose), 0.0);
    EXPECT_STREQ(static_cast<char*>(loose), "");
    EXPECT_EQ(loose.getType(), 0);
    loose = 1;
    loose = 2.0;
    loose = "x";
    const unsigned short wide[] = {0x41, 0};
    loose = wide;
    DataMap record;
    record["a"] = 5;
    loose = record["a"];
    record["b"] = loose;
    loose = record;
    EXPECT_EQ(listing(record), (Listing{"a=5"}));
    EXPECT_EQ(StoreCv(nullptr, nullptr).getName(), std::string());
}

TEST(ValueRefTest, IndexingBuildsMemberAndItemPaths) {
    DataMap record;
    EXPECT_STREQ(record["list"][2]["name"].getName(), "list[2].name");
    EXPECT_STREQ(record["a"][-1].getName(), "a[-1]");
    EXPECT_STREQ(record["a"][nullptr].getName(), "a");
    EXPECT_STREQ(record["m"][-2147483647 - 1].getName(), "m[-2147483648]");
    EXPECT_EQ(record["a"]["b"].getData(), &record);
    record["list"][2]["name"] = "n";
    EXPECT_EQ(listing(record), (Listing{"list[2].name='n'"}));
}

TEST(ValueRefTest, PathsLongerThanFourHundredNinetyNineAreCut) {
    DataMap record;
    std::string exact(499, 'p');
    std::string over(500, 'p');
    EXPECT_EQ(std::string(StoreCv(&record, exact.c_str()).getName()), exact);
    EXPECT_EQ(std::string(StoreCv(&record, over.c_str()).getName()), exact);
    std::string stem(495, 'q');
    EXPECT_EQ(std::string(record[stem.c_str()]["member"].getName()), stem + ".mem");
    EXPECT_EQ(std::string(record[stem.c_str()][12345].getName()), stem + "[123");
}

TEST(ValueRefTest, WideTextsAreNarrowedToTheirLowBytes) {
    DataMap record;
    const unsigned short ab[] = {0x0041, 0x0042, 0};
    const unsigned short cut[] = {0x0041, 0x0100, 0x0043, 0};
    const unsigned short high[] = {0x2141, 0};
    record["ab"] = ab;
    record["cut"] = cut;
    record["high"] = high;
    record["null"] = static_cast<const unsigned short*>(nullptr);
    EXPECT_EQ(listing(record), (Listing{"ab='AB'", "cut='A'", "high='A'", "null=''"}));
}

TEST(ValueRefTest, LongWideTextsAreNarrowedWhole) {
    DataMap record;
    std::vector<unsigned short> wide(1500, 0x0061);
    wide.push_back(0);
    record["w"] = wide.data();
    EXPECT_EQ(std::string(static_cast<char*>(record["w"])), std::string(1500, 'a'));
}

TEST(ValueRefTest, CopyingAReferenceCopiesTheValue) {
    DataMap a;
    DataMap b;
    a["i"] = 1;
    a["d"] = 0.5;
    a["s"] = "text";
    b["x"] = a["i"];
    b["y"] = a["d"];
    b["z"] = a["s"];
    b["z"] = b["z"];
    b["none"] = a["missing"];
    EXPECT_EQ(listing(b), (Listing{"x=1", "y=0.500000d", "z='text'"}));
}

TEST(ValueRefTest, CopyingASubRecordGraftsItsMembersUnderTheNewPath) {
    DataMap source;
    DataMap target;
    source["a"]["x"] = 1;
    source["a"][0] = "s";
    source["a"][0]["y"] = 2.5;
    target["b"] = source["a"];
    EXPECT_EQ(listing(target), (Listing{"b.x=1", "b[0]='s'", "b[0].y=2.500000d"}));
}

TEST(ValueRefTest, GraftingHangsItemsWithBracketsAndMembersWithDots) {
    DataMap source;
    source["3]"] = 1;
    source["3].a"] = 2;
    source["x"] = 3;
    source["0x1F"] = 4;
    source["0X2"] = 5;
    source["7"] = 6;
    DataMap target;
    target["p"] = source;
    EXPECT_EQ(listing(target),
              (Listing{"p[3]=1", "p[3].a=2", "p.x=3", "p.0x1F=4", "p.0X2=5", "p[7=6"}));
}

TEST(ValueRefTest, GraftingOverwritesPresentElements) {
    DataMap source;
    source["x"] = "long enough to need a block of its own, surely";
    source["y"] = 2;
    source["z"] = 3;
    DataMap target;
    target["p.y"] = "was text";
    target["p.x"] = 1;
    target["p"] = source;
    EXPECT_EQ(listing(target),
              (Listing{"p.y=2", "p.x='long enough to need a block of its own, surely'", "p.z=3"}));
}

TEST(ValueRefTest, GraftingWithoutThePathPresentAppendsRepeatedNames) {
    DataMap source;
    source.appElem(new StoreEl("x", 1));
    source.appElem(new StoreEl("x", 2));
    DataMap target;
    target["p"] = source;
    EXPECT_EQ(listing(target), (Listing{"p.x=1", "p.x=2"}));
    target["p"] = source;
    EXPECT_EQ(listing(target).size(), 2u);
}

TEST(ValueRefTest, GraftingARecordIntoItselfGraftsOnlyItsFormerElements) {
    DataMap record;
    record["a"] = 1;
    record["b"] = 2;
    record["p"] = record;
    EXPECT_EQ(listing(record), (Listing{"a=1", "b=2", "p.a=1", "p.b=2"}));
}

TEST(ValueRefTest, GraftTargetsLongerThanFourHundredNinetyNineAreCut) {
    DataMap source;
    std::string member(600, 'm');
    source[member.c_str()] = 1;
    DataMap target;
    target["p"] = source;
    ASSERT_NE(target.getData(nullptr), nullptr);
    EXPECT_EQ(std::string(target.getData(nullptr)->getName()), "p." + member.substr(0, 497));
}

TEST(ValueRefTest, GraftStopsAtAnElementOfUnknownType) {
    DataMap source;
    source["a"] = 1;
    source["b"] = 2;
    source["c"] = 3;
    source.getData("b")->setType(5);
    DataMap target;
    target["p"] = source;
    EXPECT_EQ(listing(target), (Listing{"p.a=1"}));
    // Over present elements an unknown type is skipped and the walk goes on.
    target["p.b"] = 0;
    target["p.c"] = 0;
    target["p"] = source;
    EXPECT_EQ(listing(target), (Listing{"p.a=1", "p.b=0", "p.c=3"}));
}

}  // namespace
