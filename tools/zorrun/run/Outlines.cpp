#include "Outlines.h"

#include <unistd.h>

#include <mutex>

#include "ZorLib.h"

namespace zorrun {

namespace {

std::mutex& outlineLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

int guardedOutline(const std::string& script, ScriptOutline& outline) {
    const std::lock_guard hold(outlineLock());
    return Parse::outlineScript(script.c_str(), outline);
}

int outlineReach(const std::string& script, const std::string& filter, TestSelection* selection,
                 ScriptOutline& outline, TestReach& reach) {
    const std::lock_guard hold(outlineLock());
    const int outlined = Parse::outlineScript(script.c_str(), outline);
    reach = testsReached(script, outline, outlined, filter, selection);
    return outlined;
}

// The child gets a copy of the lock as it is, taken: it never outlines.
pid_t forkOutsideOutlines() {
    const std::lock_guard hold(outlineLock());
    return fork();
}

}  // namespace zorrun
