#include "ScriptReport.h"

#include <chrono>

#include "ErrorHint.h"
#include "RecordPositions.h"
#include "ScriptFiles.h"

namespace zorrun {

namespace {

double secondsNow() {
    const std::chrono::duration<double> now = std::chrono::steady_clock::now().time_since_epoch();
    return now.count();
}

std::string withoutLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return std::string(text);
}

std::string unknownFunctionText(std::string_view name) {
    return "no test function " + std::string(name) + " (did you mean --load?)";
}

// A failed test's lines under its verdict: each failed entry, or why there
// are none.
void describeFailure(const Verdict& verdict, std::string& out) {
    out.clear();
    if (verdict.passed) return;
    if (verdict.unknownFunction) {
        out = "    " + unknownFunctionText(verdict.name) + "\n";
        return;
    }
    std::string_view packed = verdict.failedEntries;
    FailedEntry entry;
    while (nextFailedEntry(packed, entry)) {
        out += "    expected ";
        out += entry.expected;
        out += ", actual ";
        out += entry.actual;
        out += '\n';
    }
}

}  // namespace

std::string testName(const std::string& name, int position) {
    return position < 0 ? name : name + " " + std::to_string(position);
}

ScriptReport::ScriptReport(Console& out, ProgressLine& progressLine, JUnitReport* report,
                           JsonReport* jsonReport)
    : console(out), progress(progressLine), junit(report), json(jsonReport) {}

void ScriptReport::begin(const std::string& name, const std::string& selection) {
    script = name;
    filter = selection;
    outcome = ScriptOutcome();
    lastName.clear();
    lastPosition = -1;
    anyVerdict = false;
    lastWriteError.clear();
    console.beginScript(script + runSuffix);
    if (junit) junit->beginSuite(script + runSuffix);
    if (json) json->beginScript(script);
    if (failureLog) failureLog->beginScript(script);
    startSeconds = secondsNow();
    if (html) html->beginScript(script, startSeconds);
}

void ScriptReport::verdict(const Verdict& verdict) {
    verdict.passed ? ++outcome.passed : ++outcome.failed;
    describeFailure(verdict, details);
    console.testLine(verdict.name, verdict.position, verdict.passed, verdict.outFile, verdict.line,
                     details);
    lastName = verdict.name;
    lastPosition = verdict.position;
    anyVerdict = true;
    if (failureLog)
        failureLog->verdict(std::string(verdict.name), verdict.position,
                            verdict.passed && verdict.threw.empty());
    const CaseFacts facts{verdict.line, verdict.seconds};
    if (!verdict.writeError.empty()) {
        writeError(verdict);
    } else if (!verdict.threw.empty()) {
        threw(verdict);
    } else if (verdict.passed) {
        if (junit) junit->addPassed(verdict.name, verdict.position, facts);
        addJsonTest(verdict, "passed", "");
        if (html) html->addVerdict(verdict, secondsNow());
    } else {
        if (junit) junit->addFailed(verdict.name, verdict.position, verdict.report, facts);
        addJsonTest(verdict, "failed",
                    verdict.unknownFunction ? unknownFunctionText(verdict.name) : "");
        if (html) html->addVerdict(verdict, secondsNow());
    }
    progress.update(++testsRun);
}

// A report that did not go in whole is a broken run, not a failed
// verification; a full disk fails every test after it, so each reason is
// named once.
void ScriptReport::writeError(const Verdict& verdict) {
    const std::string message = "cannot write the report to " + std::string(verdict.outFile) +
                                ": " + std::string(verdict.writeError);
    outcome.error = true;
    if (message != lastWriteError) console.error(message);
    lastWriteError = message;
    if (junit)
        junit->addFailed(verdict.name, verdict.position, message, {verdict.line, verdict.seconds});
    addJsonTest(verdict, "error", message);
    if (html)
        html->addTestError(verdict.name, verdict.position, verdict.line, message, "", secondsNow());
}

void ScriptReport::threw(const Verdict& verdict) {
    const std::string message = "test function threw: " + std::string(verdict.threw) + " in " +
                                testName(std::string(verdict.name), verdict.position);
    outcome.error = true;
    console.error(script + ": " + message);
    if (junit)
        junit->addTestError(verdict.name, verdict.position, message, verdict.report,
                            {verdict.line, verdict.seconds});
    addJsonTest(verdict, "error", message);
    if (html)
        html->addTestError(verdict.name, verdict.position, verdict.line, message, verdict.report,
                           secondsNow());
}

void ScriptReport::addJsonTest(const Verdict& verdict, std::string_view kind,
                               std::string_view message) {
    if (!json) return;
    JsonTest test;
    test.name = verdict.name;
    test.position = verdict.position;
    test.line = verdict.line;
    test.verdict = kind;
    test.seconds = verdict.seconds;
    test.outFile = verdict.outFile;
    test.failedEntries = verdict.failedEntries;
    test.message = message;
    json->addTest(test);
}

void ScriptReport::scriptEnd(const ScriptEnd& end) {
    reportCode(end);
    if (!outcome.error && !filter.empty() && outcome.passed + outcome.failed == 0) {
        const std::string message = "the filter '" + filter + "' selects no test";
        console.error(script + ": " + message);
        if (json) json->addError(message);
    }
}

// 0 and -4 (an earlier verification failed, perhaps in another script) leave the
// verdict to the tests this script ran; the other codes are errors.
void ScriptReport::reportCode(const ScriptEnd& end) {
    if (end.code == 0 || end.code == -4) return;
    if (end.code == -1) return fileError("cannot run script", "the library is busy");
    if (end.code == -2) return fileError("cannot open script", unreadableReason(script));
    if (end.errLine >= 1) syntaxError(end);
    if (end.code == -3) {
        const std::string outFile(end.lastOutFile);
        fileError("no output file" + (outFile.empty() ? "" : " " + outFile),
                  end.writeError.empty() ? unwritableReason(outFile) : std::string(end.writeError));
    }
}

void ScriptReport::syntaxError(const ScriptEnd& end) {
    const std::string text = withoutLineEnd(end.errString);
    const int column = errorColumn(script, end.errLine, end.errPos);
    const std::string where = script + ":" + std::to_string(end.errLine) + ":" +
                              std::to_string(column > 0 ? column : end.errPos);
    console.error(where + ": " + text);
    const std::string hint = errorHint(script, end.errLine);
    if (!hint.empty()) console.error(where + ": note: " + hint);
    if (json) json->addError(where + ": " + text);
    outcome.error = true;
    if (html) html->addScriptError(end.errLine, column > 0 ? column : end.errPos, text);
    if (junit)
        junit->addError(text, where + ": " + text + "\nline " + std::to_string(end.errLine) +
                                  ", position " + std::to_string(end.errPos));
}

void ScriptReport::cannotRun(const std::string& reason) {
    fileError("cannot run script", reason);
}

void ScriptReport::fileError(const std::string& what, const std::string& reason) {
    const std::string message = what + ": " + reason;
    console.error(script + ": " + message);
    outcome.error = true;
    if (junit) junit->addError(message, script + ": " + message);
    if (json) json->addError(message);
    if (html) html->addScriptError(0, 0, message);
}

// The test got no verdict, so its line is found here, on this rare path.
void ScriptReport::testError(const std::string& name, int position, const std::string& message) {
    ++outcome.failed;
    outcome.error = true;
    if (failureLog) failureLog->verdict(name, position, false);
    console.error(script + ": " + message);
    LineCounter lines;
    if (position >= 0) lines.open(script);
    const int line = position >= 0 ? lines.lineOf(position) : 0;
    if (junit) junit->addTestError(name, position, message, script + ": " + message, {line, -1});
    if (html) html->addTestError(name, position, line, message, "", secondsNow());
    if (!json) return;
    JsonTest test;
    test.name = name;
    test.position = position;
    test.line = line;
    test.verdict = "error";
    test.message = message;
    json->addTest(test);
}

void ScriptReport::scriptError(const std::string& message) {
    outcome.error = true;
    console.error(script + ": " + message);
    if (junit) junit->addError(message, script + ": " + message);
    if (json) json->addError(message);
    if (html) html->addScriptError(0, 0, message);
}

void ScriptReport::interrupted(const std::string& detail) {
    outcome.error = true;
    console.error(script + ": " + detail);
    if (junit) junit->addTestError("interrupted", -1, "interrupted", script + ": " + detail);
    if (json) json->addError(detail);
    if (html) html->addScriptError(0, 0, detail);
}

void ScriptReport::flush() {
    console.flush();
}

ScriptOutcome ScriptReport::end() {
    if (failureLog) failureLog->endScript(outcome.error);
    const double seconds = secondsNow() - startSeconds;
    if (junit) junit->endSuite(seconds);
    if (json) json->endScript(outcome, seconds);
    return outcome;
}

bool ScriptReport::lastVerdict(std::string& name, int& position) const {
    if (!anyVerdict) return false;
    name = lastName;
    position = lastPosition;
    return true;
}

}  // namespace zorrun
