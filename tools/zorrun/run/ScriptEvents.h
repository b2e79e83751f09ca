// Turns what running one script tells (the library's verdicts, how its parse
// ended, what a supervisor saw of its worker) into events: a test result per
// test, script errors, the tests that did not run, the script's end. The
// script may run in this process or in a worker; the events are the same.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "Events.h"
#include "Verdict.h"
#include "script/ScriptOutline.h"

namespace zorrun {

class ScriptEvents : public VerdictListener {
public:
    explicit ScriptEvents(Reporter& reporter) : out(reporter) {}

    void begin(const std::string& script, const std::string& runName, int index,
               const std::string& filter);
    // The outline of the script that runs, for the lines of tests that got no
    // verdict of their own; null when there is none. It must outlive its use.
    void setOutline(const ScriptOutline* scriptOutline) { outline = scriptOutline; }
    void verdict(const Verdict& verdict) override;
    // A test judged elsewhere (on a test server), told as it was judged.
    void testResult(TestResult result);
    void parseEnded(const ParseEnd& end) override;
    // A test that got no verdict of its own: its function crashed, ended the
    // process or ran out of time. reason names why, without the test.
    void testError(const std::string& name, int position, const std::string& reason, double seconds,
                   std::string output = "");
    // Tests the script would still have reached; tests may be empty.
    void notRun(int count, const std::string& why, std::vector<std::string> tests);
    // An error outside any test; line 0 for one without a place.
    void scriptError(const std::string& text, int line = 0, int column = 0,
                     const std::string& hint = "");
    void cannotRun(const std::string& reason) { scriptError("cannot run script: " + reason); }
    // What the script printed outside its tests, told with its end.
    void outsideOutput(std::string_view text) override;
    // The selection takes none of the script's tests: it is not run at all,
    // and its end says so.
    void notSelected() { skipped = true; }
    void end();

    // What this script has told so far.
    int getVerdicts() const { return verdicts; }
    int getFailedVerdicts() const { return failedVerdicts; }
    bool hasError() const { return error; }
    // The last test with a verdict in this script; false when none had one.
    bool lastVerdict(std::string& name, int& position) const;
    // When the last verdict, or the script, began, on the steady clock.
    double getLastAt() const { return lastAt; }

private:
    void reportCode(const ParseEnd& end);
    void syntaxError(const ParseEnd& end);

    Reporter& out;
    const ScriptOutline* outline = nullptr;
    std::string script;
    std::string filter;
    std::chrono::steady_clock::time_point start;
    int verdicts = 0;
    int failedVerdicts = 0;
    bool error = false;
    bool skipped = false;
    std::string lastName;
    int lastPosition = -1;
    double lastAt = 0;
    std::string output;
};

// Seconds on the steady clock, which every process of the machine reads alike.
double steadySeconds();

}  // namespace zorrun
