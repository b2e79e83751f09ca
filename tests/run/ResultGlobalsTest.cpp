#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

namespace {

std::vector<std::string> names(const DataMap& record) {
    std::vector<std::string> result;
    for (StoreEl* element = record.getData(nullptr); element; element = element->getNext())
        result.emplace_back(element->getName());
    return result;
}

class ResultGlobalsTest : public ::testing::Test {
protected:
    void SetUp() override { out.clear(); }
    void TearDown() override { out.clear(); }
    DataMap& out = Parse::getOutStore();
    DataMap globals;
};

TEST_F(ResultGlobalsTest, ParenthesisedResultsBecomeGlobals) {
    out["(id)"] = 7;
    out["(rate)"] = 0.5;
    out["(user)"] = "x";
    out["plain"] = 1;
    out["(open"] = 2;
    Parse::addToGlobals(globals);
    EXPECT_EQ(names(globals), (std::vector<std::string>{"id", "rate", "user"}));
    EXPECT_EQ(static_cast<int>(globals["id"]), 7);
    EXPECT_EQ(static_cast<double>(globals["rate"]), 0.5);
    EXPECT_STREQ(static_cast<char*>(globals["user"]), "x");
    EXPECT_EQ(names(out), (std::vector<std::string>{"(id)", "(rate)", "(user)", "plain", "(open"}));
}

TEST_F(ResultGlobalsTest, MembersAndItemsAreRenamedInPlace) {
    out["(conn).host"] = "h";
    out["(conn).port"] = 80;
    out["(ids)[2]"] = 5;
    out["(a)b"] = 1;
    out["()"] = 3;
    Parse::addToGlobals(globals);
    EXPECT_EQ(names(out),
              (std::vector<std::string>{"(conn.host)", "(conn.port)", "(ids[2])", "(ab)", "()"}));
    EXPECT_EQ(names(globals),
              (std::vector<std::string>{"conn.host", "conn.port", "ids[2]", "ab", ""}));
    EXPECT_EQ(static_cast<int>(globals["conn.port"]), 80);
}

TEST_F(ResultGlobalsTest, ExistingGlobalTakesNewValueAndType) {
    globals["id"] = "old";
    out["(id)"] = 9;
    Parse::addToGlobals(globals);
    // A second pass finds the names already changed and copies the same keys.
    Parse::addToGlobals(globals);
    EXPECT_EQ(names(globals), (std::vector<std::string>{"id"}));
    EXPECT_EQ(globals.getType("id"), 1);
    EXPECT_EQ(static_cast<int>(globals["id"]), 9);
}

// "(r).mN" sorts before "(r-N)" but "(r.mN)" sorts after it: the renamed
// elements must move in the tree, or look-ups by the new names miss.
TEST_F(ResultGlobalsTest, RenamedResultsAreFoundByTheirNewNames) {
    std::vector<std::string> expected;
    for (int i = 0; i < 40; ++i) {
        const std::string member = "(r).m" + std::to_string(i);
        const std::string neighbour = "(r-" + std::to_string(i) + ")";
        out[member.c_str()] = i;
        out[neighbour.c_str()] = -i;
        expected.push_back("(r.m" + std::to_string(i) + ")");
        expected.push_back(neighbour);
    }
    Parse::addToGlobals(globals);
    EXPECT_EQ(names(out), expected);
    for (const std::string& name : expected) {
        StoreEl* found = out.getData(name.c_str());
        ASSERT_NE(found, nullptr) << name;
        EXPECT_STREQ(found->getName(), name.c_str());
    }
}

}  // namespace
