#include "JUnitReport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "XmlText.h"

namespace zor {

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

void appendTestName(std::string& out, std::string_view name, int position) {
    appendXml(out, name, XmlPlace::attribute);
    if (position < 0) return;
    out += ' ';
    appendNumber(out, position);
}

}  // namespace

// A report never closed leaves the former file as it was.
JUnitReport::~JUnitReport() {
    if (body) std::fclose(body);
    body = nullptr;
    if (inMemory) {
        if (file) std::fclose(file);
        std::free(memory);
        std::free(bodyMemory);
        return;
    }
    if (!file) return;
    std::fclose(file);
    unlink(draftPath.c_str());
}

// The draft gets the mode that creating the file itself would have given it.
bool JUnitReport::open(const std::string& path, std::string& reason) {
    finalPath = path;
    draftPath = path + ".XXXXXX";
    const int fd = mkstemp(draftPath.data());
    if (fd >= 0) {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
        file = fdopen(fd, "wb");
    }
    if (!file) {
        reason = std::strerror(errno);
        if (fd >= 0) {
            ::close(fd);
            unlink(draftPath.c_str());
        }
        return false;
    }
    writeFailed =
        std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n", file) < 0;
    return true;
}

bool JUnitReport::openInMemory() {
    inMemory = true;
    file = open_memstream(&memory, &memorySize);
    return file != nullptr;
}

bool JUnitReport::takeSuites(std::string& suites) {
    if (std::fflush(file) != 0) writeFailed = true;
    suites.assign(memory, memorySize);
    std::rewind(file);
    const bool written = !writeFailed;
    writeFailed = false;
    return written;
}

void JUnitReport::addSuites(std::string_view suites) {
    if (std::fwrite(suites.data(), 1, suites.size(), file) != suites.size()) writeFailed = true;
}

void JUnitReport::beginSuite(std::string_view script) {
    suiteName.clear();
    appendXml(suiteName, script, XmlPlace::attribute);
    tests = failures = errors = 0;
    if (!body) body = inMemory ? open_memstream(&bodyMemory, &bodySize) : std::tmpfile();
    if (!body) writeFailed = true;
}

void JUnitReport::beginCase(std::string_view name) {
    scratch = "    <testcase classname=\"";
    scratch += suiteName;
    scratch += "\" name=\"";
    scratch += name;
    scratch += '"';
}

void JUnitReport::addPassed(std::string_view name, int position) {
    std::string testName;
    appendTestName(testName, name, position);
    beginCase(testName);
    scratch += "/>\n";
    writeBody(scratch);
    ++tests;
}

void JUnitReport::addFailed(std::string_view name, int position, std::string_view reportBlock) {
    std::string testName;
    appendTestName(testName, name, position);
    beginCase(testName);
    scratch += ">\n      <failure message=\"verification failed\" type=\"verification\">";
    appendXml(scratch, reportBlock, XmlPlace::content);
    scratch += "</failure>\n    </testcase>\n";
    writeBody(scratch);
    ++tests;
    ++failures;
}

void JUnitReport::addError(std::string_view message, std::string_view detail) {
    addErrorCase("script error", "script error", message, detail);
}

void JUnitReport::addTestError(std::string_view name, int position, std::string_view message,
                               std::string_view detail) {
    std::string testName;
    appendTestName(testName, name, position);
    addErrorCase(testName, "test error", message, detail);
}

void JUnitReport::addErrorCase(std::string_view testName, std::string_view type,
                               std::string_view message, std::string_view detail) {
    beginCase(testName);
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
    if (!body || std::fwrite(text.data(), 1, text.size(), body) != text.size()) writeFailed = true;
}

// The suite's counts stand in its opening tag, so its testcases wait in the
// body file until they are known, then follow it.
void JUnitReport::endSuite(double seconds) {
    if (!file) return;
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
    if (std::fputs(scratch.c_str(), file) < 0) writeFailed = true;
    if (body && inMemory) {
        if (std::fclose(body) != 0) writeFailed = true;
        body = nullptr;
        if (std::fwrite(bodyMemory, 1, bodySize, file) != bodySize) writeFailed = true;
        std::free(bodyMemory);
        bodyMemory = nullptr;
    }
    if (body) {
        std::rewind(body);
        char chunk[1 << 16];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, body)) > 0) {
            if (std::fwrite(chunk, 1, got, file) != got) writeFailed = true;
        }
        std::fclose(body);
        body = nullptr;
    }
    if (std::fputs("  </testsuite>\n", file) < 0) writeFailed = true;
}

// The draft is on disk before it takes the report's name, so that no moment,
// not even a system crash, shows a partial report under that name.
bool JUnitReport::close(std::string& reason) {
    if (!file) return true;
    if (std::fputs("</testsuites>\n", file) < 0) writeFailed = true;
    if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) writeFailed = true;
    if (std::fclose(file) != 0) writeFailed = true;
    file = nullptr;
    if (!writeFailed && rename(draftPath.c_str(), finalPath.c_str()) == 0) return true;
    reason = writeFailed ? "a write failed" : std::strerror(errno);
    unlink(draftPath.c_str());
    return false;
}

}  // namespace zor
