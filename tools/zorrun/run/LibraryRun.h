// Runs one script through the library in this process, with the callback every
// host shares, and tells a listener each verdict and how the script ended.
// Every verdict is the library's comparison, taken as it is.
#pragma once

#include <chrono>
#include <string>

#include "TestSelection.h"
#include "Verdict.h"
#include "output/Comparison.h"
#include "script/ScriptOutline.h"

namespace zorrun {

// Hears which test is about to run, and when its test has its verdict.
class TestWatch {
public:
    virtual void testStarts(const char* name, int position) = 0;
    virtual void testEnded() = 0;

protected:
    ~TestWatch() = default;
};

class LibraryRun {
public:
    // With reports, a failed test's verdict carries its report block. watch may
    // be null. The run hears the library's verdicts while it lives.
    LibraryRun(VerdictListener& listener, bool withReports, TestWatch* watch = nullptr);
    ~LibraryRun();
    LibraryRun(const LibraryRun&) = delete;
    LibraryRun& operator=(const LibraryRun&) = delete;

    // The script's name must be shorter than Parse::entryNameSize. Each
    // verdict's line comes from the script's outline: the one given, or one
    // asked for here.
    void run(const std::string& script, const std::string& filter,
             const ScriptOutline* outline = nullptr);
    // Only the tests the selection takes run (all without one); with
    // failuresLeft above 0, none after that many failed or erred. The
    // selection must outlive the run.
    void select(TestSelection* selection, int failuresLeft);
    // The test whose function runs now, between its start and its verdict;
    // false outside any test. Read when the process ends inside a test; its
    // line is 0 unless a selection had the script outlined.
    bool runningTest(std::string& name, int& position, int& line) const;

private:
    static void heardComparison(const Comparison& comparison);
    static int selectTest(const char* name, int position);
    static int testCallback();

    void verdict(const Comparison& comparison);
    void takeEntries(const Comparison& comparison, Verdict& verdict);
    void takeReport(const Comparison& comparison, bool opened, Verdict& verdict);
    double secondsSinceLast();
    bool limitReached() const { return failuresLeft > 0 && failuresHere >= failuresLeft; }

    VerdictListener& listener;
    TestWatch* watch;
    bool withReports;
    std::string report;
    std::string failedEntries;
    std::string outFile;
    bool calledBack = false;  // a test function ran since the last verdict
    const ScriptOutline* outline = nullptr;
    std::chrono::steady_clock::time_point lastVerdictTime;
    TestSelection* selection = nullptr;
    int failuresLeft = 0;
    int failuresHere = 0;
    std::string startedName;  // the test that started and has no verdict yet
    int startedPosition = -1;
    bool testStarted = false;
};

}  // namespace zorrun
