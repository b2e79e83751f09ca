// What running a script through the library tells its reporter: a verdict per
// test and, once the parse has returned, how the script ended. The texts are
// views into the library's buffers or into a received message: a listener
// copies what it keeps.
#pragma once

#include <string>
#include <string_view>

namespace zorrun {

// One entry of a failed comparison: the expected entry with its operator
// ("status == 200") and the logged value ("404", "undefined"), as the report
// shows them.
struct FailedEntry {
    std::string_view expected;
    std::string_view actual;
};

// Failed entries travel packed in one text, each text ended by a zero byte:
// no text the library holds contains one.
inline void packFailedEntry(std::string& packed, std::string_view expected,
                            std::string_view actual) {
    packed.append(expected).push_back('\0');
    packed.append(actual).push_back('\0');
}

// Takes the next entry off the front of packed; false when none is left whole.
inline bool nextFailedEntry(std::string_view& packed, FailedEntry& entry) {
    const std::size_t first = packed.find('\0');
    const std::size_t second =
        first == std::string_view::npos ? first : packed.find('\0', first + 1);
    if (second == std::string_view::npos) return false;
    entry.expected = packed.substr(0, first);
    entry.actual = packed.substr(first + 1, second - first - 1);
    packed.remove_prefix(second + 1);
    return true;
}

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
    // The script line the test's record starts on; 0 when not known.
    int line = 0;
    // From the previous verdict or the script's start to this one; below 0
    // when not measured.
    double seconds = -1;
    // The test's name registers no function, so its record was never run.
    bool unknownFunction = false;
    // A failed test's entries, packed (see packFailedEntry).
    std::string_view failedEntries;
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

}  // namespace zorrun
