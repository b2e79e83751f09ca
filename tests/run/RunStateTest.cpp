// Results in parentheses that become globals.
#include <gtest/gtest.h>

#include <string>

#include "StoreTestSupport.h"
#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

namespace {

// "(r).mN" sorts before "(r-N)" but "(r.mN)" sorts after it: the renamed
// elements must move in the tree, or look-ups by the new names miss.
TEST(ResultGlobalsTest, ParenthesisedResultsBecomeGlobalsAndKeepTheirNewNames) {
    DataMap& out = Parse::getOutStore();
    DataMap globals;
    globals["rate"] = "old";
    out["(rate)"] = 0.5;
    out["(a)b"] = 3;
    std::string renamed = "(rate)=0.500000 (ab)=3";
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i), minus = std::to_string(-i);
        out[("(r).m" + n).c_str()] = i;
        out[("(r-" + n + ")").c_str()] = -i;
        renamed += " (r.m" + n + ")=" + n + " (r-" + n + ")=" + minus;
    }
    Parse::addToGlobals(globals);
    Parse::addToGlobals(globals);  // finds the names changed and copies the same keys
    for (StoreEl* element = out.getData(nullptr); element; element = element->getNext())
        EXPECT_EQ(out.getData(element->getName()), element) << element->getName();
    EXPECT_EQ(storetest::elementsOf(out), renamed);
    std::erase(renamed, '(');
    std::erase(renamed, ')');
    EXPECT_EQ(storetest::elementsOf(globals), renamed);  // the old text gave way
    out.clear();
}

}  // namespace
