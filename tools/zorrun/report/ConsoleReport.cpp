#include "ConsoleReport.h"

#include <charconv>

#include "TerminalText.h"
#include "TestText.h"
#include "Totals.h"

namespace zorrun {

namespace {

// A failed test's lines under its verdict: each failed entry shown, how many
// more there are, or why there are none.
void describeFailure(const TestResult& result, std::string& out) {
    out.clear();
    if (result.outcome != Outcome::failed) return;
    if (!result.reason.empty()) {
        out = "    " + terminalText(result.reason) + "\n";
        return;
    }
    for (const FailedEntry& entry : result.entries) {
        out += "    expected ";
        out += terminalText(entry.expected);
        out += ", actual ";
        out += terminalText(entry.actual);
        out += '\n';
    }
    if (result.moreEntries > 0)
        out += "    ... and " + std::to_string(result.moreEntries) + " more\n";
}

// Output shown under one test or script; the JUnit and JSON reports hold all
// that was caught.
constexpr std::size_t maxOutputShown = 64 * 1024;

// "    captured output:" and each line of it under "    | ": whatever it
// holds, no line of it starts where ZorRun's lines start. Whole lines are
// shown, up to the bound.
std::string capturedLines(std::string_view output) {
    std::string lines = "    captured output:\n";
    std::size_t shown = output.size();
    if (shown > maxOutputShown) {
        const std::size_t lineEnd = output.rfind('\n', maxOutputShown - 1);
        shown = lineEnd == std::string_view::npos ? maxOutputShown : lineEnd + 1;
    }
    for (std::size_t at = 0; at < shown;) {
        std::size_t end = output.find('\n', at);
        if (end == std::string_view::npos || end > shown) end = shown;
        lines += "    | ";
        lines += terminalText(output.substr(at, end - at));
        lines += '\n';
        at = end + 1;
    }
    if (shown < output.size())
        lines += "    [" + std::to_string(output.size() - shown) + " more bytes not shown]\n";
    return lines;
}

void addToRecap(const TestResult& result, std::string& recap) {
    if (result.outcome == Outcome::passed) return;
    recap += result.outcome == Outcome::failed ? "failed: " : "error: ";
    recap += terminalText(testName(result.name, result.position));
    if (result.line > 0)
        recap += " (" + terminalText(result.script) + ":" + std::to_string(result.line) + ")";
    recap += '\n';
}

std::string elapsedText(double seconds) {
    char text[48];
    char* end = std::to_chars(text, text + sizeof text, seconds > 0 ? seconds : 0.0,
                              std::chars_format::fixed, 2)
                    .ptr;
    return "ran in " + std::string(text, static_cast<std::size_t>(end - text)) + " s\n";
}

}  // namespace

ConsoleReport::ConsoleReport(Console& out, ProgressLine& progressLine)
    : console(out), progress(progressLine) {}

void ConsoleReport::scriptStart(const ScriptStart& event) {
    console.beginScript(event.runName, event.script);
    lastWriteError.clear();
    scriptFailed = false;
}

// An error also stands on stderr, where CI logs look for it; a full disk
// fails every test after it, so each reason is named there once.
void ConsoleReport::testResult(const TestResult& event) {
    describeFailure(event, details);
    if (event.outcome != Outcome::passed && !event.output.empty())
        details += capturedLines(event.output);
    console.testLine(event.name, event.position, event.outcome, event.outFile, event.line, details,
                     event.reason);
    progress.update(++testsRun);
    if (event.outcome != Outcome::passed) scriptFailed = true;
    if (!console.isQuiet()) addToRecap(event, recap);
    if (event.outcome != Outcome::error) return;
    const std::string message = placedReason(event);
    if (message.starts_with("cannot write the report")) {
        if (message != lastWriteError) console.error(message);
        lastWriteError = message;
        return;
    }
    console.error(event.script + ": " + message);
}

void ConsoleReport::scriptError(const ScriptError& event) {
    scriptFailed = true;
    const std::string place = errorPlace(event);
    const std::string where = place.empty() ? event.script : place;
    console.error(where + ": " + event.text);
    if (!event.hint.empty()) console.error(place + ": note: " + event.hint);
    if (!console.isQuiet()) recap += "error: " + terminalText(where + ": " + event.text) + "\n";
}

void ConsoleReport::testsNotRun(const TestsNotRun& event) {
    if (event.count <= 0) return;
    scriptFailed = true;
    console.note("    " + std::to_string(event.count) + (event.count == 1 ? " test" : " tests") +
                 " not run " + event.why + "\n");
}

// A quiet console shows the output of scripts that failed only, as it shows
// only their tests.
void ConsoleReport::scriptEnd(const ScriptEnd& event) {
    if (!event.output.empty() && (scriptFailed || !console.isQuiet()))
        console.note(capturedLines(event.output));
    if (event.notSelected) console.aside("    not selected\n");
    console.flush();
}

void ConsoleReport::runEnd(const RunEnd& event) {
    console.closing(recap + elapsedText(event.totals.seconds));
    console.summary(totalsText(event.totals), event.totals.exitStatus == 0);
}

}  // namespace zorrun
