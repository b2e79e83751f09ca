// What ZorRun prints: per-test lines and the summary on stdout, errors on
// stderr, each starting in column 1 even while a progress line is shown. Each
// test's line is sent on whole, as soon as it is written or at the next flush.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ProgressLine.h"

namespace zorrun {

class Console {
public:
    // Quiet consoles print failed tests only (under their script's header).
    // With colour, verdict words and the summary are coloured.
    Console(bool quiet, ProgressLine& progress, bool color = false);

    void beginScript(std::string_view script);
    // "login 57 (order.txt:17): ok (out.txt)" or "... FAIL (out.txt)",
    // followed by details (whole lines) in the same write. A position below 0
    // (a remote run) or a line of 0 is not known and left out:
    // "login: ok (out.txt)".
    void testLine(std::string_view name, int position, bool passed, std::string_view outFile,
                  int line = 0, std::string_view details = {});
    // One line on stderr, as given.
    void error(std::string_view line);
    // passed colours the summary as a success.
    void summary(std::string_view text, bool passed = true);
    // Sends the lines written so far on, whatever stdout is.
    void flush();

    // Off a terminal, test lines wait to be sent on together at the next
    // flush, each whole, instead of in a write each: for runs whose flushes
    // come often anyway.
    void batchLines();

    // Text for one stream, kept while the console is held.
    struct HeldText {
        std::FILE* stream;
        std::string text;
    };
    // From now on the console keeps what it would print, in order, so that a
    // script that runs beside others can be printed whole when its turn comes.
    void hold() { holding = true; }
    std::vector<HeldText> takeHeld();
    // Writes held text out, each piece in one write; stdout's buffer must be
    // empty.
    static void writeHeld(const std::vector<HeldText>& held);

private:
    void printHeader();
    void put(std::FILE* stream, std::string_view text);
    void sendPending();

    bool quiet;
    ProgressLine& progress;
    bool color;
    bool flushEachLine;  // a terminal shows each line as it ends anyway
    std::string script;
    std::string lineText;
    bool headerPrinted = false;
    bool holding = false;
    bool batching = false;
    std::string pending;
    std::vector<HeldText> held;
};

// Whether stdout gets colour under --color MODE ("auto", "always", "never"):
// under auto only a terminal does, unless NO_COLOR is set and not empty or
// TERM is "dumb".
bool colorWanted(std::string_view mode);

}  // namespace zorrun
