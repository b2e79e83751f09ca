#include "Console.h"

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace zorrun {

namespace {

constexpr std::string_view green = "\033[32m";
constexpr std::string_view red = "\033[1;31m";
constexpr std::string_view plain = "\033[0m";

void put(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

void appendNumber(std::string& out, int number) {
    char digits[12];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

}  // namespace

bool colorWanted(std::string_view mode) {
    if (mode != "auto") return mode == "always";
    const char* noColor = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    if (noColor && *noColor) return false;
    if (term && std::string_view(term) == "dumb") return false;
    return isatty(STDOUT_FILENO) == 1;
}

Console::Console(bool isQuiet, ProgressLine& progressLine, bool withColor)
    : quiet(isQuiet),
      progress(progressLine),
      color(withColor),
      flushEachLine(isatty(STDOUT_FILENO) != 1) {}

void Console::beginScript(std::string_view name) {
    script = name;
    headerPrinted = false;
    if (!quiet) printHeader();
}

void Console::printHeader() {
    progress.hide();
    std::printf("== %s\n", script.c_str());
    headerPrinted = true;
}

// A line goes out in one piece, so that a reader of a pipe never sees half of
// it, and at once, so that it waits for no later test.
void Console::testLine(std::string_view name, int position, bool passed, std::string_view outFile,
                       int line, std::string_view details) {
    if (quiet && passed) return;
    if (!headerPrinted) printHeader();
    progress.hide();
    lineText.assign(name);
    if (position >= 0) {
        lineText += ' ';
        appendNumber(lineText, position);
    }
    if (line > 0) {
        lineText += " (";
        lineText += script;
        lineText += ':';
        appendNumber(lineText, line);
        lineText += ')';
    }
    lineText += ": ";
    if (color) lineText += passed ? green : red;
    lineText += passed ? "ok" : "FAIL";
    if (color) lineText += plain;
    lineText += " (";
    lineText += outFile.empty() ? "no output file" : outFile;
    lineText += ")\n";
    lineText += details;
    put(stdout, lineText);
    if (flushEachLine) std::fflush(stdout);
}

// stdout is flushed first, so that an error stands after the tests that ran
// before it when both streams go to one place.
void Console::error(std::string_view line) {
    progress.hide();
    std::fflush(stdout);
    put(stderr, line);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void Console::flush() {
    std::fflush(stdout);
}

void Console::summary(std::string_view text, bool passed) {
    progress.hide();
    if (color) put(stdout, passed ? green : red);
    put(stdout, text);
    if (color) put(stdout, plain);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace zorrun
