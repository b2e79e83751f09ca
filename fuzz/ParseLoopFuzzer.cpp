// Runs any input as a script through Parse::parseLoop with a host callback
// that runs a registered test function: every byte sequence either parses or
// stops with an error text, and never crashes, hangs or leaks.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzSandbox.h"
#include "run/Parse.h"
#include "run/ZorCall.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace {

// Echoes an input value and leaves results in parentheses, which become
// global variables that later records of the script may use.
void echoTest() {
    DataMap& in = Parse::getInStore()[0];
    DataMap& out = Parse::getOutStore();
    out["status"] = 0;
    out["(echo)"] = static_cast<int>(in["x"]);
    out["(name)"] = static_cast<char*>(in["s"]);
    out["(rec).a"] = 2.5;
}

ZorCall echoRegistration("t", echoTest);

// The viewer's way: the record's name selects the function. The pass flag
// varies with the name, so that every kind of answer is exercised.
int runTest() {
    const char* name = Parse::getInStore()[0].getName();
    ZorCall::TestFunction function = ZorCall::getFunc(name);
    if (function != nullptr) function();
    return static_cast<int>(std::strlen(name) % 4) - 2;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::enterSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const filters[] = {"", "t0", "{x0", "t 12"};
    fuzzsupport::writeScript("script.txt", fuzzsupport::confinedScript(data, size));
    Parse::parseLoop("script.txt", filters[size % 4], runTest);
    fuzzsupport::clearSandbox();
    return 0;
}
