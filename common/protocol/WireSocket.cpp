#include "protocol/WireSocket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <utility>

namespace remote {

WireSocket::WireSocket(WireSocket&& other) noexcept : fd(std::exchange(other.fd, -1)) {}

WireSocket& WireSocket::operator=(WireSocket&& other) noexcept {
    if (this != &other) {
        close();
        fd = std::exchange(other.fd, -1);
    }
    return *this;
}

void WireSocket::close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::size_t WireSocket::send(const void* bytes, std::size_t count) {
    const char* next = static_cast<const char*>(bytes);
    std::size_t sent = 0;
    while (fd >= 0 && sent < count) {
        const ssize_t put = ::send(fd, next + sent, count - sent, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        sent += static_cast<std::size_t>(put);
    }
    return sent;
}

std::size_t WireSocket::sendString(std::string_view text) {
    // A length that no number field with its zero byte holds is not sent at all.
    if (text.size() >= static_cast<std::size_t>(maxPaddedNumber)) return 0;
    const std::size_t sent = sendNumber(static_cast<int>(text.size() + 1));
    if (sent != fieldSize) return sent;
    const std::size_t characters = send(text.data(), text.size());
    if (characters != text.size()) return sent + characters;
    const char zero = '\0';
    return sent + characters + send(&zero, 1);
}

bool WireSocket::receive(void* bytes, std::size_t count) {
    char* next = static_cast<char*>(bytes);
    std::size_t got = 0;
    while (fd >= 0 && got < count) {
        const ssize_t read = ::recv(fd, next + got, count - got, 0);
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) return false;
        got += static_cast<std::size_t>(read);
    }
    return got == count;
}

// Sockets that are not TCP (a socket pair) refuse the option, and need none.
void WireSocket::cork(bool on) {
    const int value = on ? 1 : 0;
    if (fd >= 0) setsockopt(fd, IPPROTO_TCP, TCP_CORK, &value, sizeof value);
}

bool WireSocket::receiveNumber(int& value) {
    WireField field;
    if (!receiveField(field)) return false;
    value = fieldNumber(field);
    return true;
}

bool WireSocket::skip(std::size_t count) {
    char sink[512];
    while (count > 0) {
        const std::size_t part = std::min(count, sizeof sink);
        if (!receive(sink, part)) return false;
        count -= part;
    }
    return true;
}

// An interrupted wait starts again: it only delays a notice.
bool WireSocket::waitReadable(int milliseconds) {
    pollfd waiting{fd, POLLIN, 0};
    int ready;
    while ((ready = poll(&waiting, 1, milliseconds)) < 0 && errno == EINTR) {
    }
    return ready != 0;
}

}  // namespace remote
