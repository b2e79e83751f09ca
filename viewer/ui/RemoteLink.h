// The main dialog's side of the remote session: the 2-second ping timer, a
// watch on the connection between runs, and the event runs that connecting
// and disconnecting start.
#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

#include "RemoteHost.h"

class QSocketNotifier;

namespace remote {
class RemoteSession;
}
namespace viewer {
class ScriptCommands;
}

class RemoteLink : public QObject, public remote::RemoteHost {
    Q_OBJECT

public:
    RemoteLink(remote::RemoteSession& session, viewer::ScriptCommands& commands,
               QObject* parent = nullptr);
    ~RemoteLink() override;

    void startPingTimer() override;
    void stopPingTimer() override;
    void connectionClosed() override;
    void runEvent(const std::string& record) override;

    bool pingTimerActive() const { return pingTimer.isActive(); }

signals:
    // After each look at the connection, which may have found the server gone.
    void pinged();

private:
    void connectionReadable();
    void unwatch();

    remote::RemoteSession& serverSession;
    viewer::ScriptCommands& scriptCommands;
    QTimer pingTimer;
    // Watches the connection while the ping timer runs, that is between
    // exchanges, so that a server that goes away is noticed when it goes.
    std::unique_ptr<QSocketNotifier> closeWatch;
};
