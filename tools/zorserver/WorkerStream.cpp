#include "WorkerStream.h"

#include "protocol/VerdictCodec.h"

namespace zorserver {

namespace {

std::size_t boundOf(FrameKind kind) {
    return frameHeaderSize +
           (kind == FrameKind::result ? maxWorkerMessage : remote::maxVerdictBytes);
}

}  // namespace

WorkerStream::State WorkerStream::feed(std::string_view bytes) {
    if (current != State::reading) return current;
    pending.append(bytes);
    std::size_t at = 0;
    FrameKind kind{};
    std::size_t length = 0;
    while (current == State::reading &&
           frameHeader(std::string_view(pending).substr(at), kind, length)) {
        if (length < frameHeaderSize || length > boundOf(kind)) return current = State::damaged;
        if (pending.size() - at < length) break;
        const std::string_view frame = std::string_view(pending).substr(at, length);
        if (kind == FrameKind::result) {
            resultMessage = frame;
            current = State::done;
        } else if (!take(kind, frame.substr(frameHeaderSize))) {
            current = State::damaged;
        }
        at += length;
    }
    // Bytes that start no frame, or follow the result, are no message's.
    if (current == State::reading && pending.size() - at >= frameHeaderSize &&
        !frameHeader(std::string_view(pending).substr(at), kind, length))
        current = State::damaged;
    if (current == State::done && at < pending.size()) current = State::damaged;
    pending.erase(0, at);
    return current;
}

bool WorkerStream::take(FrameKind kind, std::string_view body) {
    if (kind == FrameKind::runEnd) {
        end = remote::decodeRunEnd(body);
        return end.has_value();
    }
    if (kind == FrameKind::judged) {
        runningTest.reset();
        return keep(body);
    }
    runningTest = remote::decodeVerdict(body);
    runningStart = Clock::now();
    return runningTest.has_value();
}

// Past the bound the verdicts are still checked, and counted instead of kept.
bool WorkerStream::keep(std::string_view body) {
    std::optional<remote::RemoteVerdict> verdict = remote::decodeVerdict(body);
    if (!verdict) return false;
    verdictBytes += body.size();
    if (verdictBytes > remote::maxVerdictsBytes) {
        ++droppedCount;
        return true;
    }
    verdicts.push_back(std::move(*verdict));
    return true;
}

}  // namespace zorserver
