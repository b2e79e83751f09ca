// What running a script through the library tells its reporter: a verdict per
// test and, once the parse has returned, how the script ended. The texts are
// views into the library's buffers or into a received message: a listener
// copies what it keeps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Events.h"

namespace zorrun {

// Failed entries travel packed in one text, each text ended by a zero byte:
// no text the library holds contains one.
inline void packFailedEntry(std::string& packed, std::string_view expected,
                            std::string_view actual) {
    packed.append(expected).push_back('\0');
    packed.append(actual).push_back('\0');
}

// Every entry that is whole in packed, in order.
inline std::vector<FailedEntry> unpackFailedEntries(std::string_view packed) {
    std::vector<FailedEntry> entries;
    for (;;) {
        const std::size_t first = packed.find('\0');
        const std::size_t second =
            first == std::string_view::npos ? first : packed.find('\0', first + 1);
        if (second == std::string_view::npos) return entries;
        entries.push_back({std::string(packed.substr(0, first)),
                           std::string(packed.substr(first + 1, second - first - 1))});
        packed.remove_prefix(second + 1);
    }
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
    // When the verdict came, on the steady clock, which every process reads
    // alike: a test that gets none is timed from here.
    double at = 0;
    // The test's name registers no function, so its record was never run.
    bool unknownFunction = false;
    // A failed test's entries, packed (see packFailedEntry), and how many
    // more did not hold than it carries.
    std::string_view failedEntries;
    int moreEntries = 0;
    // What the test printed, where a worker caught it.
    std::string_view output;
};

// Parse::parseLoop's result code and the run state it left behind.
struct ParseEnd {
    int code = 0;
    int errLine = 0;
    int errPos = 0;
    std::string_view errString;
    // Where the script's outline meets the same error: its column (0 when
    // the outline does not meet it) and the token it stands at.
    int errColumn = 0;
    std::string_view errToken;
    std::string_view lastOutFile;
    std::string_view writeError;
};

class VerdictListener {
public:
    virtual void verdict(const Verdict& verdict) = 0;
    virtual void parseEnded(const ParseEnd& end) = 0;
    // What the script printed outside its tests, where a worker caught it.
    virtual void outsideOutput(std::string_view) {}

protected:
    ~VerdictListener() = default;
};

}  // namespace zorrun
