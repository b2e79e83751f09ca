// Keeps what the report page shows of a run, as the verdicts come: the page is
// written once the run is over, from the same stream as the console lines and
// the JUnit report.
#pragma once

#include <string_view>
#include <utility>

#include "HtmlReport.h"
#include "Verdict.h"

namespace zorrun {

// Times are in seconds on one steady clock; below 0 when not known.
class HtmlRecorder {
public:
    void beginScript(std::string_view path, double startSeconds);
    void addVerdict(const Verdict& verdict, double nowSeconds);
    // A test that ended in an error of its own: a report that did not go in
    // whole, an exception, a crash, a stop.
    void addTestError(std::string_view name, int position, int line, std::string_view message,
                      std::string_view detail, double nowSeconds);
    // line 0: an error without a place in the script.
    void addScriptError(int line, int column, std::string_view text);

    // Scripts run side by side are recorded apart, then put in the run's
    // order: the script recorded last leaves this recorder whole.
    HtmlScript takeScript();
    void addScript(HtmlScript script) { run.scripts.push_back(std::move(script)); }
    void addSpan(const HtmlWorkerSpan& span) { run.spans.push_back(span); }

    HtmlRun& getRun() { return run; }

private:
    HtmlTest& addTest(std::string_view name, int position, HtmlVerdict verdict, double nowSeconds);

    HtmlRun run;
    double lastSeconds = 0;
};

}  // namespace zorrun
