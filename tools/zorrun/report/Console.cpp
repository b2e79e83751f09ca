#include "Console.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "TerminalText.h"

namespace zorrun {

namespace {

constexpr std::string_view green = "\033[32m";
constexpr std::string_view red = "\033[1;31m";
constexpr std::string_view plain = "\033[0m";

// Lines a batching console keeps before it sends them on by itself.
constexpr std::size_t batchBytes = 1 << 16;

void writeWhole(int descriptor, std::string_view text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t wrote = ::write(descriptor, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) break;
        done += static_cast<std::size_t>(wrote);
    }
}

void appendNumber(std::string& out, int number) {
    char digits[12];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

}  // namespace

void Console::put(std::FILE* stream, std::string_view text) {
    if (batching && stream == stdout) {
        pending += text;
        if (pending.size() >= batchBytes) sendPending();
    } else {
        std::fwrite(text.data(), 1, text.size(), stream);
    }
}

void Console::batchLines() {
    batching = true;
    flushEachLine = false;
}

// Whole lines in one write, after whatever stdout's own buffer holds.
void Console::sendPending() {
    std::fflush(stdout);
    writeWhole(STDOUT_FILENO, pending);
    pending.clear();
}

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

void Console::beginScript(std::string_view header, std::string_view scriptFile) {
    script = terminalText(header);
    file = terminalText(scriptFile);
    headerPrinted = false;
    if (!quiet) printHeader();
}

void Console::printHeader() {
    progress.hide();
    put(stdout, "== " + script + "\n");
    headerPrinted = true;
}

// A line goes out in one piece, so that a reader of a pipe never sees half of
// it, and at once, so that it waits for no later test.
void Console::testLine(std::string_view name, int position, Outcome outcome,
                       std::string_view outFile, int line, std::string_view details,
                       std::string_view reason) {
    const bool passed = outcome == Outcome::passed;
    if (quiet && passed) return;
    if (!headerPrinted) printHeader();
    progress.hide();
    lineText.clear();
    appendTerminalText(lineText, name);
    if (position >= 0) {
        lineText += ' ';
        appendNumber(lineText, position);
    }
    if (line > 0) {
        lineText += " (";
        lineText += file;
        lineText += ':';
        appendNumber(lineText, line);
        lineText += ')';
    }
    lineText += ": ";
    if (color) lineText += passed ? green : red;
    lineText += passed ? "ok" : outcome == Outcome::failed ? "FAIL" : "ERROR";
    if (color) lineText += plain;
    if (outcome == Outcome::error) {
        lineText += ' ';
        appendTerminalText(lineText, reason);
    } else {
        lineText += " (";
        appendTerminalText(lineText, outFile.empty() ? "no output file" : outFile);
        lineText += ')';
    }
    lineText += '\n';
    lineText += details;
    put(stdout, lineText);
    if (flushEachLine) std::fflush(stdout);
}

void Console::note(std::string_view lines) {
    if (!headerPrinted) printHeader();
    progress.hide();
    put(stdout, lines);
    if (flushEachLine) std::fflush(stdout);
}

// stdout is flushed first, so that an error stands after the tests that ran
// before it when both streams go to one place.
void Console::error(std::string_view line) {
    progress.hide();
    flush();
    put(stderr, terminalText(line) + '\n');
    std::fflush(stderr);
}

void Console::flush() {
    if (!pending.empty()) sendPending();
    std::fflush(stdout);
}

void Console::closing(std::string_view lines) {
    progress.hide();
    put(stdout, lines);
}

void Console::summary(std::string_view text, bool passed) {
    progress.hide();
    flush();
    if (color) put(stdout, passed ? green : red);
    put(stdout, text);
    if (color) put(stdout, plain);
    put(stdout, "\n");
    flush();
}

}  // namespace zorrun
