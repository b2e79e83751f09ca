#include "Console.h"

#include <unistd.h>

#include <charconv>
#include <cstdio>

namespace zor {

namespace {

void put(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace

Console::Console(bool isQuiet, ProgressLine& progressLine)
    : quiet(isQuiet), progress(progressLine), flushEachLine(isatty(STDOUT_FILENO) != 1) {}

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
void Console::testLine(std::string_view name, int position, bool passed, std::string_view outFile) {
    if (quiet && passed) return;
    if (!headerPrinted) printHeader();
    progress.hide();
    lineText.assign(name);
    if (position >= 0) {
        char digits[12] = " ";
        lineText.append(digits, std::to_chars(digits + 1, digits + sizeof digits, position).ptr);
    }
    lineText += passed ? ": ok (" : ": FAIL (";
    lineText += outFile.empty() ? "no output file" : outFile;
    lineText += ")\n";
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

void Console::summary(std::string_view text) {
    progress.hide();
    put(stdout, text);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace zor
