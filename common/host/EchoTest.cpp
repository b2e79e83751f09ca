#include "host/RunCallback.h"

#include "ZorLib.h"

void echoTest() {
    Parse::getOutStore() = *Parse::getInStore();
}

namespace {

// Registered before the host's main() starts, undone when the host ends.
ZorCall echoRegistration("zortst", echoTest);

}  // namespace
