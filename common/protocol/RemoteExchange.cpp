#include "protocol/RemoteExchange.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "protocol/VerdictCodec.h"

namespace remote {

namespace {

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// A name that the server may send but that names no file here counts as none.
std::string acceptedName(std::string_view name) {
    if (name.empty() || name.size() > outNameChars || std::ranges::any_of(name, isControl))
        return std::string();
    return std::string(name);
}

// The characters before the first zero byte, at most limit of them.
std::string_view terminated(const char* bytes, std::size_t limit) {
    return std::string_view(bytes, strnlen(bytes, limit));
}

class Exchange {
public:
    Exchange(WireSocket& connection, display::DisplayList& displayList, ReplyFiles& replyFiles)
        : socket(connection), display(displayList), files(replyFiles) {}

    ExchangeReply run(const ExchangeRequest& request);

private:
    bool sendRequest(const ExchangeRequest& request);
    bool sendScript(const ExchangeRequest& request);
    void awaitReply(const ExchangeRequest& request);
    bool receiveOutName(const ExchangeRequest& request);
    void admitOutName(const ExchangeRequest& request);
    void receiveOutFile();
    bool receiveFileBytes(int length);
    bool receiveBlocks();
    bool receiveVerdictBlock(const display::BlockBuffer& start, int kept, int length);
    bool takeVerdicts();
    bool overrun();
    void receiveError();
    void broken();
    ExchangeReply brokenOff();
    void finish(bool inStep);

    WireSocket& socket;
    display::DisplayList& display;
    ReplyFiles& files;
    ExchangeReply reply;
    bool wantVerdicts = false;
    VerdictReader verdicts;
    bool fileAnnounced = false;
    bool fileCreated = false;
    bool fileWhole = false;
};

ExchangeReply Exchange::run(const ExchangeRequest& request) {
    if (request.sendScript && request.script.size() > maxScriptLength) {
        reply.errText = scriptTooLongText;
        return reply;
    }
    wantVerdicts = request.wantVerdicts;
    if (!sendRequest(request)) return brokenOff();
    awaitReply(request);
    if (!receiveOutName(request)) return brokenOff();
    receiveOutFile();
    const bool inStep = receiveBlocks();
    if (inStep) receiveError();
    finish(inStep);
    return reply;
}

// The leading number is not counted: only what follows it must go out whole.
bool Exchange::sendRequest(const ExchangeRequest& request) {
    CorkScope corked(socket);
    std::size_t sent = socket.sendWord(execWord);
    socket.sendNumber(request.wantVerdicts ? verdictsWish : 0);
    sent += socket.sendNumber(request.traceDepth);
    sent += socket.sendString(request.traceRoot);
    sent += socket.sendString(request.inputName);
    const std::size_t expected =
        4 * fieldSize + request.traceRoot.size() + 1 + request.inputName.size() + 1;
    if (sent != expected || !sendScript(request)) return false;
    return socket.sendString(request.filter) == fieldSize + request.filter.size() + 1;
}

bool Exchange::sendScript(const ExchangeRequest& request) {
    const std::string_view script = request.sendScript ? request.script : std::string_view();
    if (socket.sendNumber(static_cast<int>(script.size())) != fieldSize) return false;
    for (std::size_t at = 0; at < script.size(); at += chunkSize) {
        const std::size_t part = std::min(chunkSize, script.size() - at);
        if (socket.send(script.data() + at, part) != part) return false;
    }
    return true;
}

void Exchange::awaitReply(const ExchangeRequest& request) {
    if (request.slowReplyNotice && !socket.waitReadable(slowReplyMs)) request.slowReplyNotice();
}

// False aborts the exchange: an announced name that did not arrive whole.
bool Exchange::receiveOutName(const ExchangeRequest& request) {
    int length = 0;
    if (!socket.receiveNumber(length) || length <= 0) return true;
    char name[outNameLimit];
    const int kept = std::min(length, outNameLimit);
    if (!socket.receive(name, kept) || !socket.skip(length - kept)) return false;
    if (length <= outNameLimit) reply.outFile = acceptedName(terminated(name, kept));
    if (!reply.outFile.empty()) admitOutName(request);
    return true;
}

// A name that could be no file beneath this folder is told as outside it,
// whatever the script names; the rule is asked before the disk is touched.
void Exchange::admitOutName(const ExchangeRequest& request) {
    if (normalReplyName(reply.outFile).empty())
        reply.outsideName = std::exchange(reply.outFile, std::string());
    else if (!request.replyNames.admits(reply.outFile))
        reply.unnamedName = std::exchange(reply.outFile, std::string());
    else if (!files.accept(reply.outFile, request.inputName))
        reply.outsideName = std::exchange(reply.outFile, std::string());
}

// Without a name, or when the file cannot be made, the bytes are still taken.
// When even the length does not arrive, a file may have been on its way: the
// run names none rather than the former file.
void Exchange::receiveOutFile() {
    int length = 0;
    if (!socket.receiveNumber(length)) return reply.outFile.clear();
    if (length <= 0) return;
    fileAnnounced = true;
    fileCreated = !reply.outFile.empty() && files.create();
    fileWhole = receiveFileBytes(length);
    if (fileCreated) fileWhole = files.close() && fileWhole;
}

// True when every byte arrived and went into the file.
bool Exchange::receiveFileBytes(int length) {
    char chunk[chunkSize];
    bool written = true;
    for (int left = length; left > 0;) {
        const std::size_t part = std::min(chunkSize, static_cast<std::size_t>(left));
        if (!socket.receive(chunk, part)) return false;
        if (fileCreated) written = files.write(chunk, part) && written;
        left -= static_cast<int>(part);
    }
    return written;
}

// A block is decoded from its first bytes that fit the buffer; one that did
// not arrive whole, or of which nothing decodes, ends the blocks. False when
// the blocks went beyond the limits, or their verdicts were not sound: the
// connection is closed then, since the rest of the reply is not waited for.
bool Exchange::receiveBlocks() {
    display::BlockBuffer block{};
    int length = 0;
    int blocks = 0;
    long bytes = 0;
    while (socket.receiveNumber(length) && length > 0) {
        bytes += length;
        if (++blocks > maxDisplayBlocks || bytes > maxDisplayBytes) return overrun();
        const int kept = std::min(length, display::blockSize);
        // The tag comes first, so that a verdict block beyond its bound is
        // refused before its bytes are waited for.
        const int head = wantVerdicts ? std::min(kept, static_cast<int>(verdictTag.size())) : kept;
        bool whole = socket.receive(block.data(), head);
        if (whole && isVerdictBlock(std::string_view(block.data(), head))) {
            if (!receiveVerdictBlock(block, head, length)) return overrun();
            continue;
        }
        whole =
            whole && socket.receive(block.data() + head, kept - head) && socket.skip(length - kept);
        if (display.decodeBlock(block, whole ? kept : 0) <= 0) break;
    }
    return !wantVerdicts || takeVerdicts();
}

bool Exchange::receiveVerdictBlock(const display::BlockBuffer& start, int kept, int length) {
    const auto size = static_cast<std::size_t>(length);
    if (size - verdictTag.size() > maxVerdictBlockBytes) return false;
    std::string bytes(start.data(), static_cast<std::size_t>(kept));
    bytes.resize(size);
    return socket.receive(bytes.data() + kept, size - kept) && verdicts.take(bytes);
}

// Verdicts that began must have come to their end.
bool Exchange::takeVerdicts() {
    if (!verdicts.sawAny()) return true;
    if (!verdicts.ended()) return overrun();
    reply.verdictsSent = true;
    reply.verdicts = std::move(verdicts.getVerdicts());
    reply.runEnd = verdicts.getEnd();
    return true;
}

bool Exchange::overrun() {
    socket.close();
    broken();
    return false;
}

void Exchange::receiveError() {
    int line = 0;
    int position = 0;
    int length = 0;
    if (!socket.receiveNumber(line) || !socket.receiveNumber(position) ||
        !socket.receiveNumber(length))
        return broken();
    reply.errLine = line;
    reply.errPos = position;
    if (line <= 0 || length <= 0) return;
    char text[errTextLimit];
    const int kept = std::min(length, errTextLimit);
    if (!socket.receive(text, kept) || !socket.skip(length - kept)) return broken();
    reply.errText = terminated(text, std::min(kept, errTextLimit - 1));
}

void Exchange::broken() {
    reply.errLine = 1;
    reply.errPos = 0;
    reply.errText = brokenServerText;
}

// The request did not go out whole, or the reply broke off inside the output
// name: nothing after it can be read in step, so the connection is closed and
// the run ends as a broken server, not as a script without an output file.
ExchangeReply Exchange::brokenOff() {
    socket.close();
    broken();
    return reply;
}

// A file that was announced but is not here whole never replaces the output
// file, and the run then names none: neither a cut file nor the former one is
// its result.
void Exchange::finish(bool inStep) {
    if (inStep) {
        socket.sendWord(stopWord);
        reply.finished = true;
    }
    if (!fileAnnounced) return;
    reply.outFileReceived = fileCreated && fileWhole && files.replace();
    if (reply.outFileReceived) return;
    if (fileCreated) files.remove();
    reply.outFile.clear();
}

}  // namespace

std::string refusedNameNotice(const ExchangeReply& reply) {
    if (!reply.outsideName.empty()) return outsideNameText + reply.outsideName;
    if (!reply.unnamedName.empty()) return unnamedNameText + reply.unnamedName;
    return std::string();
}

ExchangeReply runExchange(WireSocket& connection, const ExchangeRequest& request,
                          display::DisplayList& display, ReplyFiles& files) {
    return Exchange(connection, display, files).run(request);
}

}  // namespace remote
