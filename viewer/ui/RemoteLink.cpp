#include "RemoteLink.h"

#include "RemoteSession.h"
#include "ScriptCommands.h"

RemoteLink::RemoteLink(remote::RemoteSession& session, viewer::ScriptCommands& commands,
                       QObject* parent)
    : QObject(parent), scriptCommands(commands) {
    pingTimer.setInterval(remote::pingIntervalMs);
    connect(&pingTimer, &QTimer::timeout, this, [this, &session] {
        session.pingTick();
        emit pinged();
    });
}

void RemoteLink::startPingTimer() {
    pingTimer.start();
}

void RemoteLink::stopPingTimer() {
    pingTimer.stop();
}

void RemoteLink::runEvent(const std::string& record) {
    scriptCommands.runEvent(record);
}
