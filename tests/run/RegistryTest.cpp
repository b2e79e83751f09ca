#include <gtest/gtest.h>

#include <memory>

#include "run/ZorCall.h"

namespace {

void first() {}
void second() {}

TEST(RegistryTest, RegistryLivesWhileAnyObjectDoes) {
    EXPECT_EQ(ZorCall::getFunc(nullptr), nullptr);
    EXPECT_EQ(ZorCall::getFunc("login"), nullptr);
    auto login = std::make_unique<ZorCall>("login", first);
    auto logout = std::make_unique<ZorCall>("logout", second);
    EXPECT_NE(ZorCall::getFunc(nullptr), nullptr);
    EXPECT_EQ(ZorCall::getFunc("login"), &first);
    EXPECT_EQ(ZorCall::getFunc("never"), nullptr);

    // Registrations outlive the object that made them.
    login.reset();
    EXPECT_EQ(ZorCall::getFunc("login"), &first);
    EXPECT_EQ(ZorCall::getFunc("logout"), &second);

    logout.reset();
    EXPECT_EQ(ZorCall::getFunc(nullptr), nullptr);
    EXPECT_EQ(ZorCall::getFunc("login"), nullptr);
    EXPECT_EQ(ZorCall::getFunc("logout"), nullptr);
}

TEST(RegistryTest, SecondRegistrationOfANameWins) {
    ZorCall one("step", first);
    ZorCall two("step", second);
    EXPECT_EQ(ZorCall::getFunc("step"), &second);
}

TEST(RegistryTest, NewRegistryStartsEmpty) {
    { ZorCall old("old", first); }
    ZorCall fresh("fresh", second);
    EXPECT_EQ(ZorCall::getFunc("old"), nullptr);
    EXPECT_EQ(ZorCall::getFunc("fresh"), &second);
}

TEST(RegistryTest, OnlyRegistryValuesGiveFunctions) {
    ZorCall one("one", first);
    ZorCall unnamed(nullptr, second);
    EXPECT_EQ(ZorCall::getFunc("one"), &first);
    EXPECT_EQ(ZorCall::getFunc(""), nullptr);
}

}  // namespace
