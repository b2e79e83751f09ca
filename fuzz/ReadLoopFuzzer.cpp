// Serves any input as a script of extern records through Parse::readLoop and
// compares through Parse::closeLoop, the provider way.
#include <cstddef>
#include <cstdint>

#include "FuzzSandbox.h"
#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::enterSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The cache would answer for an unchanged file of the same name, so the
    // inputs take turns between two names and each one is parsed.
    static int turn = 0;
    const char* name = (turn++ % 2) != 0 ? "first.txt" : "second.txt";
    fuzzsupport::writeScript(name, fuzzsupport::confinedScript(data, size));
    Parse::readLoop(name, "t");
    Parse::getOutStore()["r"] = 1;
    Parse::closeLoop();
    fuzzsupport::clearSandbox();
    return 0;
}
