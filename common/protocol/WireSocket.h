// One end of a test server connection: a connected stream socket with the
// protocol's send and receive rules. Sending sends everything, retrying
// partial and interrupted sends, and stops at the first failure; receiving
// takes exactly the bytes asked for and stops at the first call that brings
// none. A peer that has gone never raises a signal: it is a failed send.
#pragma once

#include <cstddef>
#include <string_view>

#include "protocol/WireFields.h"

namespace remote {

class WireSocket {
public:
    WireSocket() = default;
    // Takes ownership of a connected socket.
    explicit WireSocket(int descriptor) : fd(descriptor) {}
    ~WireSocket() { close(); }
    WireSocket(WireSocket&& other) noexcept;
    WireSocket& operator=(WireSocket&& other) noexcept;
    WireSocket(const WireSocket&) = delete;
    WireSocket& operator=(const WireSocket&) = delete;

    bool isOpen() const { return fd >= 0; }
    int descriptor() const { return fd; }
    // Closes the socket and forgets it: descriptor numbers are reused at once.
    void close();

    // The number of bytes that went out: all of them, or fewer when a send failed.
    std::size_t send(const void* bytes, std::size_t count);
    std::size_t sendField(const WireField& field) { return send(field.data(), field.size()); }
    std::size_t sendWord(std::string_view word) { return sendField(commandWord(word)); }
    std::size_t sendNumber(int value) { return sendField(numberField(value)); }
    // A number field holding L, then the characters and a zero byte (L bytes).
    std::size_t sendString(std::string_view text);

    // False when the connection ended or failed before every byte arrived.
    bool receive(void* bytes, std::size_t count);
    bool receiveField(WireField& field) { return receive(field.data(), field.size()); }
    // A whole number field, read as fieldNumber reads it.
    bool receiveNumber(int& value);
    // Receives and drops bytes, so that the stream stays in step.
    bool skip(std::size_t count);
    // Whether bytes, or the end of the stream, arrive within the time.
    bool waitReadable(int milliseconds);

    // While corked, what is sent waits to fill whole packets; uncorking sends
    // the rest at once. A request or a reply goes out corked, so that its
    // many small fields cost the peer few wake-ups.
    void cork(bool on);

private:
    int fd = -1;
};

// Corks the socket for the life of the scope, whichever way it is left.
class CorkScope {
public:
    explicit CorkScope(WireSocket& corked) : socket(corked) { socket.cork(true); }
    ~CorkScope() { socket.cork(false); }
    CorkScope(const CorkScope&) = delete;
    CorkScope& operator=(const CorkScope&) = delete;

private:
    WireSocket& socket;
};

}  // namespace remote
