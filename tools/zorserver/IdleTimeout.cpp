#include "IdleTimeout.h"

#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <algorithm>
#include <cerrno>

namespace zorserver {

namespace {

using Clock = std::chrono::steady_clock;

std::string secondsText(int count) {
    return std::to_string(count) + " s";
}

// Bytes of the reply still waiting for the client to read them.
int unsentBytes(int fd) {
    int unsent = 0;
    return ioctl(fd, SIOCOUTQ, &unsent) == 0 ? unsent : 0;
}

}  // namespace

void limitTransfers(int fd, int seconds) {
    const timeval limit{seconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

bool waitForBytes(int fd, int seconds) {
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
    pollfd waiting{fd, POLLIN, 0};
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int ready = poll(&waiting, 1, static_cast<int>(std::max<long>(left.count(), 0)));
        if (ready < 0 && errno == EINTR) continue;
        return ready != 0;
    }
}

// Only a time-out fails a transfer while the client is still there, and a
// time-out takes its full length (less a little for the kernel's clock).
std::string whyTransferFailed(int fd, int seconds, Clock::duration elapsed) {
    pollfd state{fd, POLLIN | POLLRDHUP, 0};
    poll(&state, 1, 0);
    const auto shortest = std::chrono::milliseconds(seconds * 900);
    if ((state.revents & (POLLHUP | POLLERR)) || elapsed < shortest) return "";
    if (unsentBytes(fd) > 0) return "reply not read for " + secondsText(seconds);
    if (state.revents & POLLRDHUP) return "";
    return "request stalled for " + secondsText(seconds);
}

}  // namespace zorserver
