// Result globals and the counted wait.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "StoreTestSupport.h"
#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

namespace {

using Clock = std::chrono::steady_clock;

// Each test starts from an empty output store, a reset counter and no hook.
class RunStateFixture : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        out.clear();
        Parse::setDispatchHook(nullptr);
        Parse::startEvent();
    }
    long elapsed() const { return (Clock::now() - start) / std::chrono::milliseconds(1); }
    DataMap& out = Parse::getOutStore();
    DataMap globals;
    Clock::time_point start = Clock::now();
};
using ResultGlobalsTest = RunStateFixture;
using NotificationTest = RunStateFixture;

// "(r).mN" sorts before "(r-N)" but "(r.mN)" sorts after it: the renamed
// elements must move in the tree, or look-ups by the new names miss.
TEST_F(ResultGlobalsTest, ParenthesisedResultsBecomeGlobalsAndKeepTheirNewNames) {
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
}

// Thread t starts after 20 t milliseconds: the wait's own count meets
// notifications in flight, and the wait cannot end before 60.
TEST_F(NotificationTest, NotificationsFromOtherThreadsEndAnUnlimitedWait) {
    constexpr int threads = 4, each = 2000;
    std::vector<std::jthread> notifiers;
    for (int t = 0; t < threads; ++t)
        notifiers.emplace_back([t] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20 * t));
            for (int i = 0; i < each; ++i) Parse::receivedNotification();
        });
    Parse::waitForNotify(threads * each, 0);
    EXPECT_GE(elapsed(), 60);
    notifiers.clear();
    // On a busy machine all may come before the wait; none is lost either way.
    EXPECT_TRUE(Parse::getWaitCtr() == 0 || Parse::getWaitCtr() == -threads * each);
}

}  // namespace
