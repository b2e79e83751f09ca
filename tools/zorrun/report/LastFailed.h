// The failed tests of the previous run in a folder, kept in .zorrun/lastfailed
// for --last-failed, and those of a JUnit report ZorRun wrote, for
// --rerun-failed.
//
// The file is text, one test a line, "SCRIPT\tNAME POSITION", after a first
// line that names the format; a line "SCRIPT\t" stands for a script that ended
// with an error outside any test. In the script's path a backslash, tab or
// line feed is written "\\", "\t" or "\n".
#pragma once

#include <string>

#include "Events.h"
#include "TestSelection.h"

namespace zorrun {

// The file's place, relative to the working folder.
inline constexpr const char* lastFailedFolder = ".zorrun";
inline constexpr const char* lastFailedPath = ".zorrun/lastfailed";

// Reads the file; no file, or a file of another format, holds no failures.
FailedTests readLastFailed(const std::string& path);

// Takes the failed tests and errors of the given JUnit report; false with a
// reason when it cannot be read or ZorRun did not write it.
bool readJUnitFailures(const std::string& path, FailedTests& failed, std::string& reason);

// The verdicts of this run, merged into the previous run's failures: a test
// with a verdict now takes it, tests and scripts that did not run keep theirs.
class FailureLog : public Reporter {
public:
    explicit FailureLog(FailedTests previous) : tests(std::move(previous)) {}

    void scriptStart(const ScriptStart& event) override;
    void testResult(const TestResult& event) override;
    void scriptError(const ScriptError&) override { errorHere = true; }
    void testsNotRun(const TestsNotRun&) override { errorHere = true; }
    // A script that ended with an error but no failed test runs whole next time.
    void scriptEnd(const ScriptEnd&) override;

    // Writes the file beside its place and renames it over it, so that a run
    // stopped halfway leaves the former one; false with a reason.
    bool save(const std::string& folder, const std::string& path, std::string& reason) const;

private:
    FailedTests tests;
    std::string key;
    bool failedHere = false;
    bool errorHere = false;
};

}  // namespace zorrun
