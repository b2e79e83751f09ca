// What the remote session needs of the main dialog, its parent window: the
// ping timer that the dialog runs, and its event runs.
#pragma once

#include <string>

namespace remote {

constexpr int pingIntervalMs = 2000;

class RemoteHost {
public:
    virtual ~RemoteHost() = default;
    // Calls the session's pingTick every pingIntervalMs until stopped; starting
    // a running timer starts its interval afresh.
    virtual void startPingTimer() = 0;
    virtual void stopPingTimer() = 0;
    // The session closed its connection: its descriptor is no longer one to watch.
    virtual void connectionClosed() = 0;
    // Writes the record into the event script file and runs it as an event run.
    virtual void runEvent(const std::string& record) = 0;
};

}  // namespace remote
