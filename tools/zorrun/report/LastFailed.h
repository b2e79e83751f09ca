// The failed tests of the previous run in a folder, kept in .zorrun/lastfailed
// for --last-failed, and those of a JUnit report ZorRun wrote, for
// --rerun-failed.
// The file's text is written and read by host/FailedTests.h, which editors
// read it through too; here it is kept safely and merged run after run.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>

#include "Events.h"
#include "TestIdentity.h"
#include "host/FailedTests.h"

namespace zorrun {

// The file's place, relative to the working folder.
inline constexpr const char* lastFailedFolder = host::failedTestsFolder;
inline constexpr const char* lastFailedPath = host::failedTestsPath;

// Reads the file; no file, or a file of another format, holds no failures.
RecordedFailures readLastFailed(const std::string& path);

// Takes the failed tests and errors of the given JUnit report, each by name,
// position and line, and in passed the testcases that passed; false with a
// reason when it cannot be read or ZorRun did not write it.
bool readJUnitFailures(const std::string& path, RecordedFailures& failed, RecordedFailures& passed,
                       std::string& reason);

// The verdicts of this run, merged into the previous run's failures: a test
// with a verdict now takes it, tests and scripts that did not run keep theirs.
// Each failure is kept by what survives an edit, read from the scripts'
// outlines once the run is over.
class FailureLog : public Reporter {
public:
    FailureLog(RecordedFailures before, Outliner outliner)
        : previous(std::move(before)), outline(std::move(outliner)) {}

    void scriptStart(const ScriptStart& event) override;
    void testResult(const TestResult& event) override;
    void scriptError(const ScriptError&) override { current().errorHere = true; }
    void testsNotRun(const TestsNotRun&) override { current().errorHere = true; }
    // A script that ended with an error but no failed test runs whole next
    // time; one that was not selected keeps what it had.
    void scriptEnd(const ScriptEnd& event) override;

    // Creates folder, writes the file beside its place and renames it over
    // it, so that a run stopped halfway leaves the former one; false with a
    // reason. The file's own folder must be a folder, not a link to one.
    bool save(const std::string& folder, const std::string& path, std::string& reason) const;

    // What save writes, by script.
    RecordedFailures merged() const;

private:
    struct Verdict {
        bool failed = false;
        int line = 0;
    };
    struct ScriptRun {
        std::string script;                                       // as given, to read its outline
        std::map<std::pair<std::string, int>, Verdict> verdicts;  // by name and position
        bool whole = false;                                       // the whole script runs next time
        bool errored = false;                                     // a run of it ended with an error
        bool failedHere = false;
        bool errorHere = false;
    };

    ScriptRun& current() { return runs[key]; }
    bool answersPrevious(const std::string& name) const;
    void mergeRun(const std::string& script, const ScriptRun& run, RecordedFailures& out) const;
    void keepUnanswered(const std::string& script, const ScriptRun& run,
                        const std::vector<OutlineRecord>& records,
                        std::set<RecordedTest>& tests) const;
    std::set<RecordedTest> identified(const std::string& script,
                                      const std::set<RecordedTest>& tests) const;

    RecordedFailures previous;
    Outliner outline;
    std::map<std::string, ScriptRun> runs;  // by scriptKey
    std::string key;
};

}  // namespace zorrun
