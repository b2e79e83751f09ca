// The verdicts of a run as a test server judged them, for clients that ask
// for them: each test the run reached, and how the run ended. Plain data, so
// that any client can map it onto its own reports.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace remote {

// The request's leading number that asks for verdicts; 0 asks for none.
constexpr int verdictsWish = 1;

enum class VerdictOutcome { passed, failed, error };

// One expected entry that did not hold: "status == 200" and what was logged
// ("404", "undefined", or the type first).
struct RemoteEntry {
    std::string expected;
    std::string actual;
};

struct RemoteVerdict {
    std::string name;
    int position = -1;  // as a filter names the test; -1 when not known
    int line = 0;       // where its name stands, from 1; 0 when not known
    VerdictOutcome outcome = VerdictOutcome::passed;
    // Why it failed or erred where its entries do not tell ("test function
    // crashed: SIGSEGV", "test function threw: WHAT"); "" otherwise.
    std::string reason;
    std::vector<RemoteEntry> entries;
    double seconds = 0;
    std::string outFile;  // the output file its report went to
};

struct RemoteRunEnd {
    // False when the run never came back from the library: its worker
    // crashed, exited or timed out (the reply's error says which).
    bool returned = false;
    int code = 0;  // the library's result for the run
    // The script error as the library gave it; the reply's error may be the
    // server's own instead.
    int errLine = 0;
    int errPos = 0;
    std::string errText;
    // Tests the run reached whose verdicts exceeded maxVerdictsBytes.
    int dropped = 0;
};

// Bounds of one verdict's texts, in UTF-8 bytes. A server cuts longer texts
// to them and keeps the first maxEntries entries; a client refuses more.
constexpr std::size_t maxNameBytes = 512;
constexpr std::size_t maxReasonBytes = 1024;
constexpr std::size_t maxEntryBytes = 512;
constexpr std::size_t maxEntries = 100;
constexpr std::size_t maxErrTextBytes = 4096;
// A verdict within the bounds above, every byte escaped, stays below this.
constexpr std::size_t maxVerdictBytes = 1024 * 1024;
// What a server holds and sends of one run's verdicts: the display data's
// limit on the client (maxDisplayBytes) must still leave room for the picture.
constexpr std::size_t maxVerdictsBytes = 32 * 1024 * 1024;

}  // namespace remote
