// Native test functions for ZorRun's tests, loaded with --load.
#include <chrono>
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

ZorCall everyByteRegistration("everyByte", everyByte);
ZorCall bigTextRegistration("bigText", bigText);
ZorCall pauseRegistration("pause", pause);

}  // namespace
