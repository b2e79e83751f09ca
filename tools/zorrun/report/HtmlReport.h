// The run as a page a person reads in a browser: one self-contained HTML file
// with its style, script and data inline, so that it opens from a CI artifact
// or an e-mail without a network. The summary, the failures and the script
// errors are plain HTML; the test rows are data that the page's script shows a
// page at a time, so that a run of 100,000 tests stays light.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "Events.h"

namespace zorrun {

enum class HtmlVerdict { passed, failed, error };

// A failed entry as the report shows it: the expected entry with its operator,
// and the value the test logged.
struct HtmlEntry {
    std::string expected;
    std::string actual;
};

struct HtmlTest {
    std::string name;
    int position = -1;  // below 0: not known (a remote run)
    int line = 0;       // the line the test starts on; 0: not known
    HtmlVerdict verdict = HtmlVerdict::passed;
    double seconds = -1;  // below 0: not measured
    std::vector<HtmlEntry> failedEntries;
    std::string report;  // a failed test's report block, or an error's detail
    std::string output;  // what a failed test printed, as the page shows it
};

// A script error where the script stopped; line 0 when it has no place (the
// script could not be opened).
struct HtmlScriptError {
    int line = 0;
    int column = 0;
    std::string text;
};

struct HtmlScript {
    std::string path;
    std::vector<HtmlScriptError> errors;
    std::vector<HtmlTest> tests;
    int notRun = 0;            // tests the script did not reach after a crash
    bool notSelected = false;  // the selection took none of its tests: it did not run
    std::string output{};      // what its test functions printed, as caught
};

// One script run by one worker, in seconds from the start of the run.
struct HtmlWorkerSpan {
    int worker = 0;
    int script = 0;  // index into HtmlRun::scripts
    double start = 0;
    double end = 0;
};

struct HtmlRun {
    std::time_t startTime = 0;
    double seconds = 0;
    std::string host;
    std::string commandLine;
    std::vector<HtmlScript> scripts;
    std::vector<HtmlWorkerSpan> spans;  // shown as a timeline when more than one worker ran
    // The run's counts as every report shows them, from the run's end.
    RunTotals totals;
};

// The whole page.
std::string renderHtmlReport(const HtmlRun& run);

// Writes the page beside path and puts it in path's place only once it is
// whole on disk; false with a reason when it cannot, and the former file stays.
bool writeHtmlReport(const std::string& path, const HtmlRun& run, std::string& reason);

// Whether a page can be written to path, so that a run is not wasted on a
// page it cannot keep; false with a reason when not.
bool canWriteHtmlReport(const std::string& path, std::string& reason);

// Appends text as a JSON string, quotes included, that is safe inside an HTML
// script element: "<" is escaped, so no "</script" or "<!--" can appear. Bytes
// that are not well-formed UTF-8 read as Latin-1, so no byte is lost.
void appendPageJsonString(std::string& out, std::string_view text);

}  // namespace zorrun
