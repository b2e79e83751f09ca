// Keeps what the report page shows of a run, from the events every report
// hears: the page is written once the run is over.
#pragma once

#include <string>
#include <vector>

#include "Events.h"
#include "HtmlReport.h"

namespace zorrun {

class HtmlRecorder : public Reporter {
public:
    void runStart(const RunStart& event) override;
    void scriptStart(const ScriptStart& event) override;
    void scriptEnd(const ScriptEnd& event) override;
    void testResult(const TestResult& event) override;
    void scriptError(const ScriptError& event) override;
    void testsNotRun(const TestsNotRun& event) override;
    void runEnd(const RunEnd& event) override {
        run.seconds = event.totals.seconds;
        run.totals = event.totals;
    }

    // What the workers ran when, for the timeline; not an event, as only a
    // run with several workers has one.
    void addSpan(const HtmlWorkerSpan& span) { run.spans.push_back(span); }

    const HtmlRun& getRun() const { return run; }

private:
    HtmlScript& current();

    HtmlRun run;
    std::size_t outputsKept = 0;
};

// The command line as a shell would read it back, program first: words with
// other characters than the plain ones in single quotes.
std::string commandLineText(const std::vector<std::string>& arguments);

}  // namespace zorrun
