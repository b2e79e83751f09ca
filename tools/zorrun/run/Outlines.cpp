#include "Outlines.h"

#include <unistd.h>

#include <mutex>

#include "CheckedScript.h"
#include "ZorLib.h"

namespace zorrun {

namespace {

std::mutex& outlineLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

// A script that is no regular file, or too large, cannot be read, as far as
// the outline goes; the run's error then says why.
int outlineChecked(const std::string& script, ScriptOutline& outline) {
    const CheckedScript checked(script);
    if (!checked.getProblem().empty()) return -2;
    return Parse::outlineScript(checked.getPath().c_str(), outline);
}

int guardedOutline(const std::string& script, ScriptOutline& outline) {
    const std::lock_guard hold(outlineLock());
    return outlineChecked(script, outline);
}

int outlineReach(const std::string& script, const std::string& filter, TestSelection* selection,
                 ScriptOutline& outline, TestReach& reach) {
    const std::lock_guard hold(outlineLock());
    const int outlined = outlineChecked(script, outline);
    reach = testsReached(script, outline, outlined, filter, selection);
    return outlined;
}

// The child gets a copy of the lock as it is, taken: it never outlines.
pid_t forkOutsideOutlines() {
    const std::lock_guard hold(outlineLock());
    return fork();
}

}  // namespace zorrun
