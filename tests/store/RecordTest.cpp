#include <string>

#include "StoreTestSupport.h"

namespace storetest {

// Names compare as whole texts of unsigned bytes, case-sensitively, also beyond
// the string heap; the list keeps the order of addition, repeated names included.
TEST(RecordTest, LookUpsMatchWholeNamesAndTheListKeepsAdditionOrder) {
    DataMap record;
    EXPECT_EQ(record.getData(nullptr), nullptr);
    std::string stem(600, 'k'), k2 = stem + "2";
    append(record, {{"z", 1}, {"a", 2}, {"B", 3}, {"\xe4", 4}, {"a", 5}, {"", 6}, {k2.c_str(), 7}});
    record.appElem(nullptr);
    EXPECT_EQ(elementsOf(record), "z=1 a=2 B=3 \xe4=4 a=5 =6 " + k2 + "=7");
    for (const std::string& name : Listing{"z", "B", "\xe4", "", k2}) {
        StoreEl* found = record.getData(name.c_str());
        EXPECT_TRUE(found && found->getName() == name) << name;
    }
    for (const std::string& name : Listing{"A", stem, stem + "3"})
        EXPECT_EQ(record.getData(name.c_str()), nullptr) << name;
    // The prefix test is on raw text, whatever sorts between the neighbours.
    for (const std::string& hit : Listing{"k", stem, k2, "\xe4"})
        EXPECT_EQ(record.hasPrefix(hit.c_str()), 1) << hit;
    for (const std::string& miss : Listing{"ab", "y", "\xe5", "", k2 + "2"})
        EXPECT_EQ(record.hasPrefix(miss.c_str()), 0) << miss;
}

// A repeated name yields one element at its first place holding the last value;
// long texts and the record's name are copied whole.
TEST(RecordTest, DeepCopyMergesRepeatedNamesAndSharesNothing) {
    DataMap source;
    source.setName(std::string(700, 'n').c_str());
    std::string longName(800, 'n'), longValue(3000, 'v');
    append(source, {{"x", 1}});
    source.appElem(new StoreEl("y", "s"));
    source.appElem(new StoreEl(longName.c_str(), longValue.c_str()));
    append(source, {{"x", 2}});
    DataMap copy;
    copy["old"] = 9;
    copy = source;
    const std::string expected = "x=2 y=\"s\" " + longName + "=\"" + longValue + "\"";
    EXPECT_EQ(elementsOf(copy), expected);
    EXPECT_EQ(copy.getName(), std::string(499, 'n'));
    DataMap constructed(source);
    DataMap& alias = source;
    source = alias;
    EXPECT_EQ(elementsOf(source), "x=1 y=\"s\" " + longName + "=\"" + longValue + "\" x=2");
    source.clear();
    EXPECT_EQ(elementsOf(constructed), expected);
}

}  // namespace storetest
