#include "host/RunCallback.h"

#include <cxxabi.h>

#include <exception>
#include <string>

#include "ZorLib.h"

namespace {

std::string escapedText;
bool escaped = false;

// The verification record is emptied and named after the test, so the report
// shows the test's name over the one result that explains it.
int failWithResult(const char* name, const char* result) {
    Parse::clearVerStore();
    DataMap& expected = Parse::getVerStore()[0];
    expected.setName(name);
    Parse::getOutStore()[expected.getName()] = result;
    return 0;
}

int runCaught(const char* name, ZorCall::TestFunction function) {
    try {
        function();
        return 1;
    } catch (abi::__forced_unwind&) {
        throw;  // a cancelled thread must go on unwinding
    } catch (const std::exception& error) {
        escapedText = error.what();
    } catch (...) {
        escapedText = "an exception that is not a std::exception";
    }
    escaped = true;
    return failWithResult(name, ("test function threw: " + escapedText).c_str());
}

}  // namespace

int runCallback() {
    escaped = false;
    const char* name = Parse::getInStore()->getName();
    if (ZorCall::TestFunction function = ZorCall::getFunc(name)) return runCaught(name, function);
    return failWithResult(name, "unknown testfunction");
}

const char* escapedException() {
    return escaped ? escapedText.c_str() : nullptr;
}
