#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace {

using Clock = std::chrono::steady_clock;

long millisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Each test starts from a reset counter, no hook and an empty output store.
class NotificationTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        Parse::setDispatchHook(nullptr);
        Parse::startEvent();
        Parse::getOutStore().clear();
    }
    static bool timedOut() { return Parse::getOutStore().getType("WAIT") != 0; }
};

TEST_F(NotificationTest, NotificationsInAdvanceEndTheWaitAtOnce) {
    Parse::receivedNotification();
    Parse::receivedNotification();
    const auto start = Clock::now();
    Parse::waitForNotify(2, 1000);
    EXPECT_LT(millisecondsSince(start), 50);
    EXPECT_EQ(Parse::getWaitCtr(), -2);
    Parse::waitForNotify(0, 100);
    EXPECT_EQ(Parse::getWaitCtr(), -2);
    EXPECT_FALSE(timedOut());
}

TEST_F(NotificationTest, TimeLimitLeavesMarkerAndShortfall) {
    const auto start = Clock::now();
    Parse::waitForNotify(1, 300);
    const long waited = millisecondsSince(start);
    EXPECT_GT(waited, 300);
    EXPECT_LT(waited, 1000);  // noticed within one pause, with room for a busy machine
    EXPECT_STREQ(static_cast<char*>(Parse::getOutStore()["WAIT"]), "TIMEOUT_ERROR");
    EXPECT_EQ(Parse::getWaitCtr(), 1);
}

TEST_F(NotificationTest, NotificationFromAnotherThreadEndsAnUnlimitedWait) {
    std::thread notifier([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        Parse::receivedNotification();
    });
    const auto start = Clock::now();
    Parse::waitForNotify(1, 0);
    notifier.join();
    EXPECT_GE(millisecondsSince(start), 80);
    EXPECT_EQ(Parse::getWaitCtr(), 0);
    EXPECT_FALSE(timedOut());
}

TEST_F(NotificationTest, ConcurrentNotificationsAreAllCounted) {
    constexpr int threads = 4;
    constexpr int each = 2000;
    std::vector<std::thread> notifiers;
    for (int t = 0; t < threads; ++t)
        notifiers.emplace_back([] {
            for (int i = 0; i < each; ++i) Parse::receivedNotification();
        });
    Parse::waitForNotify(threads * each, 5000);
    for (std::thread& notifier : notifiers) notifier.join();
    EXPECT_FALSE(timedOut());
    // Either the wait added its count while notifications came in, or all of
    // them came first and the wait returned at once; no update is lost.
    const int left = Parse::getWaitCtr();
    EXPECT_TRUE(left == 0 || left == -threads * each) << left;
}

// A host event loop: the third pending event is the completion.
int hookCalls = 0;
int dispatchOneEvent() {
    ++hookCalls;
    if (hookCalls == 3) Parse::receivedNotification();
    return 1;
}

TEST_F(NotificationTest, DispatchHookDeliversTheNotification) {
    hookCalls = 0;
    Parse::setDispatchHook(dispatchOneEvent);
    const auto start = Clock::now();
    Parse::waitForNotify(1, 1000);
    EXPECT_EQ(hookCalls, 3);
    EXPECT_LT(millisecondsSince(start), 50);
    EXPECT_FALSE(timedOut());
}

// A hook with nothing pending lets the loop sleep, so the time limit still holds.
int nothingPending() {
    ++hookCalls;
    return 0;
}

TEST_F(NotificationTest, IdleHookStillSleepsAndTimesOut) {
    hookCalls = 0;
    Parse::setDispatchHook(nothingPending);
    Parse::waitForNotify(1, 150);
    EXPECT_TRUE(timedOut());
    EXPECT_GT(hookCalls, 3);
    EXPECT_LT(hookCalls, 20);
}

TEST_F(NotificationTest, StartEventDiscardsEarlierNotifications) {
    Parse::receivedNotification();
    EXPECT_EQ(Parse::startEvent(), 0);  // no callback set
    EXPECT_EQ(Parse::getWaitCtr(), 0);
    Parse::waitForNotify(1, 120);
    EXPECT_TRUE(timedOut());
}

}  // namespace
