#include "JUnitReport.h"

#include <charconv>
#include <cstdlib>

#include "XmlText.h"

namespace zorrun {

namespace {

void appendNumber(std::string& out, int number) {
    char digits[12];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void appendSeconds(std::string& out, double seconds) {
    char text[32];
    out.append(text,
               std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 3).ptr);
}

// Unmeasured time (a remote run, a test that got no verdict) counts as 0, so
// that every testcase has one.
void appendCaseSeconds(std::string& out, double seconds) {
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, seconds > 0 ? seconds : 0.0,
                                   std::chars_format::fixed, 6)
                         .ptr);
}

void appendTestName(std::string& out, std::string_view name, int position) {
    appendXml(out, name, XmlPlace::attribute);
    if (position < 0) return;
    out += ' ';
    appendNumber(out, position);
}

}  // namespace

JUnitReport::~JUnitReport() {
    if (body) std::fclose(body);
    body = nullptr;
    std::free(bodyMemory);
}

bool JUnitReport::open(const std::string& path, std::string& reason) {
    if (!file.open(path, reason)) return false;
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n");
    return true;
}

bool JUnitReport::openInMemory() {
    inMemory = true;
    return file.openInMemory();
}

bool JUnitReport::takeSuites(std::string& suites) {
    return file.takeText(suites);
}

void JUnitReport::addSuites(std::string_view suites) {
    file.write(suites);
}

void JUnitReport::beginSuite(std::string_view script) {
    suiteName.clear();
    appendXml(suiteName, script, XmlPlace::attribute);
    tests = failures = errors = 0;
    if (!body) body = inMemory ? open_memstream(&bodyMemory, &bodySize) : std::tmpfile();
    if (!body) file.writeFailed();
}

// file and line are the attributes that CI servers read to point at a test;
// the file is the script, as given.
void JUnitReport::beginCase(std::string_view name, const CaseFacts& facts) {
    scratch = "    <testcase classname=\"";
    scratch += suiteName;
    scratch += "\" name=\"";
    scratch += name;
    scratch += "\" file=\"";
    scratch += suiteName;
    if (facts.line > 0) {
        scratch += "\" line=\"";
        appendNumber(scratch, facts.line);
    }
    scratch += "\" time=\"";
    appendCaseSeconds(scratch, facts.seconds);
    scratch += '"';
}

void JUnitReport::addPassed(std::string_view name, int position, const CaseFacts& facts) {
    std::string testName;
    appendTestName(testName, name, position);
    beginCase(testName, facts);
    scratch += "/>\n";
    writeBody(scratch);
    ++tests;
}

void JUnitReport::addFailed(std::string_view name, int position, std::string_view reportBlock,
                            const CaseFacts& facts) {
    std::string testName;
    appendTestName(testName, name, position);
    beginCase(testName, facts);
    scratch += ">\n      <failure message=\"verification failed\" type=\"verification\">";
    appendXml(scratch, reportBlock, XmlPlace::content);
    scratch += "</failure>\n    </testcase>\n";
    writeBody(scratch);
    ++tests;
    ++failures;
}

void JUnitReport::addError(std::string_view message, std::string_view detail) {
    addErrorCase("script error", "script error", message, detail, {});
}

void JUnitReport::addTestError(std::string_view name, int position, std::string_view message,
                               std::string_view detail, const CaseFacts& facts) {
    std::string testName;
    appendTestName(testName, name, position);
    addErrorCase(testName, "test error", message, detail, facts);
}

void JUnitReport::addErrorCase(std::string_view testName, std::string_view type,
                               std::string_view message, std::string_view detail,
                               const CaseFacts& facts) {
    beginCase(testName, facts);
    scratch += ">\n      <error message=\"";
    appendXml(scratch, message, XmlPlace::attribute);
    scratch += "\" type=\"";
    scratch += type;
    scratch += "\">";
    appendXml(scratch, detail, XmlPlace::content);
    scratch += "</error>\n    </testcase>\n";
    writeBody(scratch);
    ++tests;
    ++errors;
}

void JUnitReport::writeBody(const std::string& text) {
    if (!body || std::fwrite(text.data(), 1, text.size(), body) != text.size()) file.writeFailed();
}

// The suite's counts stand in its opening tag, so its testcases wait in the
// body file until they are known, then follow it.
void JUnitReport::endSuite(double seconds) {
    if (!file.isOpen()) return;
    scratch = "  <testsuite name=\"";
    scratch += suiteName;
    scratch += "\" tests=\"";
    appendNumber(scratch, tests);
    scratch += "\" failures=\"";
    appendNumber(scratch, failures);
    scratch += "\" errors=\"";
    appendNumber(scratch, errors);
    scratch += "\" skipped=\"0\" time=\"";
    appendSeconds(scratch, seconds);
    scratch += "\">\n";
    file.write(scratch);
    if (body && inMemory) {
        if (std::fclose(body) != 0) file.writeFailed();
        body = nullptr;
        file.write(std::string_view(bodyMemory, bodySize));
        std::free(bodyMemory);
        bodyMemory = nullptr;
    }
    if (body) {
        std::rewind(body);
        char chunk[1 << 16];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, body)) > 0) {
            file.write(std::string_view(chunk, got));
        }
        std::fclose(body);
        body = nullptr;
    }
    file.write("  </testsuite>\n");
}

bool JUnitReport::close(std::string& reason) {
    if (!file.isOpen()) return true;
    file.write("</testsuites>\n");
    return file.commit(reason);
}

}  // namespace zorrun
