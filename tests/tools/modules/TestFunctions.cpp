// Native test functions for ZorRun's tests, loaded with --load.
#include <string>

#include "ZorLib.h"

namespace {

// A result text with every byte a test function can write: the JUnit report
// must stay valid XML whatever a report block holds.
void everyByte() {
    std::string text;
    for (int c = 1; c < 256; ++c) text += static_cast<char>(c);
    Parse::getOutStore()["text"] = text.c_str();
}

void answer() {
    Parse::getOutStore()["value"] = 42;
}

ZorCall everyByteRegistration("everyByte", everyByte);
ZorCall answerRegistration("answer", answer);

}  // namespace
