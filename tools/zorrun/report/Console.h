// What ZorRun prints: per-test lines and the summary on stdout, errors on
// stderr, each starting in column 1 even while a progress line is shown. Each
// test's line is sent on whole, as soon as it is written or at the next flush.
// Names, reasons and error lines are shown terminal-safe (TerminalText.h):
// nothing a script or a test function chose can start a line of its own.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "Events.h"
#include "ProgressLine.h"

namespace zorrun {

class Console {
public:
    // Quiet consoles print failed tests only (under their script's header).
    // With colour, verdict words and the summary are coloured.
    Console(bool quiet, ProgressLine& progress, bool color = false);

    // header names the script's run ("a.txt (run 2/3)" under --repeat); the
    // places of its tests name the file.
    void beginScript(std::string_view header, std::string_view file);
    // "login 57 (order.txt:17): ok (out.txt)", "... FAIL (out.txt)" or
    // "... ERROR reason", followed by details (whole lines) in the same write.
    // A position below 0 (a remote run) or a line of 0 is not known and left
    // out: "login: ok (out.txt)".
    void testLine(std::string_view name, int position, Outcome outcome, std::string_view outFile,
                  int line = 0, std::string_view details = {}, std::string_view reason = {});
    // Lines that belong to the script begun last but to no test, such as
    // "    2 tests not run after the crash"; shown even when quiet.
    void note(std::string_view lines);
    // Lines shown only when not quiet, such as "    not selected".
    void aside(std::string_view lines) {
        if (!quiet) note(lines);
    }
    // One line on stderr, its control characters spelled out.
    void error(std::string_view line);
    // Whole lines before the summary, after every script's.
    void closing(std::string_view lines);
    // passed colours the summary as a success.
    void summary(std::string_view text, bool passed = true);
    // Sends the lines written so far on, whatever stdout is.
    void flush();

    // Off a terminal, test lines wait to be sent on together at the next
    // flush, each whole, instead of in a write each: for runs whose flushes
    // come often anyway.
    void batchLines();
    bool isQuiet() const { return quiet; }

private:
    void printHeader();
    void put(std::FILE* stream, std::string_view text);
    void sendPending();

    bool quiet;
    ProgressLine& progress;
    bool color;
    bool flushEachLine;  // a terminal shows each line as it ends anyway
    std::string script;
    std::string file;
    std::string lineText;
    bool headerPrinted = false;
    bool batching = false;
    std::string pending;
};

// Whether stdout gets colour under --color MODE ("auto", "always", "never"):
// under auto only a terminal does, unless NO_COLOR is set and not empty or
// TERM is "dumb".
bool colorWanted(std::string_view mode);

}  // namespace zorrun
