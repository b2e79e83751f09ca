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
    activeRunner = this;
    Parse::setVerifyObserver(heardVerdict);
}

ScriptRunner::~ScriptRunner() {
    Parse::setVerifyObserver(nullptr);
    activeRunner = nullptr;
}

void ScriptRunner::heardVerdict(const char* name, int position, int, int result) {
    if (activeRunner) activeRunner->verdict(name, position, result == 0);
}

// With a JUnit report, a failed test's report block is what the comparison
// appends after the test function returns: its start is noted here. Trace
// blocks written by the test function itself lie before it.
int ScriptRunner::markingCallback() {
    const int pass = runCallback();
    // The first test of a file finds it not yet there: its report starts at 0.
    const long size = fileSize(Parse::getLastOutFile());
    if (activeRunner) activeRunner->reportStart = size < 0 ? 0 : size;
    return pass;
}

void ScriptRunner::verdict(const char* name, int position, bool passed) {
    const char* outFile = Parse::getLastOutFile();
    passed ? ++outcome.passed : ++outcome.failed;
    console.testLine(name, position, passed, outFile);
    if (junit && passed) junit->addPassed(name, position);
    if (junit && !passed) junit->addFailed(name, position, failureReport(outFile));
    reportStart = -1;
    progress.update(++testsRun);
}

std::string ScriptRunner::failureReport(const char* outFile) {
    std::string block = reportStart >= 0 ? readFrom(outFile, reportStart, reportLimit) : "";
    if (block.empty()) block = "no report could be read from the output file";
    return block;
}

ScriptOutcome ScriptRunner::run(const std::string& script, const std::string& filter) {
    outcome = ScriptOutcome();
    console.beginScript(script);
    if (junit) junit->beginSuite(script);
    const auto start = std::chrono::steady_clock::now();
    if (script.size() >= static_cast<std::size_t>(Parse::entryNameSize)) {
        fileError(script, "cannot run script", "name longer than 255 characters");
    } else {
        reportCode(script, Parse::parseLoop(script.c_str(), filter.c_str(),
                                            junit ? markingCallback : runCallback));
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
