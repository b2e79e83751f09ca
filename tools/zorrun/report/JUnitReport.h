// JUnit XML as CI servers read it: one testsuite per script, one testcase per
// test record run, a failure carrying the record's report block, an error for
// a script error. Passed tests are written out as they come, so the report
// holds nothing per passed test in memory. The report is drafted beside its
// file and takes the file's place only when it is complete.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "ReplacedFile.h"

namespace zorrun {

// Where a testcase's test stands in its script and how long it ran: a line of
// 0 and seconds below 0 are not known.
struct CaseFacts {
    int line = 0;
    double seconds = -1;
};

class JUnitReport {
public:
    JUnitReport() = default;
    ~JUnitReport();
    JUnitReport(const JUnitReport&) = delete;
    JUnitReport& operator=(const JUnitReport&) = delete;

    // Creates the draft beside the file; false with a reason when it cannot.
    bool open(const std::string& path, std::string& reason);
    bool isOpen() const { return file.isOpen(); }

    // Suites only, kept in memory, for a script that runs beside others: its
    // suites join the file's report in the command line's order.
    bool openInMemory();
    // The suites ended since the last call; false when a write failed.
    bool takeSuites(std::string& suites);
    void addSuites(std::string_view suites);

    void beginSuite(std::string_view script);
    // A test is named by its record's name and position, "login 57": the
    // text that, given as a filter, runs that test alone. A position below 0
    // is not known (a remote run): the name stands alone.
    void addPassed(std::string_view name, int position, const CaseFacts& facts = {});
    void addFailed(std::string_view name, int position, std::string_view reportBlock,
                   const CaseFacts& facts = {});
    // A script error: a testcase of its own, so that CI servers show it.
    void addError(std::string_view message, std::string_view detail);
    // A test that got no verdict of its own (its function crashed or threw),
    // or the end of a run that did not finish (position below 0).
    void addTestError(std::string_view name, int position, std::string_view message,
                      std::string_view detail, const CaseFacts& facts = {});
    void endSuite(double seconds);

    // Ends the document and puts it in the file's place; false with a reason
    // when a write failed somewhere (a full disk), and the former file stays.
    bool close(std::string& reason);

private:
    void beginCase(std::string_view name, const CaseFacts& facts);
    void addErrorCase(std::string_view testName, std::string_view type, std::string_view message,
                      std::string_view detail, const CaseFacts& facts);
    void writeBody(const std::string& text);

    ReplacedFile file;
    // In memory, the testcases wait in memory too: a worker that exits
    // flushes its copy of every stream, and a file's offset is shared.
    bool inMemory = false;
    char* bodyMemory = nullptr;
    std::size_t bodySize = 0;
    std::FILE* body = nullptr;  // the open suite's testcases, until its counts are known
    std::string suiteName;
    std::string scratch;
    int tests = 0;
    int failures = 0;
    int errors = 0;
};

}  // namespace zorrun
