// Turns what running a script tells into ZorRun's output: a line per verified
// test, errors on stderr, JUnit testcases, and the script's own verdicts. The
// script may run in this process or in a worker; the report is the same.
#pragma once

#include <string>

#include "Console.h"
#include "HtmlRecorder.h"
#include "JUnitReport.h"
#include "JsonReport.h"
#include "LastFailed.h"
#include "ProgressLine.h"
#include "RunSummary.h"
#include "Verdict.h"

namespace zorrun {

class ScriptReport : public VerdictListener {
public:
    // junit and json may be null.
    ScriptReport(Console& console, ProgressLine& progress, JUnitReport* junit,
                 JsonReport* json = nullptr);

    // The report page's recorder, when the run writes one; null by default.
    void setHtml(HtmlRecorder* recorder) { html = recorder; }

    // Every verdict from now on also goes to the log.
    void setFailureLog(FailureLog* log) { failureLog = log; }
    void begin(const std::string& script, const std::string& filter);
    void verdict(const Verdict& verdict) override;
    void scriptEnd(const ScriptEnd& end) override;
    // The script could not be run at all.
    void cannotRun(const std::string& reason);
    // The test that was running got no verdict: it counts as failed, and the
    // message stands on stderr and as the test's error testcase.
    void testError(const std::string& name, int position, const std::string& message);
    // The script stopped outside any test.
    void scriptError(const std::string& message);
    // ZorRun was stopped while the script ran: an error testcase "interrupted".
    void interrupted(const std::string& detail);
    // Console lines written so far are sent on.
    void flush();
    ScriptOutcome end();

    // Verdicts heard so far, in all scripts.
    long getTestsRun() const { return testsRun; }
    // Set before begin: " (run 2/3)" names each run of a repeated script.
    void setRunSuffix(std::string suffix) { runSuffix = std::move(suffix); }

    // The last test with a verdict in this script; false when none had one.
    bool lastVerdict(std::string& name, int& position) const;

private:
    void reportCode(const ScriptEnd& end);
    void syntaxError(const ScriptEnd& end);
    void fileError(const std::string& what, const std::string& reason);
    void writeError(const Verdict& verdict);
    void threw(const Verdict& verdict);
    void addJsonTest(const Verdict& verdict, std::string_view kind, std::string_view message);

    Console& console;
    ProgressLine& progress;
    JUnitReport* junit;
    JsonReport* json;
    std::string details;
    HtmlRecorder* html = nullptr;
    std::string script;
    std::string filter;
    ScriptOutcome outcome;
    double startSeconds = 0;
    long testsRun = 0;
    std::string lastName;
    int lastPosition = -1;
    bool anyVerdict = false;
    std::string lastWriteError;
    std::string runSuffix;
    FailureLog* failureLog = nullptr;
};

// "login 404", or the name alone when the position is not known.
std::string testName(const std::string& name, int position);

}  // namespace zorrun
