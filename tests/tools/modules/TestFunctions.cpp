// Native test functions for ZorRun's tests, loaded with --load.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

#include "ZorLib.h"

namespace {

// A result with every byte a test function can write: the JUnit report must
// stay valid XML whatever a report block holds.
void everyByte() {
    std::string text;
    for (int c = 1; c < 256; ++c) text += static_cast<char>(c);
    Parse::getOutStore()["text"] = text.c_str();
}

// A result longer than the JUnit report takes from a failed test's block.
void bigText() {
    Parse::getOutStore()["text"] = std::string(1 << 21, 'x').c_str();
}

// A test that takes a while, for runs long enough to show progress.
void pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

// Test functions that end the process running them, or would. A sanitizer's
// own handler would turn the crash into an exit, so the default comes back
// first.
void crash() {
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
}

void throws() {
    throw std::runtime_error("no session");
}

void exitZero() {
    std::exit(0);
}

void exitThree() {
    _exit(3);
}

// Longer than any test waits: the run is stopped from outside.
void sleepLong() {
    std::this_thread::sleep_for(std::chrono::minutes(5));
}

ZorCall crashRegistration("crash", crash);
ZorCall throwsRegistration("throws", throws);
ZorCall exitZeroRegistration("exitZero", exitZero);
ZorCall exitThreeRegistration("exitThree", exitThree);
ZorCall sleepLongRegistration("sleepLong", sleepLong);
ZorCall everyByteRegistration("everyByte", everyByte);
ZorCall bigTextRegistration("bigText", bigText);
ZorCall pauseRegistration("pause", pause);

}  // namespace
