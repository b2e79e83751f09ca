// Runs one script through the library in this process, with the callback every
// host shares, and tells a listener each verdict and how the script ended.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "RecordPositions.h"
#include "ReportCopy.h"
#include "TestSelection.h"
#include "Verdict.h"

namespace zorrun {

// Hears when a test function is about to run, and when its test has its verdict.
class TestWatch {
public:
    virtual void testStarts(const char* name) = 0;
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

    // The script's name must be shorter than Parse::entryNameSize.
    void run(const std::string& script, const std::string& filter);
    // Only the tests the selection takes run (all without one); with exitFirst,
    // none after the first that failed. The selection must outlive the run.
    void select(TestSelection* selection, bool exitFirst);

private:
    static void heardVerdict(const char* name, int position, int pass, int result);
    static int selectTest(const char* name, int position);
    static int testCallback();

    void verdict(const char* name, int position, int pass, int result);
    void takeComparison(Verdict& verdict, int pass);
    std::string failureReport(const char* outFile, int pass);
    double secondsSinceLast();

    VerdictListener& listener;
    TestWatch* watch;
    std::unique_ptr<ReportCopy> reportCopy;  // with reports only
    std::string report;
    bool calledBack = false;  // a test function ran since the last verdict
    std::string failedEntries;
    LineCounter lines;
    std::chrono::steady_clock::time_point lastVerdictTime;
    TestSelection* selection = nullptr;
    bool exitFirst = false;
    bool failedOnce = false;
};

}  // namespace zorrun
