// How long a client may keep the server waiting: for its next request, for
// the rest of a request, or to take the reply. The run in between is not
// bounded by it, and while one client holds the server no other is served,
// so the time-out is what frees the server from an idle or stalled client.
#pragma once

#include <chrono>
#include <string>

namespace zorserver {

// Sends and receives on the socket that make no progress for that long fail.
void limitTransfers(int fd, int seconds);

// Whether bytes, or the end of the connection, arrive within that time.
bool waitForBytes(int fd, int seconds);

// Why a transfer that failed after `elapsed` did: "request stalled for N s",
// "reply not read for N s", or empty when the client went away.
std::string whyTransferFailed(int fd, int seconds, std::chrono::steady_clock::duration elapsed);

}  // namespace zorserver
