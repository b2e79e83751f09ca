// What ZorRun prints: per-test lines and the summary on stdout, errors on
// stderr, each starting in column 1 even while a progress line is shown. Each
// test's line is sent on whole, as soon as it is written or at the next flush.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ProgressLine.h"

namespace zor {

class Console {
public:
    // Quiet consoles print failed tests only (under their script's header).
    Console(bool quiet, ProgressLine& progress);

    void beginScript(std::string_view script);
    // "login 57: ok (out.txt)" or "login 57: FAIL (out.txt)"; a position
    // below 0 is not known (a remote run) and left out: "login: ok (out.txt)".
    void testLine(std::string_view name, int position, bool passed, std::string_view outFile);
    // One line on stderr, as given.
    void error(std::string_view line);
    void summary(std::string_view text);
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
    bool flushEachLine;  // a terminal shows each line as it ends anyway
    std::string script;
    std::string lineText;
    bool headerPrinted = false;
    bool holding = false;
    bool batching = false;
    std::string pending;
    std::vector<HeldText> held;
};

}  // namespace zor
