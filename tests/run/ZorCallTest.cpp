// The registry of test functions as hosts and editors read it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "run/ZorCall.h"

namespace {

void first() {}
void second() {}

void collect(const char* name, void* context) {
    auto* names = static_cast<std::vector<std::string>*>(context);
    names->push_back(name);
    // The registry may be asked while it is being listed.
    EXPECT_NE(ZorCall::getFunc(name), nullptr) << name;
}

std::vector<std::string> registeredNames(int* visited = nullptr) {
    std::vector<std::string> names;
    const int count = ZorCall::forEachName(collect, &names);
    if (visited) *visited = count;
    return names;
}

// Names come once each, in byte order (capitals first), whatever order they
// were registered in and however often; the last registration goes with
// the registry.
TEST(ZorCallTest, ListsEveryNameOnceInByteOrder) {
    ASSERT_EQ(ZorCall::getCtr(), 0) << "this test owns the registry";
    EXPECT_EQ(registeredNames(), std::vector<std::string>{});
    {
        auto login = std::make_unique<ZorCall>("login", first);
        const ZorCall order("Order", first);
        const ZorCall shop("shop.cart", second);
        const ZorCall again("login", second);
        const ZorCall add("add", first);
        int visited = 0;
        EXPECT_EQ(registeredNames(&visited),
                  (std::vector<std::string>{"Order", "add", "login", "shop.cart"}));
        EXPECT_EQ(visited, 4);
        EXPECT_EQ(ZorCall::getFunc("login"), &second);
        // Destroying one object unregisters nothing.
        login.reset();
        EXPECT_EQ(registeredNames().size(), 4u);
    }
    EXPECT_EQ(registeredNames(), std::vector<std::string>{});
    EXPECT_EQ(ZorCall::forEachName(nullptr, nullptr), 0);
}

}  // namespace
