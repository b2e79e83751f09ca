#include "FailedTests.h"

#include <algorithm>
#include <charconv>

namespace host {

namespace {

constexpr std::string_view formatLine =
    "# ZorRun last failed 2: SCRIPT<TAB>NAME<TAB>ORDINAL<TAB>LINE";
constexpr std::string_view firstFormatLine = "# ZorRun last failed 1: SCRIPT<TAB>NAME POSITION";

std::string escapePath(std::string_view path) {
    std::string out;
    for (const char c : path) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string unescapePath(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char code = text[++i];
        out += code == 't' ? '\t' : code == 'n' ? '\n' : code;
    }
    return out;
}

// A whole number and nothing else; -1 otherwise.
int readCount(std::string_view text) {
    int number = -1;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, number);
    return !text.empty() && failure == std::errc() && stop == end && number >= 0 ? number : -1;
}

// "NAME\tORDINAL\tLINE", or "" for a whole script.
bool readTest(std::string_view text, FailedTest& test) {
    if (text.empty()) return true;
    const std::size_t lineTab = text.rfind('\t');
    if (lineTab == std::string_view::npos || lineTab == 0) return false;
    const std::size_t ordinalTab = text.rfind('\t', lineTab - 1);
    if (ordinalTab == std::string_view::npos || ordinalTab == 0) return false;
    test.name = text.substr(0, ordinalTab);
    test.ordinal = readCount(text.substr(ordinalTab + 1, lineTab - ordinalTab - 1));
    test.line = readCount(text.substr(lineTab + 1));
    return test.ordinal >= 0 && test.line >= 0;
}

// "NAME POSITION".
void readFirstFormatTest(std::string_view text, FailedTest& test) {
    const std::size_t space = text.rfind(' ');
    const int position = space == std::string_view::npos ? -1 : readCount(text.substr(space + 1));
    if (position < 0) return;
    test.name = text.substr(0, space);
    test.position = position;
}

}  // namespace

bool readFailedTests(std::string_view text, std::vector<FailedTest>& tests) {
    tests.clear();
    std::size_t at = text.find('\n');
    const std::string_view first = text.substr(0, at);
    const bool firstFormat = first == firstFormatLine;
    if (at == std::string_view::npos || (first != formatLine && !firstFormat)) return false;
    std::string_view lastScript;
    std::string unescaped;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at + 1), text.size());
        const std::string_view line = text.substr(at + 1, end - at - 1);
        at = end;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) continue;
        FailedTest test;
        const std::string_view rest = line.substr(tab + 1);
        if (firstFormat)
            readFirstFormatTest(rest, test);
        else if (!readTest(rest, test))
            continue;
        // Lines come grouped by script: each name is unescaped once.
        if (line.substr(0, tab) != lastScript) unescaped = unescapePath(line.substr(0, tab));
        lastScript = line.substr(0, tab);
        test.script = unescaped;
        tests.push_back(std::move(test));
    }
    return true;
}

std::string failedTestsText(const std::vector<FailedTest>& tests) {
    std::string text = std::string(formatLine) + "\n";
    for (const FailedTest& test : tests) {
        text += escapePath(test.script) + "\t";
        if (!test.name.empty())
            text +=
                test.name + "\t" + std::to_string(test.ordinal) + "\t" + std::to_string(test.line);
        text += "\n";
    }
    return text;
}

}  // namespace host
