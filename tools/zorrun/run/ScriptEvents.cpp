#include "ScriptEvents.h"

#include "ErrorHint.h"
#include "OutputCapture.h"
#include "ScriptFiles.h"
#include "TestReach.h"

namespace zorrun {

namespace {

std::string withoutLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return std::string(text);
}

// A report that did not go in whole is a broken run, not a failed
// verification, whatever the comparison found; an exception is an error too,
// and keeps the block its test wrote.
void judge(const Verdict& verdict, TestResult& result) {
    if (!verdict.writeError.empty()) {
        result.outcome = Outcome::error;
        result.reason = "cannot write the report to " + std::string(verdict.outFile) + ": " +
                        std::string(verdict.writeError);
        return;
    }
    result.reportBlock = verdict.report;
    if (!verdict.threw.empty()) {
        result.outcome = Outcome::error;
        result.reason = "test function threw: " + std::string(verdict.threw);
        return;
    }
    if (verdict.passed) return;
    result.outcome = Outcome::failed;
    if (verdict.unknownFunction)
        result.reason = "no test function " + std::string(verdict.name) + " (did you mean --load?)";
    result.entries = unpackFailedEntries(verdict.failedEntries);
    result.moreEntries = verdict.moreEntries;
}

}  // namespace

double steadySeconds() {
    const std::chrono::duration<double> now = std::chrono::steady_clock::now().time_since_epoch();
    return now.count();
}

void ScriptEvents::begin(const std::string& name, const std::string& runName, int index,
                         const std::string& selection) {
    script = name;
    filter = selection;
    verdicts = failedVerdicts = 0;
    error = false;
    output.clear();
    skipped = false;
    lastName.clear();
    lastPosition = -1;
    start = std::chrono::steady_clock::now();
    lastAt = steadySeconds();
    out.scriptStart({script, runName, index});
}

void ScriptEvents::verdict(const Verdict& verdict) {
    TestResult result;
    result.script = script;
    result.name = verdict.name;
    result.position = verdict.position;
    result.line = verdict.line;
    result.seconds = verdict.seconds;
    result.outFile = verdict.outFile;
    result.output = verdict.output;
    judge(verdict, result);
    ++verdicts;
    if (!verdict.passed) ++failedVerdicts;
    lastName = result.name;
    lastPosition = result.position;
    if (verdict.at > 0) lastAt = verdict.at;
    out.testResult(result);
}

void ScriptEvents::testResult(TestResult result) {
    result.script = script;
    ++verdicts;
    if (result.outcome != Outcome::passed) ++failedVerdicts;
    lastName = result.name;
    lastPosition = result.position;
    lastAt = steadySeconds();
    out.testResult(result);
}

void ScriptEvents::testError(const std::string& name, int position, const std::string& reason,
                             double seconds, std::string printed) {
    TestResult result;
    result.script = script;
    result.name = name;
    result.position = position;
    result.line = outline ? lineOf(*outline, position) : 0;
    result.outcome = Outcome::error;
    result.reason = reason;
    result.seconds = seconds;
    result.output = std::move(printed);
    out.testResult(result);
}

void ScriptEvents::outsideOutput(std::string_view text) {
    appendOutput(output, text);
}

void ScriptEvents::notRun(int count, const std::string& why, std::vector<std::string> tests) {
    if (count <= 0) return;
    out.testsNotRun({script, count, why, std::move(tests)});
}

void ScriptEvents::scriptError(const std::string& text, int line, int column,
                               const std::string& hint) {
    error = true;
    out.scriptError({script, line, column, text, hint});
}

void ScriptEvents::parseEnded(const ParseEnd& end) {
    reportCode(end);
    if (!error && !filter.empty() && verdicts == 0)
        scriptError("the filter '" + filter + "' selects no test");
}

// 0 and -4 (an earlier verification failed, perhaps in another script) leave the
// verdict to the tests this script ran; the other codes are errors.
void ScriptEvents::reportCode(const ParseEnd& end) {
    if (end.code == 0 || end.code == -4) return;
    if (end.code == -1) return cannotRun("the library is busy");
    if (end.code == -2) return scriptError("cannot open script: " + unreadableReason(script));
    if (end.errLine >= 1) syntaxError(end);
    if (end.code != -3) return;
    const std::string outFile(end.lastOutFile);
    scriptError("no output file" + (outFile.empty() ? "" : " " + outFile) + ": " +
                (end.writeError.empty() ? unwritableReason(outFile) : std::string(end.writeError)));
}

// An error only a run meets (an undefined variable) has no column from the
// outline: it is placed by its position alone.
void ScriptEvents::syntaxError(const ParseEnd& end) {
    const int column =
        end.errColumn > 0 ? end.errColumn : errorColumn(script, end.errLine, end.errPos);
    scriptError(withoutLineEnd(end.errString), end.errLine, column > 0 ? column : end.errPos,
                errorHint(end.errToken));
}

void ScriptEvents::end() {
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    out.scriptEnd({script, seconds.count(), std::move(output), skipped});
    output.clear();
}

bool ScriptEvents::lastVerdict(std::string& name, int& position) const {
    if (verdicts == 0) return false;
    name = lastName;
    position = lastPosition;
    return true;
}

}  // namespace zorrun
