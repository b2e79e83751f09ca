// What running a script through the library tells its reporter: a verdict per
// test and, once the parse has returned, how the script ended. The texts are
// views into the library's buffers or into a received message: a listener
// copies what it keeps.
#pragma once

#include <string_view>

namespace zor {

struct Verdict {
    std::string_view name;
    int position = -1;
    int pass = 1;
    bool passed = false;
    std::string_view outFile;
    // A failed test's report block, made only when a JUnit report takes it.
    std::string_view report;
    // Why the report block did not go into the output file whole.
    std::string_view writeError;
    // The message of an exception that escaped the test function.
    std::string_view threw;
};

// Parse::parseLoop's result code and the run state it left behind.
struct ScriptEnd {
    int code = 0;
    int errLine = 0;
    int errPos = 0;
    std::string_view errString;
    std::string_view lastOutFile;
    std::string_view writeError;
};

class VerdictListener {
public:
    virtual void verdict(const Verdict& verdict) = 0;
    virtual void scriptEnd(const ScriptEnd& end) = 0;

protected:
    ~VerdictListener() = default;
};

}  // namespace zor
