// The registry of test functions as hosts and editors read it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/ZorCall.h"

namespace {

void first() {}
void second() {}

// The registry may be asked while it is being listed.
void collect(const char* name, void* names) {
    static_cast<std::vector<std::string>*>(names)->push_back(name);
    EXPECT_NE(ZorCall::getFunc(name), nullptr) << name;
}

// Names come once each, in byte order, however often they were registered;
// the last registration goes with the registry.
TEST(ZorCallTest, ListsEveryNameOnceInByteOrder) {
    ASSERT_EQ(ZorCall::getCtr(), 0) << "this test owns the registry";
    std::vector<std::string> names;
    {
        const ZorCall login("login", first), order("Order", first), again("login", second);
        EXPECT_EQ(ZorCall::forEachName(collect, &names), 2);
        EXPECT_EQ(ZorCall::getFunc("login"), &second);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Order", "login"}));
    EXPECT_EQ(ZorCall::forEachName(collect, &names), 0);
}

}  // namespace
