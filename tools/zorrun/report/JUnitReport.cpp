#include "JUnitReport.h"

#include <charconv>

#include "TestText.h"
#include "XmlText.h"

namespace zorrun {

namespace {

void appendNumber(std::string& out, int number) {
    char digits[12];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void appendSeconds(std::string& out, double seconds) {
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, seconds > 0 ? seconds : 0.0,
                                   std::chars_format::fixed, 3)
                         .ptr);
}

// Unmeasured time (a remote run) counts as 0, so that every testcase has one.
void appendCaseSeconds(std::string& out, double seconds) {
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, seconds > 0 ? seconds : 0.0,
                                   std::chars_format::fixed, 6)
                         .ptr);
}

// The failed entries as ZorRun compared them, exact where the report block
// rounds (a double at six decimals), then the block itself.
std::string failureBody(const TestResult& event) {
    std::string body;
    for (const FailedEntry& entry : event.entries) body += entryText(entry) + '\n';
    if (event.moreEntries > 0) body += "... and " + std::to_string(event.moreEntries) + " more\n";
    if (!body.empty()) body += '\n';
    body += event.reportBlock.empty() ? event.reason : event.reportBlock;
    return body;
}

std::string caseName(const std::string& name, int position) {
    std::string out;
    appendXml(out, testName(name, position), XmlPlace::attribute);
    return out;
}

}  // namespace

JUnitReport::~JUnitReport() {
    if (body) std::fclose(body);
    if (suites) std::fclose(suites);
}

bool JUnitReport::open(const std::string& path, std::string& reason) {
    if (!file.open(path, reason)) return false;
    suites = std::tmpfile();
    if (!suites) file.writeFailed();
    return true;
}

void JUnitReport::scriptStart(const ScriptStart& event) {
    suiteName.clear();
    appendXml(suiteName, event.runName, XmlPlace::attribute);
    script.clear();
    appendXml(script, event.script, XmlPlace::attribute);
    suite = Counts();
    if (!body) body = std::tmpfile();
    if (!body) file.writeFailed();
}

// file and line are the attributes that some tools read to point at a test;
// the file is the script, as given, whichever run of it this is.
void JUnitReport::beginCase(std::string_view name, int line, double seconds) {
    scratch = "    <testcase classname=\"";
    scratch += suiteName;
    scratch += "\" name=\"";
    scratch += name;
    if (places) {
        scratch += "\" file=\"";
        scratch += script;
    }
    if (places && line > 0) {
        scratch += "\" line=\"";
        appendNumber(scratch, line);
    }
    scratch += "\" time=\"";
    appendCaseSeconds(scratch, seconds);
    scratch += '"';
    ++suite.tests;
}

// A failure without a block of its own (no function for the test) carries
// its reason instead.
void JUnitReport::testResult(const TestResult& event) {
    if (event.outcome == Outcome::error) {
        const std::string message = placedReason(event);
        addErrorCase(caseName(event.name, event.position), "test error", message,
                     event.reportBlock.empty() ? event.script + ": " + message : event.reportBlock,
                     event.line, event.seconds, event.output);
        return;
    }
    beginCase(caseName(event.name, event.position), event.line, event.seconds);
    if (event.outcome == Outcome::passed && event.output.empty()) {
        scratch += "/>\n";
        writeBody(scratch);
        return;
    }
    if (event.outcome == Outcome::passed) {
        scratch += ">\n";
        endCase(event.output);
        return;
    }
    scratch += ">\n      <failure message=\"";
    appendXml(scratch, failureSummary(event), XmlPlace::attribute);
    scratch += "\" type=\"verification\">";
    appendXml(scratch, failureBody(event), XmlPlace::content);
    scratch += "</failure>\n";
    endCase(event.output);
    ++suite.failures;
}

// A stop stands as an "interrupted" testcase, so that a stopped run never
// reads as complete; other script errors as a testcase of their own.
void JUnitReport::scriptError(const ScriptError& event) {
    const std::string detail = placedText(event);
    const std::string whole = event.line > 0 ? detail : event.script + ": " + detail;
    if (event.text.starts_with("interrupted by "))
        return addErrorCase("interrupted", "test error", "interrupted", whole, 0, -1);
    addErrorCase("script error", "script error", event.text, whole, event.line, -1);
}

void JUnitReport::testsNotRun(const TestsNotRun& event) {
    for (int i = 0; i < event.count; ++i) {
        const std::string name = static_cast<std::size_t>(i) < event.tests.size()
                                     ? event.tests[static_cast<std::size_t>(i)]
                                     : "not run " + std::to_string(i + 1);
        std::string escaped;
        appendXml(escaped, name, XmlPlace::attribute);
        beginCase(escaped, 0, 0);
        scratch += ">\n      <skipped message=\"";
        appendXml(scratch, "not run " + event.why, XmlPlace::attribute);
        scratch += "\"/>\n    </testcase>\n";
        writeBody(scratch);
        ++suite.skipped;
    }
}

void JUnitReport::addErrorCase(std::string_view testName, std::string_view type,
                               std::string_view message, std::string_view detail, int line,
                               double seconds, std::string_view output) {
    beginCase(testName, line, seconds);
    scratch += ">\n      <error message=\"";
    appendXml(scratch, message, XmlPlace::attribute);
    scratch += "\" type=\"";
    scratch += type;
    scratch += "\">";
    appendXml(scratch, detail, XmlPlace::content);
    scratch += "</error>\n";
    endCase(output);
    ++suite.errors;
}

// What the test printed goes with it, where CI tools show it beside its verdict.
void JUnitReport::endCase(std::string_view output) {
    if (!output.empty()) {
        scratch += "      <system-out>";
        appendXml(scratch, output, XmlPlace::content);
        scratch += "</system-out>\n";
    }
    scratch += "    </testcase>\n";
    writeBody(scratch);
}

void JUnitReport::writeBody(const std::string& text) {
    if (!body || std::fwrite(text.data(), 1, text.size(), body) != text.size()) file.writeFailed();
}

// The strict schema has no skipped count on testsuites, only on a testsuite.
void JUnitReport::appendCounts(std::string& out, const Counts& counts, bool withSkipped) {
    out += "tests=\"";
    appendNumber(out, counts.tests);
    out += "\" failures=\"";
    appendNumber(out, counts.failures);
    out += "\" errors=\"";
    appendNumber(out, counts.errors);
    if (withSkipped) {
        out += "\" skipped=\"";
        appendNumber(out, counts.skipped);
    }
    out += '"';
}

// Copies what from holds to the end of to (or of the report when to is
// null), and empties from for its next use.
void JUnitReport::moveInto(std::FILE*& from, std::FILE* to) {
    if (!from) return;
    std::rewind(from);
    char chunk[1 << 16];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, from)) > 0) {
        if (!to)
            file.write(std::string_view(chunk, got));
        else if (std::fwrite(chunk, 1, got, to) != got)
            file.writeFailed();
    }
    if (std::ferror(from)) file.writeFailed();
    std::fclose(from);
    from = nullptr;
}

void JUnitReport::scriptEnd(const ScriptEnd& event) {
    if (!file.isOpen()) return;
    scratch = "  <testsuite name=\"";
    scratch += suiteName;
    scratch += "\" ";
    appendCounts(scratch, suite, true);
    scratch += " time=\"";
    appendSeconds(scratch, event.seconds);
    scratch += "\">\n";
    if (!suites || std::fwrite(scratch.data(), 1, scratch.size(), suites) != scratch.size())
        file.writeFailed();
    moveInto(body, suites);
    if (!event.output.empty()) {
        scratch = "    <system-out>";
        appendXml(scratch, event.output, XmlPlace::content);
        scratch += "</system-out>\n";
        if (!suites || std::fwrite(scratch.data(), 1, scratch.size(), suites) != scratch.size())
            file.writeFailed();
    }
    const std::string_view end = "  </testsuite>\n";
    if (!suites || std::fwrite(end.data(), 1, end.size(), suites) != end.size()) file.writeFailed();
    all.tests += suite.tests;
    all.failures += suite.failures;
    all.errors += suite.errors;
    all.skipped += suite.skipped;
}

bool JUnitReport::close(std::string& reason) {
    if (!file.isOpen()) return true;
    scratch = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites ";
    appendCounts(scratch, all, places);
    scratch += " time=\"";
    appendSeconds(scratch, allSeconds);
    scratch += "\">\n";
    file.write(scratch);
    moveInto(suites, nullptr);
    file.write("</testsuites>\n");
    return file.commit(reason);
}

}  // namespace zorrun
