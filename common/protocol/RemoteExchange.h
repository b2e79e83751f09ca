// One exchange with a test server: the request that hands it a script, and
// the reply that brings back the output file, the display blocks of the
// device's screen and the error state.
//
// client to server: "TSTEXEC", a number 0 (1 asks for verdicts), the trace depth, the trace root,
//   the input file name, the script as counted bytes (n = 0: the server runs
//   the copy it keeps), the filter;
// server to client: the output file name, the output file as counted bytes,
//   display blocks as counted bytes up to one of length 0 or less, the error
//   line, the error position and, when both line and length are above 0, the
//   error text; a server that gives verdicts, when asked, sends them first
//   among the display blocks (protocol/VerdictCodec.h);
// client to server: "TSTSTOP".
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "display/DisplayList.h"
#include "protocol/RemoteVerdicts.h"
#include "protocol/ReplyFiles.h"
#include "protocol/ReplyNames.h"
#include "protocol/WireFields.h"
#include "protocol/WireSocket.h"

namespace remote {

// The receive limits: what is announced beyond them is received and dropped,
// so that the stream stays in step.
constexpr int outNameLimit = 264;  // bytes with the zero byte
constexpr int outNameChars = 258;  // so that the name and "_" fit 260 bytes
constexpr int errTextLimit = 264;  // bytes with the zero byte
constexpr std::size_t chunkSize = 500;
// A longer script has no length field with its zero byte.
constexpr std::size_t maxScriptLength = maxPaddedNumber;
// The display data of one exchange: beyond either limit the server counts as
// broken, so that one that sends blocks without end cannot exhaust memory.
// The bytes are those the blocks announce, kept or dropped.
constexpr int maxDisplayBlocks = 100'000;
constexpr long maxDisplayBytes = 64L * 1024 * 1024;
// How long a reply may keep the client silent before it says why it waits.
constexpr int slowReplyMs = 5000;

inline constexpr const char* brokenServerText = "TestServer broken ";
inline constexpr const char* scriptTooLongText = "script too long for the test server\n";
inline constexpr const char* outsideNameText =
    "the test server named an output file outside this folder: ";
inline constexpr const char* unnamedNameText =
    "the test server named an output file that the script does not name: ";

struct ExchangeRequest {
    int traceDepth = 0;
    std::string traceRoot;
    std::string inputName;
    std::string_view script;
    // False sends n = 0: the server runs the script it kept from before.
    bool sendScript = true;
    std::string filter;
    // The output file names this client writes; by default none.
    ReplyNameRule replyNames;
    // Sends 1 for 0: a server that gives verdicts adds them to the reply.
    bool wantVerdicts = false;
    // Called once when no reply has come slowReplyMs after the request went out.
    std::function<void()> slowReplyNotice;
};

struct ExchangeReply {
    // Empty when the server named none, or a name that cannot be a file here
    // (longer than outNameChars, or holding a control character), or when its
    // file did not arrive whole.
    std::string outFile;
    // The name the server gave, when it led out of the current folder or
    // named the script being sent (ReplyFiles::accept): it counts as none and
    // its file was received and dropped.
    std::string outsideName;
    // The name the server gave, when it stays beneath the current folder but
    // the request's rule does not admit it: it, too, counts as none.
    std::string unnamedName;
    // True when a file arrived whole and replaced the output file; false
    // when the server announced none (length 0), which leaves it alone.
    bool outFileReceived = false;
    int errLine = 0;
    int errPos = 0;
    std::string errText;
    // True when the exchange ran to its "TSTSTOP"; false when the request
    // could not go out, the reply broke off inside the output name, or its
    // display data went beyond the limits: each closes the connection and
    // ends as a broken server (errLine 1, brokenServerText). A script too
    // long to send is refused before anything goes out.
    bool finished = false;
    // Only when verdicts were asked for: true when the server sent them
    // whole, with their end; false when it sent none, as a server does that
    // gives none. Verdict blocks that are malformed, beyond their bound, or
    // without their end make the exchange broken, as display data beyond the
    // limits does, and leave this false.
    bool verdictsSent = false;
    std::vector<RemoteVerdict> verdicts;
    RemoteRunEnd runEnd;
};

// What the user is told of an output file name the reply named but that was
// refused, with the name; "" when none was.
std::string refusedNameNotice(const ExchangeReply& reply);

// Runs one exchange on the connection. Display blocks are decoded into the
// display list; the output file is received into the name followed by "_"
// and moved over the output file once it arrived whole, when the request's
// rule admits its name. A file length of 0
// leaves an existing output file alone. The request's input name is the
// script that the output file never replaces.
ExchangeReply runExchange(WireSocket& connection, const ExchangeRequest& request,
                          display::DisplayList& display, ReplyFiles& files);

}  // namespace remote
