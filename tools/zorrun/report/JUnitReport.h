// JUnit XML as CI servers read it: one testsuite per script (per run of it
// under --repeat), one testcase per test result (passed, a failure carrying
// its failed entries and the record's report block, or an error), one error
// testcase per script error and one skipped testcase per test that did not
// run. By default the document keeps to the strict schema CI servers validate
// against; with places, testcases also carry file and line, which that schema
// refuses but some tools read to point at a test. Testcases are written out as they come, so the
// report holds nothing per test in memory. The report is drafted beside its
// file and takes the file's place only when it is complete.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "Events.h"
#include "ReplacedFile.h"

namespace zorrun {

class JUnitReport : public Reporter {
public:
    JUnitReport() = default;
    ~JUnitReport() override;
    JUnitReport(const JUnitReport&) = delete;
    JUnitReport& operator=(const JUnitReport&) = delete;

    // Creates the draft beside the file; false with a reason when it cannot.
    bool open(const std::string& path, std::string& reason);
    bool isOpen() const { return file.isOpen(); }
    void writePlaces(bool withPlaces) { places = withPlaces; }

    void scriptStart(const ScriptStart& event) override;
    void testResult(const TestResult& event) override;
    void scriptError(const ScriptError& event) override;
    void testsNotRun(const TestsNotRun& event) override;
    void scriptEnd(const ScriptEnd& event) override;
    void runEnd(const RunEnd& event) override { allSeconds = event.totals.seconds; }

    // Ends the document and puts it in the file's place; false with a reason
    // when a write failed somewhere (a full disk), and the former file stays.
    bool close(std::string& reason);

private:
    struct Counts {
        int tests = 0;
        int failures = 0;
        int errors = 0;
        int skipped = 0;
    };

    void beginCase(std::string_view name, int line, double seconds);
    void addErrorCase(std::string_view testName, std::string_view type, std::string_view message,
                      std::string_view detail, int line, double seconds,
                      std::string_view output = {});
    void endCase(std::string_view output);
    void writeBody(const std::string& text);
    void moveInto(std::FILE*& from, std::FILE* to);
    static void appendCounts(std::string& out, const Counts& counts, bool withSkipped);

    ReplacedFile file;
    // The counts stand in the opening tags, so the suites wait in one
    // temporary file and the open suite's testcases in another.
    std::FILE* suites = nullptr;
    std::FILE* body = nullptr;
    bool bodyFailed = false;
    std::string suiteName;
    std::string script;  // escaped, as given: a run's name is not a file
    std::string scratch;
    bool places = false;
    Counts suite;
    Counts all;
    double allSeconds = 0;
};

}  // namespace zorrun
