#include "ScriptRunner.h"

#include <chrono>

#include "RunCallback.h"
#include "ScriptFiles.h"
#include "ZorLib.h"

namespace zor {

namespace {

// The library calls back through plain functions; they reach the runner here.
ScriptRunner* activeRunner = nullptr;

// A failed test's report block goes into the JUnit file up to this size.
constexpr std::size_t reportLimit = 1 << 20;

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace

ScriptRunner::ScriptRunner(Console& out, ProgressLine& progressLine, JUnitReport* report)
    : console(out), progress(progressLine), junit(report) {
    if (junit) reportCopy = std::make_unique<ReportCopy>();
    activeRunner = this;
    Parse::setVerifyObserver(heardVerdict);
}

ScriptRunner::~ScriptRunner() {
    Parse::setVerifyObserver(nullptr);
    activeRunner = nullptr;
}

void ScriptRunner::heardVerdict(const char* name, int position, int pass, int result) {
    if (activeRunner) activeRunner->verdict(name, position, pass, result == 0);
}

void ScriptRunner::verdict(const char* name, int position, int pass, bool passed) {
    const char* outFile = Parse::getLastOutFile();
    passed ? ++outcome.passed : ++outcome.failed;
    console.testLine(name, position, passed, outFile);
    if (junit && passed) junit->addPassed(name, position);
    if (junit && !passed) junit->addFailed(name, position, failureReport(outFile, pass));
    progress.update(++testsRun);
}

// Without an output file the comparison was never made.
std::string ScriptRunner::failureReport(const char* outFile, int pass) {
    if (fileSize(outFile) < 0)
        return std::string("no comparison was made: the output file '") + outFile +
               "' could not be opened";
    return reportCopy->make(pass, reportLimit);
}

ScriptOutcome ScriptRunner::run(const std::string& script, const std::string& filter) {
    outcome = ScriptOutcome();
    console.beginScript(script);
    if (junit) junit->beginSuite(script);
    const auto start = std::chrono::steady_clock::now();
    if (script.size() >= static_cast<std::size_t>(Parse::entryNameSize)) {
        fileError(script, "cannot run script", "name longer than 255 characters");
    } else {
        reportCode(script, Parse::parseLoop(script.c_str(), filter.c_str(), runCallback));
    }
    if (!outcome.error && !filter.empty() && outcome.passed + outcome.failed == 0)
        console.error(script + ": the filter '" + filter + "' selects no test");
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (junit) junit->endSuite(seconds.count());
    return outcome;
}

// 0 and -4 (an earlier verification failed, perhaps in another script) leave the
// verdict to the tests this script ran; the other codes are errors.
void ScriptRunner::reportCode(const std::string& script, int code) {
    if (code == 0 || code == -4) return;
    if (code == -1) return fileError(script, "cannot run script", "the library is busy");
    if (code == -2) return fileError(script, "cannot open script", unreadableReason(script));
    if (Parse::getErrLine() >= 1) scriptError(script);
    if (code == -3) {
        const std::string outFile = Parse::getLastOutFile();
        fileError(script, "no output file" + (outFile.empty() ? "" : " " + outFile),
                  unwritableReason(outFile));
    }
}

void ScriptRunner::scriptError(const std::string& script) {
    const std::string text = withoutLineEnd(Parse::getErrString());
    const int line = Parse::getErrLine();
    const int position = Parse::getErrPos();
    const int column = errorColumn(script, line, position);
    const std::string where =
        script + ":" + std::to_string(line) + ":" + std::to_string(column > 0 ? column : position);
    console.error(where + ": " + text);
    outcome.error = true;
    if (junit)
        junit->addError(text, where + ": " + text + "\nline " + std::to_string(line) +
                                  ", position " + std::to_string(position));
}

void ScriptRunner::fileError(const std::string& file, const std::string& what,
                             const std::string& reason) {
    const std::string message = what + ": " + reason;
    console.error(file + ": " + message);
    outcome.error = true;
    if (junit) junit->addError(message, file + ": " + message);
}

}  // namespace zor
