// Counted waits for asynchronous completions of a test.
#include <algorithm>

#include "run/Parse.h"
#include "run/Ticks.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace {

constexpr int firstPause = 1;
constexpr int longestPause = 100;

// One step of the wait: hand one pending event to the host's hook, or sleep.
// A handled event does not reset the pause, which only grows.
void idle(int (*hook)(), int& pause) {
    if (hook && hook() == 1) return;
    zor::sleepMs(pause);
    pause = std::min(pause * 2, longestPause);
}

}  // namespace

int Parse::startEvent() {
    // Completions of an earlier test must not count for this one.
    waitCtr.store(0);
    return callBack ? callBack() : 0;
}

void Parse::waitForNotify(int count, int timeLimit) {
    // Notifications that arrived in advance may already cover the count.
    if (int64_t{waitCtr.load()} <= -int64_t{count}) return;
    {
        std::lock_guard<std::mutex> guard(waitLock);
        waitCtr.store(static_cast<int32_t>(static_cast<uint32_t>(waitCtr.load()) + count));
    }
    const uint32_t start = zor::tickCount();
    int pause = firstPause;
    while (waitCtr.load() > 0) {
        idle(dispatchHook, pause);
        const uint32_t elapsed = zor::tickCount() - start;
        if (timeLimit > 0 && elapsed > static_cast<uint32_t>(timeLimit)) {
            // The shortfall stays in the counter; the marker shows in the report.
            outStore["WAIT"] = "TIMEOUT_ERROR";
            return;
        }
    }
}

void Parse::receivedNotification() {
    std::lock_guard<std::mutex> guard(waitLock);
    waitCtr.store(static_cast<int32_t>(static_cast<uint32_t>(waitCtr.load()) - 1u));
}

void Parse::setDispatchHook(int (*hook)()) {
    dispatchHook = hook;
}

int Parse::getWaitCtr() {
    return waitCtr.load();
}
