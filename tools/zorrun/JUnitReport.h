// JUnit XML as CI servers read it: one testsuite per script, one testcase per
// test record run, a failure carrying the record's report block, an error for
// a script error. Passed tests are written out as they come, so the report
// holds nothing per passed test in memory.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zor {

class JUnitReport {
public:
    JUnitReport() = default;
    ~JUnitReport();
    JUnitReport(const JUnitReport&) = delete;
    JUnitReport& operator=(const JUnitReport&) = delete;

    // Creates (or empties) the file; false with a reason when it cannot.
    bool open(const std::string& path, std::string& reason);
    bool isOpen() const { return file != nullptr; }

    void beginSuite(std::string_view script);
    // A test is named by its record's name and position, "login 57": the
    // text that, given as a filter, runs that test alone.
    void addPassed(std::string_view name, int position);
    void addFailed(std::string_view name, int position, std::string_view reportBlock);
    // A script error: a testcase of its own, so that CI servers show it.
    void addError(std::string_view message, std::string_view detail);
    void endSuite(double seconds);

    // Ends the document and closes the file; false with a reason when a
    // write failed somewhere (a full disk).
    bool close(std::string& reason);

private:
    void beginCase(std::string_view name);
    void writeBody(const std::string& text);

    std::FILE* file = nullptr;
    std::FILE* body = nullptr;  // the open suite's testcases, until its counts are known
    std::string suiteName;
    std::string scratch;
    int tests = 0;
    int failures = 0;
    int errors = 0;
    bool writeFailed = false;
};

}  // namespace zor
