#include "ConsoleReport.h"

#include <charconv>

#include "TestText.h"
#include "Totals.h"

namespace zorrun {

namespace {

// A logged value is the test function's: its line ends and escape sequences
// would forge console lines (a verdict, a summary) or drive the terminal.
std::string shown(const std::string& value) {
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            text += "\\n";
        } else if (c == '\r') {
            text += "\\r";
        } else if (byte < 0x20 || byte == 0x7f) {
            text.append("\\x").append(1, hex[byte >> 4]).append(1, hex[byte & 15]);
        } else {
            text += c;
        }
    }
    return text;
}

// A failed test's lines under its verdict: each failed entry shown, how many
// more there are, or why there are none.
void describeFailure(const TestResult& result, std::string& out) {
    out.clear();
    if (result.outcome != Outcome::failed) return;
    if (!result.reason.empty()) {
        out = "    " + shown(result.reason) + "\n";
        return;
    }
    for (const FailedEntry& entry : result.entries) {
        out += "    expected ";
        out += shown(entry.expected);
        out += ", actual ";
        out += shown(entry.actual);
        out += '\n';
    }
    if (result.moreEntries > 0)
        out += "    ... and " + std::to_string(result.moreEntries) + " more\n";
}

void addToRecap(const TestResult& result, std::string& recap) {
    if (result.outcome == Outcome::passed) return;
    recap += result.outcome == Outcome::failed ? "failed: " : "error: ";
    recap += shown(testName(result.name, result.position));
    if (result.line > 0) recap += " (" + result.script + ":" + std::to_string(result.line) + ")";
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
}

// An error also stands on stderr, where CI logs look for it; a full disk
// fails every test after it, so each reason is named there once.
void ConsoleReport::testResult(const TestResult& event) {
    describeFailure(event, details);
    console.testLine(event.name, event.position, event.outcome, event.outFile, event.line, details,
                     event.reason);
    progress.update(++testsRun);
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
    const std::string place = errorPlace(event);
    console.error((place.empty() ? event.script : place) + ": " + event.text);
    if (!event.hint.empty()) console.error(place + ": note: " + event.hint);
}

void ConsoleReport::testsNotRun(const TestsNotRun& event) {
    if (event.count <= 0) return;
    console.note("    " + std::to_string(event.count) + (event.count == 1 ? " test" : " tests") +
                 " not run " + event.why + "\n");
}

void ConsoleReport::scriptEnd(const ScriptEnd&) {
    console.flush();
}

void ConsoleReport::runEnd(const RunEnd& event) {
    console.closing(recap + elapsedText(event.totals.seconds));
    console.summary(totalsText(event.totals), event.totals.exitStatus == 0);
}

}  // namespace zorrun
