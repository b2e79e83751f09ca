// What a run of ZorRun tells, as events, and the one interface every report
// receives them through. Runners (in this process, in workers, side by side,
// on a test server, --list) only emit events; the console, JUnit, JSON, the
// report page, the failed-tests file and the totals are reporters. None of
// them works out a verdict or a count of its own.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace zorrun {

enum class Outcome { passed, failed, error };

// One expected entry that did not hold, as the console shows it:
// "status == 200" and "404" ("undefined", or the type first).
struct FailedEntry {
    std::string expected;
    std::string actual;
};

struct RunStart {
    std::vector<std::string> arguments;  // the command line, program first
    std::time_t startTime = 0;
    std::string host;
    int jobs = 1;
};

struct ScriptStart {
    std::string script;   // the path as given
    std::string runName;  // the path, with " (run 2/3)" under --repeat
    int index = 0;        // from 0, in command-line order (repeats counted)
};

struct TestResult {
    std::string script;
    std::string name;
    int position = -1;  // -1: not known
    int line = 0;       // 0: not known
    Outcome outcome = Outcome::passed;
    // Why it failed or erred where its entries do not tell ("test function
    // crashed: SIGSEGV in crash 94", "no test function x (did you mean
    // --load?)"); "" otherwise.
    std::string reason;
    std::vector<FailedEntry> entries;  // the first entries that did not hold
    int moreEntries = 0;               // how many more did not hold
    std::string reportBlock;           // the block in the output file, when known
    double seconds = -1;               // from the previous result or the script's start
    std::string outFile;
    std::string output;  // what the test printed, where a worker caught it
};

// An error outside any test's verdict: a script error, a file that cannot be
// opened, a report that cannot be written, an interruption.
struct ScriptError {
    std::string script;
    int line = 0;  // 0: no place in the script
    int column = 0;
    std::string text;  // the library's text without its line end, or ZorRun's
    std::string hint;  // a note that names the cause, or ""
};

// Tests that were reached by no verdict because the script stopped early.
struct TestsNotRun {
    std::string script;
    int count = 0;
    std::string why;  // "after the crash", "after the time-out", "after -x"
    // "NAME POSITION" of each, in the script's order, where the outline
    // tells them; may be empty.
    std::vector<std::string> tests;
};

struct ScriptEnd {
    std::string script;
    double seconds = 0;
    // What was printed on stdout and stderr outside the script's tests (each
    // test's own output is in its result), where a worker ran it and caught
    // it; "" otherwise.
    std::string output;
    // The selection takes none of its tests, so it did not run at all: no
    // statement ran and no file was touched. Told right after its start.
    bool notSelected = false;
};

// The counts, defined once: every test that started has one outcome.
struct RunTotals {
    int tests = 0;  // passed + failed + errors
    int passed = 0;
    int failed = 0;
    int errors = 0;
    int notRun = 0;
    int scriptsWithErrors = 0;
    double seconds = 0;
    int exitStatus = 0;
};

struct RunEnd {
    RunTotals totals;
};

class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void runStart(const RunStart&) {}
    virtual void scriptStart(const ScriptStart&) {}
    virtual void testResult(const TestResult&) {}
    virtual void scriptError(const ScriptError&) {}
    virtual void testsNotRun(const TestsNotRun&) {}
    virtual void scriptEnd(const ScriptEnd&) {}
    virtual void runEnd(const RunEnd&) {}
};

}  // namespace zorrun
