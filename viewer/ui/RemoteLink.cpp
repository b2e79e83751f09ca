#include "RemoteLink.h"

#include <QSocketNotifier>

#include "RemoteSession.h"
#include "ScriptCommands.h"

RemoteLink::RemoteLink(remote::RemoteSession& session, viewer::ScriptCommands& commands,
                       QObject* parent)
    : QObject(parent), serverSession(session), scriptCommands(commands) {
    pingTimer.setInterval(remote::pingIntervalMs);
    connect(&pingTimer, &QTimer::timeout, this, [this] {
        serverSession.pingTick();
        emit pinged();
    });
}

RemoteLink::~RemoteLink() = default;

void RemoteLink::startPingTimer() {
    pingTimer.start();
    unwatch();
    if (serverSession.descriptor() < 0) return;
    closeWatch =
        std::make_unique<QSocketNotifier>(serverSession.descriptor(), QSocketNotifier::Read);
    connect(closeWatch.get(), &QSocketNotifier::activated, this, &RemoteLink::connectionReadable);
}

void RemoteLink::stopPingTimer() {
    pingTimer.stop();
    unwatch();
}

// Bytes a server sent out of turn stay for the next exchange to find, and
// the pings go on looking; the watch would only fire again and again.
void RemoteLink::connectionReadable() {
    closeWatch->setEnabled(false);
    if (serverSession.endIfClosed()) emit pinged();
}

// Called from the watch's own signal too, where the watch may not be deleted.
void RemoteLink::connectionClosed() {
    if (closeWatch) closeWatch->setEnabled(false);
}

void RemoteLink::unwatch() {
    closeWatch.reset();
}

void RemoteLink::runEvent(const std::string& record) {
    scriptCommands.runEvent(record);
}
