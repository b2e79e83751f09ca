// The wire form of a server's verdicts (RemoteVerdicts.h): JSON objects, one
// per test, gathered into display blocks that start with verdictTag. A
// client that did not ask for verdicts never receives such a block; one that
// did tells a server without them by their absence.
//
// block: verdictTag, then {"tests": [VERDICT...]} and, in the last block
//   only, "end": END;
// VERDICT: {"name", "position", "line", "outcome": "passed" | "failed" |
//   "error", "reason", "entries": [{"expected", "actual"}...], "seconds",
//   "outFile"};
// END: {"returned", "code", "errLine", "errPos", "errText", "dropped"}.
// Keys that a reader does not know are passed over, so that a server may
// tell more; a known key of the wrong type or beyond its bound spoils the
// whole reply.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/RemoteVerdicts.h"

namespace remote {

// No display record starts with a letter.
inline constexpr std::string_view verdictTag{"ZORVRDT\0", 8};
// One block holds at most one verdict beyond this many bytes of them.
constexpr std::size_t verdictBatchBytes = 64 * 1024;
// What a block may hold after its tag: one verdict at its largest and the end.
constexpr std::size_t maxVerdictBlockBytes = 2 * maxVerdictBytes;

// Cuts the texts to their bounds, on a character's start, and replaces bytes
// that are not UTF-8, which JSON cannot carry, with U+FFFD.
void boundVerdict(RemoteVerdict& verdict);
void boundRunEnd(RemoteRunEnd& end);

// One verdict or end as JSON text, and back; a text that is not one within
// the bounds reads as none.
std::string encodeVerdict(const RemoteVerdict& verdict);
std::optional<RemoteVerdict> decodeVerdict(std::string_view text);
std::string encodeRunEnd(const RemoteRunEnd& end);
std::optional<RemoteRunEnd> decodeRunEnd(std::string_view text);

// The blocks that carry a run's verdicts, each starting with verdictTag.
std::vector<std::string> verdictBlocks(const std::vector<RemoteVerdict>& verdicts,
                                       const RemoteRunEnd& end);

bool isVerdictBlock(std::string_view bytes);

// Takes a reply's verdict blocks, with their tags, in order.
class VerdictReader {
public:
    // False when the block is malformed, beyond its bound, or follows the end.
    bool take(std::string_view block);
    bool sawAny() const { return any; }
    bool ended() const { return end.has_value(); }
    std::vector<RemoteVerdict>& getVerdicts() { return verdicts; }
    const RemoteRunEnd& getEnd() const { return *end; }

private:
    std::vector<RemoteVerdict> verdicts;
    std::optional<RemoteRunEnd> end;
    bool any = false;
};

}  // namespace remote
