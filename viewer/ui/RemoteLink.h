// The main dialog's side of the remote session: the 2-second ping timer and
// the event runs that connecting and disconnecting start.
#pragma once

#include <QObject>
#include <QTimer>

#include "RemoteHost.h"

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

    void startPingTimer() override;
    void stopPingTimer() override;
    void runEvent(const std::string& record) override;

    bool pingTimerActive() const { return pingTimer.isActive(); }

signals:
    // After each ping, which may have found the server gone.
    void pinged();

private:
    viewer::ScriptCommands& scriptCommands;
    QTimer pingTimer;
};
