#include "VerdictChannel.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <new>
#include <string_view>

namespace zorrun {

namespace {

// A batch of small messages fits the ring; a large one (a failed test's
// report block of up to 1 MiB) goes through it in parts. Every page of the
// ring is in use after a few thousand tests, so memory stays flat in N.
constexpr std::size_t ringSize = 256u << 10;
// A failed test's report block of up to 1 MiB and its captured output of as
// much travel in one message.
constexpr std::size_t largestMessage = (2u << 20) + (64u << 10);
constexpr std::size_t nameSize = 500;
// An exception's message is cut to this many bytes.
constexpr std::size_t largestThrowText = 4096;
// The supervisor is woken after this many messages or bytes, and at once for
// a failed test or the end of the script.
constexpr int batchMessages = 256;
constexpr std::size_t batchBytes = 64u << 10;

enum MessageKind : char { verdictMessage = 'V', outputKind = 'O', endKind = 'E' };
// The length, the kind, the sequence number and the sender's process id.
constexpr std::size_t headerSize = 13;

void putNumber(std::string& out, std::int32_t number) {
    char bytes[4];
    std::memcpy(bytes, &number, sizeof bytes);
    out.append(bytes, sizeof bytes);
}

void putSeconds(std::string& out, double seconds) {
    char bytes[sizeof seconds];
    std::memcpy(bytes, &seconds, sizeof bytes);
    out.append(bytes, sizeof bytes);
}

void putText(std::string& out, std::string_view text) {
    putNumber(out, static_cast<std::int32_t>(text.size()));
    out.append(text);
}

// Takes a message apart; any field that does not fit makes it damaged.
class MessageReader {
public:
    explicit MessageReader(std::string_view message) : rest(message) {}

    std::int32_t number() {
        std::int32_t value = 0;
        if (rest.size() < sizeof value) return damage();
        std::memcpy(&value, rest.data(), sizeof value);
        rest.remove_prefix(sizeof value);
        return value;
    }

    double seconds() {
        double value = 0;
        if (rest.size() < sizeof value) {
            damage();
            return 0;
        }
        std::memcpy(&value, rest.data(), sizeof value);
        rest.remove_prefix(sizeof value);
        return value;
    }

    std::string_view text() {
        const std::int32_t size = number();
        if (size < 0 || static_cast<std::size_t>(size) > rest.size()) {
            damage();
            return {};
        }
        const std::string_view value = rest.substr(0, static_cast<std::size_t>(size));
        rest.remove_prefix(value.size());
        return value;
    }

    bool isWhole() const { return intact && rest.empty(); }

private:
    std::int32_t damage() {
        intact = false;
        rest = {};
        return 0;
    }

    std::string_view rest;
    bool intact = true;
};

}  // namespace

struct VerdictChannel::Shared {
    std::atomic<std::uint64_t> head;  // bytes the worker has published
    std::atomic<std::uint64_t> tail;  // bytes the supervisor has taken
    std::atomic<int> testRunning;
    int testPosition;
    char testName[nameSize];
    char ring[ringSize];
};

VerdictChannel::VerdictChannel() {
    void* memory =
        mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory != MAP_FAILED)
        shared = new (memory) Shared;  // the ring's pages stay untouched until used
}

VerdictChannel::~VerdictChannel() {
    closePipe();
    if (shared) munmap(shared, sizeof(Shared));
}

bool VerdictChannel::prepare(std::string& reason) {
    closePipe();
    int ends[2];
    if (!shared || pipe2(ends, O_CLOEXEC) != 0) {
        reason = shared ? std::strerror(errno) : "no shared memory";
        return false;
    }
    wakeRead = ends[0];
    wakeWrite = ends[1];
    // A worker never waits for the supervisor to read its wake-ups.
    fcntl(wakeWrite, F_SETFL, O_NONBLOCK);
    shared->head.store(0);
    shared->tail.store(0);
    shared->testRunning.store(0);
    shared->testPosition = -1;
    shared->testName[0] = '\0';
    scriptEnded = false;
    expected = 0;
    taken = 0;
    nextSequence = 0;
    foreign = false;
    endCode = 0;
    published = -1;
    return true;
}

void VerdictChannel::becomeWorker() {
    closeEnd(wakeRead);
    unannounced = 0;
    unannouncedBytes = 0;
    sent = 0;
    verdictsSent = 0;
}

void VerdictChannel::becomeSupervisor(pid_t workerId) {
    closeEnd(wakeWrite);
    worker = workerId;
}

void VerdictChannel::closePipe() {
    closeEnd(wakeRead);
    closeEnd(wakeWrite);
}

void VerdictChannel::closeEnd(int& end) {
    if (end >= 0) close(end);
    end = -1;
}

// A name the library gives is shorter than the field; the bound only guards.
void VerdictChannel::testStarts(const char* name, int position) {
    const std::size_t length = strnlen(name, nameSize - 1);
    std::memcpy(shared->testName, name, length);
    shared->testName[length] = '\0';
    shared->testPosition = position;
    shared->testRunning.store(1, std::memory_order_release);
}

void VerdictChannel::testEnded() {
    shared->testRunning.store(0, std::memory_order_release);
}

// The sender is asked for each message, not remembered: the child of a fork
// sends under its own id.
void VerdictChannel::beginMessage(char kind) {
    message.assign(headerSize, kind);
    const std::int32_t sequence = sent++;
    const auto sender = static_cast<std::int32_t>(getpid());
    std::memcpy(message.data() + 5, &sequence, sizeof sequence);
    std::memcpy(message.data() + 9, &sender, sizeof sender);
}

void VerdictChannel::verdict(const Verdict& verdict) {
    beginMessage(verdictMessage);
    putNumber(message, verdict.position);
    putNumber(message, verdict.pass);
    putNumber(message, verdict.passed ? 1 : 0);
    putNumber(message, verdict.line);
    putNumber(message, verdict.unknownFunction ? 1 : 0);
    putSeconds(message, verdict.seconds);
    putSeconds(message, verdict.at);
    putText(message, verdict.name);
    putText(message, verdict.outFile);
    putText(message, verdict.report);
    putText(message, verdict.writeError);
    putText(message, verdict.threw.substr(0, largestThrowText));
    putText(message, verdict.failedEntries);
    putNumber(message, verdict.moreEntries);
    putText(message, verdict.output);
    ++verdictsSent;
    publish();
    if (!verdict.passed || unannounced >= batchMessages || unannouncedBytes >= batchBytes) wake();
}

void VerdictChannel::outsideOutput(std::string_view text) {
    if (text.empty()) return;
    beginMessage(outputKind);
    putText(message, text);
    publish();
}

void VerdictChannel::parseEnded(const ParseEnd& end) {
    beginMessage(endKind);
    putNumber(message, verdictsSent);
    putNumber(message, end.code);
    putNumber(message, end.errLine);
    putNumber(message, end.errPos);
    putText(message, end.errString);
    putNumber(message, end.errColumn);
    putText(message, end.errToken);
    putText(message, end.lastOutFile);
    putText(message, end.writeError);
    publish();
    wake();
}

// The length goes in front once the message is complete. A message larger
// than the room in the ring goes in parts, each published when it is in.
void VerdictChannel::publish() {
    const std::int32_t size = static_cast<std::int32_t>(message.size());
    std::memcpy(message.data(), &size, sizeof size);
    for (std::size_t done = 0; done < message.size();) {
        const std::uint64_t head = shared->head.load(std::memory_order_relaxed);
        const std::size_t room = ringSize - (head - shared->tail.load(std::memory_order_acquire));
        if (room == 0) {
            waitForRoom();
            continue;
        }
        const std::size_t part = std::min(room, message.size() - done);
        copyIn(head, message.data() + done, part);
        shared->head.store(head + part, std::memory_order_release);
        done += part;
    }
    ++unannounced;
    unannouncedBytes += message.size();
}

// Only a supervisor far behind (a slow terminal) or a large message lets the
// ring fill up.
void VerdictChannel::waitForRoom() {
    wake();
    const timespec pause{0, 100000};
    nanosleep(&pause, nullptr);
}

// A full pipe already holds a wake-up, so a write that would block is not needed.
void VerdictChannel::wake() {
    const char byte = 'v';
    if (write(wakeWrite, &byte, 1) < 0) {
    }
    unannounced = 0;
    unannouncedBytes = 0;
}

void VerdictChannel::copyIn(std::uint64_t at, const char* bytes, std::size_t size) {
    const std::size_t start = at % ringSize;
    const std::size_t first = size < ringSize - start ? size : ringSize - start;
    std::memcpy(shared->ring + start, bytes, first);
    std::memcpy(shared->ring, bytes + first, size - first);
}

void VerdictChannel::copyOut(std::uint64_t at, char* bytes, std::size_t size) const {
    const std::size_t start = at % ringSize;
    const std::size_t first = size < ringSize - start ? size : ringSize - start;
    std::memcpy(bytes, shared->ring + start, first);
    std::memcpy(bytes + first, shared->ring, size - first);
}

bool VerdictChannel::takeWakeUps() {
    char bytes[256];
    const ssize_t got = read(wakeRead, bytes, sizeof bytes);
    if (got == 0) closeEnd(wakeRead);
    return got != 0;
}

// Each message is copied out of the shared memory before it is read, so a
// worker that writes over it cannot change it while it is checked. A message
// may arrive in parts; one that a dead worker left unfinished never arrives.
// The supervisor keeps its own count of what it took: a ring whose counts
// went back or jumped was written over.
bool VerdictChannel::receive(VerdictListener& listener) {
    const std::uint64_t head = shared->head.load(std::memory_order_acquire);
    if (shared->tail.load(std::memory_order_relaxed) != taken || head < taken ||
        head - taken > ringSize)
        return false;
    while (taken < head) {
        if (expected == 0) {
            std::int32_t size = 0;
            if (head - taken < sizeof size) break;
            copyOut(taken, reinterpret_cast<char*>(&size), sizeof size);
            if (size < static_cast<std::int32_t>(headerSize) ||
                static_cast<std::size_t>(size) > largestMessage)
                return false;
            expected = static_cast<std::size_t>(size);
            message.clear();
        }
        const std::size_t part = std::min<std::uint64_t>(head - taken, expected - message.size());
        const std::size_t had = message.size();
        message.resize(had + part);
        copyOut(taken, message.data() + had, part);
        taken += part;
        shared->tail.store(taken, std::memory_order_release);
        if (message.size() < expected) break;
        expected = 0;
        if (!dispatch(listener)) return false;
    }
    return true;
}

// A message from another process is set aside whole, whatever it says; one
// of the worker's own out of sequence means some were lost or written over.
bool VerdictChannel::dispatch(VerdictListener& listener) {
    std::int32_t sequence = 0, sender = 0;
    std::memcpy(&sequence, message.data() + 5, sizeof sequence);
    std::memcpy(&sender, message.data() + 9, sizeof sender);
    if (sender != worker) {
        foreign = true;
        return true;
    }
    if (sequence != nextSequence++) return false;
    MessageReader reader(std::string_view(message).substr(headerSize));
    if (message[4] == endKind)
        return dispatchEnd(std::string_view(message).substr(headerSize), listener);
    if (message[4] == outputKind) {
        const std::string_view text = reader.text();
        if (!reader.isWhole()) return false;
        listener.outsideOutput(text);
        return true;
    }
    if (message[4] != verdictMessage) return false;
    Verdict verdict;
    verdict.position = reader.number();
    verdict.pass = reader.number();
    verdict.passed = reader.number() != 0;
    verdict.line = reader.number();
    verdict.unknownFunction = reader.number() != 0;
    verdict.seconds = reader.seconds();
    verdict.at = reader.seconds();
    verdict.name = reader.text();
    verdict.outFile = reader.text();
    verdict.report = reader.text();
    verdict.writeError = reader.text();
    verdict.threw = reader.text();
    verdict.failedEntries = reader.text();
    verdict.moreEntries = reader.number();
    verdict.output = reader.text();
    if (!reader.isWhole()) return false;
    listener.verdict(verdict);
    return true;
}

bool VerdictChannel::dispatchEnd(std::string_view body, VerdictListener& listener) {
    MessageReader reader(body);
    published = reader.number();
    ParseEnd end;
    end.code = reader.number();
    end.errLine = reader.number();
    end.errPos = reader.number();
    end.errString = reader.text();
    end.errColumn = reader.number();
    end.errToken = reader.text();
    end.lastOutFile = reader.text();
    end.writeError = reader.text();
    if (!reader.isWhole()) return false;
    endCode = end.code;
    scriptEnded = true;
    listener.parseEnded(end);
    return true;
}

bool VerdictChannel::runningTest(std::string& name, int& position) const {
    if (shared->testRunning.load(std::memory_order_acquire) == 0) return false;
    name.assign(shared->testName, strnlen(shared->testName, nameSize - 1));
    position = shared->testPosition;
    return true;
}

}  // namespace zorrun
