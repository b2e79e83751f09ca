// add: the sum of two whole numbers. Its inputs are read by type, so a record
// that leaves one out, or gives "2" for 2, fails with the reason instead of
// adding a converted value.
#include "ZorTest.h"

namespace {

void add() {
    const auto a = zor::input<int>("a");
    const auto b = zor::input<int>("b");
    if (!a || !b) return;
    Parse::getOutStore()["sum"] = *a + *b;
}

ZorCall addRegistration("add", add);

}  // namespace
