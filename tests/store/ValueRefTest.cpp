#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "TempDir.h"
#include "run/AdaptIO.h"
#include "run/SharedIO.h"

namespace storetest {

// The element keeps its place in the list whatever type a value gives it.
// Texts beyond the string heap's largest block are stored whole; wide texts are
// narrowed to their low bytes up to the first unit whose low byte is 0.
TEST(ValueRefTest, AssignmentsRetypeInPlaceAndStoreTextsWhole) {
    DataMap record;
    append(record, {{"first", 0}, {"a", 5}, {"last", 0}});
    record["a"] = 2.5;
    record["a"] = std::string(60, 's').c_str();
    record["a"] = "0123456789";  // a short text over a long one
    EXPECT_EQ(text(record["a"]), "0123456789");
    record["a"] = static_cast<const char*>(nullptr);
    record["s"] = std::string(1000, 'b').c_str();
    record["s"] = std::string(2000, 'c').c_str();
    EXPECT_EQ(record.getData("s")->getLen(), 2001);
    record["s"] = "short";
    std::vector<unsigned short> wide(1500, 0x0061);
    wide.push_back(0);
    const unsigned short cut[] = {0x41, 0x100, 0x43, 0}, high[] = {0x2141, 0};
    record["w"] = wide.data();
    record["cut"] = cut;
    record["high"] = high;
    record["null"] = static_cast<const unsigned short*>(nullptr);
    EXPECT_EQ(elementsOf(record), "first=0 a=\"\" last=0 s=\"short\" w=\"" +
                                      std::string(1500, 'a') + "\" cut=\"A\" high=\"A\" null=\"\"");
}

// Missing elements and other types read as 0, 0.0 or "", and reading adds nothing.
// Without a record there is nothing to read or write; assignments chain.
TEST(ValueRefTest, ReadsNeitherConvertTypesNorAddElements) {
    DataMap record;
    record["i"] = 3;
    record["d"] = 1.5;
    record["s"] = "7";
    StoreCv loose(nullptr, "i");
    EXPECT_EQ(record["m"].getType() + loose.getType(), 0);
    EXPECT_EQ(int(record["m"]) + int(record["d"]) + int(record["s"]) + int(loose), 0);
    EXPECT_EQ(double(record["m"]) + double(record["i"]) + double(loose), 0.0);
    EXPECT_EQ(text(record["m"]) + text(record["i"]) + text(loose), "");
    ((loose = 1) = "x") = record["i"];
    EXPECT_EQ(elementsOf(record), "i=3 d=1.500000 s=\"7\"");
}

// Values are copied by type; a path naming no element is taken as a sub-record
// and grafted, overwriting present elements in place and appending the others:
// items hang with brackets, members with dots. A record grafted into itself
// contributes only the elements it had.
TEST(ValueRefTest, CopyingAReferenceCopiesAValueOrGraftsASubRecord) {
    DataMap source, target;
    append(source, {{"i", 1}, {"a.x", 1}});
    source["s"] = "text";
    source["a"][0]["y"] = 2.5;
    target["b.x"] = "was text";
    target["x"] = source["i"];
    target["y"] = source["s"];
    target["none"] = source["missing"];
    target["b"] = source["a"];
    EXPECT_EQ(elementsOf(target), "b.x=1 x=1 y=\"text\" b[0].y=2.500000");
    // Odd names keep their characters; a name beyond 499 characters is cut.
    DataMap items;
    const std::string m600(600, 'm'), m497(497, 'm');
    append(items, {{"3]", 1}, {"0x1F", 4}, {m600.c_str(), 6}});
    items["q"] = items;
    EXPECT_EQ(elementsOf(items), "3]=1 0x1F=4 " + m600 + "=6 q[3]=1 q.0x1F=4 q." + m497 + "=6");
}

template <typename Action>
std::string messagesOf(Action action) {
    zortest::TempDir dir;
    std::string out = dir.file("out.txt");
    EXPECT_EQ(zor::sharedIO().openOut(out.c_str()), 1);
    action();
    zor::sharedIO().closeOut();
    return zortest::readFile(out);
}

// Paths are built whole and cut to 499 characters afterwards; a cut path is
// reported once, at the full length it was built to.
// Unknown types are reported by the operation that met them.
TEST(StoreMessageTest, OverlongPathsAndUnknownTypesAreReported) {
    std::string exact(499, 'p'), stem(498, 's');
    DataMap record;
    EXPECT_EQ(messagesOf([&] { record[exact.c_str()] = 1; }), "");
    EXPECT_EQ(messagesOf([&] { record[(exact + "p").c_str()] = 2; }),
              "\r\nname truncated: " + exact + "p\r\n");
    EXPECT_EQ(messagesOf([&] { record[stem.c_str()]["member"] = 3; }),
              "\r\nname truncated: " + stem + ".member\r\n");
    EXPECT_EQ(int(record[exact.c_str()]), 2);
    EXPECT_STREQ(record["m"][-2147483647 - 1].getName(), "m[-2147483648]");
    EXPECT_EQ(record[std::string(495, 'q').c_str()][12345].getName(),
              std::string(495, 'q') + "[123");
    DataMap odd, copy;
    odd["a"] = 1;
    odd.getData("a")->setType(4);
    EXPECT_EQ(messagesOf([&] { copy = odd; }), "\r\nDataMap::operator= unknown type\r\n");
    EXPECT_EQ(messagesOf([&] { copy["p"] = odd; }), "\r\nStoreCv::operator= unknown type\r\n");
}

}  // namespace storetest
