#include "JsonReport.h"

#include <charconv>

#include "TestText.h"
#include "Utf8.h"

namespace zorrun {

namespace {

void appendEscaped(std::string& out, unsigned char byte) {
    constexpr char hex[] = "0123456789abcdef";
    out += "\\u00";
    out += hex[byte >> 4];
    out += hex[byte & 15];
}

// The length of the valid UTF-8 sequence at the start of text; 0 when there
// is none.
std::size_t utf8Length(std::string_view text) {
    unsigned long code = 0;
    return utf8Sequence(text, code);
}

void appendNumber(std::string& out, int number) {
    char digits[12];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void appendSeconds(std::string& out, double seconds) {
    if (seconds < 0) {
        out += "null";
        return;
    }
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, seconds).ptr);
}

void appendField(std::string& out, std::string_view name, std::string_view text) {
    out += ",\"";
    out += name;
    out += "\":";
    appendJsonString(out, text);
}

void appendEntries(std::string& out, const std::vector<FailedEntry>& entries) {
    out += ",\"failures\":[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out += i ? ",{\"expected\":" : "{\"expected\":";
        appendJsonString(out, entries[i].expected);
        out += ",\"actual\":";
        appendJsonString(out, entries[i].actual);
        out += '}';
    }
    out += ']';
}

const char* verdictWord(Outcome outcome) {
    switch (outcome) {
        case Outcome::passed:
            return "passed";
        case Outcome::failed:
            return "failed";
        case Outcome::error:
            return "error";
    }
    return "error";
}

void appendCount(std::string& out, const char* name, int count, bool first = false) {
    out += first ? "\"" : ",\"";
    out += name;
    out += "\":";
    appendNumber(out, count);
}

std::string isoTime(std::time_t time) {
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text[0]);
        std::size_t taken = 1;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            appendEscaped(out, c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((taken = utf8Length(text)) > 0) {
            out.append(text.substr(0, taken));
        } else {
            taken = 1;
            appendEscaped(out, c);
        }
        text.remove_prefix(taken);
    }
    out += '"';
}

bool JsonReport::open(const std::string& path, std::string& reason) {
    if (!file.open(path, reason)) return false;
    file.write("{\"version\":1,\"scripts\":[");
    return true;
}

void JsonReport::scriptStart(const ScriptStart& event) {
    script = event.script;
    errors.clear();
    passed = failed = erred = notRun = 0;
    scratch = firstScript ? "\n{\"path\":" : ",\n{\"path\":";
    appendJsonString(scratch, script);
    scratch += ",\"tests\":[";
    file.write(scratch);
    firstScript = false;
    firstTest = true;
}

void JsonReport::testResult(const TestResult& test) {
    ++(test.outcome == Outcome::passed ? passed : test.outcome == Outcome::failed ? failed : erred);
    scratch = firstTest ? "\n {\"name\":" : ",\n {\"name\":";
    firstTest = false;
    appendJsonString(scratch, test.name);
    scratch += ",\"position\":";
    test.position >= 0 ? appendNumber(scratch, test.position) : void(scratch += "null");
    appendField(scratch, "file", script);
    scratch += ",\"line\":";
    test.line > 0 ? appendNumber(scratch, test.line) : void(scratch += "null");
    appendField(scratch, "verdict", verdictWord(test.outcome));
    scratch += ",\"duration\":";
    appendSeconds(scratch, test.seconds);
    appendField(scratch, "outFile", test.outFile);
    appendEntries(scratch, test.entries);
    if (test.moreEntries > 0) {
        scratch += ",\"moreFailures\":";
        appendNumber(scratch, test.moreEntries);
    }
    const std::string message = placedReason(test);
    if (!message.empty()) appendField(scratch, "message", message);
    if (!test.output.empty()) appendField(scratch, "output", test.output);
    scratch += '}';
    file.write(scratch);
}

void JsonReport::scriptError(const ScriptError& event) {
    errors.push_back(placedText(event));
}

void JsonReport::scriptEnd(const ScriptEnd& event) {
    scratch = "],\"errors\":[";
    for (std::size_t i = 0; i < errors.size(); ++i) {
        if (i > 0) scratch += ',';
        appendJsonString(scratch, errors[i]);
    }
    const bool error = erred > 0 || notRun > 0 || !errors.empty();
    scratch += "],\"outcome\":\"";
    scratch += error ? "error" : failed > 0 ? "failed" : "passed";
    scratch += '"';
    appendCount(scratch, "passed", passed);
    appendCount(scratch, "failed", failed);
    appendCount(scratch, "notRun", notRun);
    if (event.notSelected) scratch += ",\"notSelected\":true";
    scratch += ",\"duration\":";
    appendSeconds(scratch, event.seconds);
    if (!event.output.empty()) appendField(scratch, "output", event.output);
    scratch += '}';
    file.write(scratch);
}

void JsonReport::runEnd(const RunEnd& event) {
    const RunTotals& totals = event.totals;
    scratch = "\n],\"totals\":{";
    appendCount(scratch, "tests", totals.tests, true);
    appendCount(scratch, "passed", totals.passed);
    appendCount(scratch, "failed", totals.failed);
    appendCount(scratch, "errors", totals.errors);
    appendCount(scratch, "notRun", totals.notRun);
    appendCount(scratch, "scriptsWithErrors", totals.scriptsWithErrors);
    scratch += "},\"startTime\":";
    appendJsonString(scratch, isoTime(startTime));
    scratch += ",\"duration\":";
    appendSeconds(scratch, totals.seconds);
    appendCount(scratch, "exitStatus", totals.exitStatus);
    scratch += "}\n";
    file.write(scratch);
    ended = true;
}

// A run that never ended (stopped before its end was told) still leaves a
// document that reads.
bool JsonReport::close(std::string& reason) {
    if (!file.isOpen()) return true;
    if (!ended) file.write("\n]}\n");
    return file.commit(reason);
}

}  // namespace zorrun
