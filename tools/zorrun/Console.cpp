#include "Console.h"

#include <cstdio>

namespace zor {

namespace {

void put(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace

Console::Console(bool isQuiet, ProgressLine& progressLine)
    : quiet(isQuiet), progress(progressLine) {}

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

void Console::testLine(std::string_view name, int position, bool passed, std::string_view outFile) {
    if (quiet && passed) return;
    if (!headerPrinted) printHeader();
    progress.hide();
    put(stdout, name);
    if (position >= 0) std::printf(" %d", position);
    std::printf(": %s (", passed ? "ok" : "FAIL");
    put(stdout, outFile.empty() ? "no output file" : outFile);
    std::fputs(")\n", stdout);
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
