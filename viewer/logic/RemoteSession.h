// The viewer's connection to a test server: connecting and disconnecting, the
// keep-alive pings between runs, and the exchange that hands a run to the
// server instead of the library in this process.
#pragma once

#include <string>

#include "RemoteHost.h"
#include "RunEngines.h"
#include "protocol/ClientSocket.h"
#include "protocol/RemoteExchange.h"
#include "protocol/WireSocket.h"

namespace display {
class DisplayList;
}
namespace viewer {
class DialogView;
}

namespace remote {

enum SessionState { unavailableState = -1, disconnectedState = 0, connectedState = 1 };

struct RemoteSettings {
    int state = disconnectedState;
    std::string serverName;
    int port = 0;
};

class RemoteSession : public viewer::RemoteAccess {
public:
    // The session reads the script pane and its modified mark through the
    // view and decodes the server's display blocks into the display list.
    RemoteSession(viewer::DialogView& view, display::DisplayList& display);

    // Connects (wanted 1) or disconnects (wanted 0), answering a
    // ConnectResult (protocol/ClientSocket.h); the parent runs the ping
    // timer and the "ongraphic{}" event run that follows results 1 and 0.
    int applyRemote(RemoteHost* parent, int wanted, const std::string& serverName, int port);
    // The state, server name and port; nothing without a parent.
    bool queryRemote(const RemoteHost* parent, RemoteSettings& settings) const;
    // Takes the folder for output files whose names a script builds at run
    // time; a folder not beneath the current one is refused and clears it.
    // The folder as kept.
    std::string setOutputFolder(const std::string& folder);
    // Where output files whose names a script builds at run time may come
    // back; "" takes none of them.
    const std::string& getOutputFolder() const { return outputFolder; }
    // The timer's routine: the next ping word while connected.
    void pingTick();
    // Between exchanges a server sends nothing, so a connection that turns
    // readable then was closed or broken by the server: the session ends at
    // once, and the answer is true. The connection's descriptor is the one to
    // watch; -1 while there is none.
    bool endIfClosed();
    int descriptor() const { return socket.descriptor(); }

    // The server and port that the settings dialog offers, remembered between
    // sessions; a connected session keeps the ones it is connected to.
    const std::string& getServer() const { return server; }
    int getPortNumber() const { return portNumber; }
    void setServer(const std::string& serverName, int port);

    // Runs go to the server whenever the state is not disconnected.
    bool connected() const override { return state != disconnectedState; }
    std::string address() const override { return server + ':' + std::to_string(portNumber); }
    viewer::RunResult remoteRun(const std::string& inputFile, const std::string& filter,
                                bool eventRun) override;

private:
    int connect(const std::string& serverName, int port);
    int disconnect(const std::string& serverName, int port);
    void startPingTimer();
    void stopPingTimer();
    void closeConnection();
    void takeVerdicts(const ExchangeReply& reply, viewer::RunResult& result);
    std::string scriptBytes(const std::string& inputFile, bool eventRun) const;

    viewer::DialogView& view;
    display::DisplayList& displayList;
    WireSocket socket;
    int state = disconnectedState;
    std::string server = "localhost";
    int portNumber = 6500;
    std::string outputFolder;
    RemoteHost* host = nullptr;
    bool pingTimer = false;
    int pingToggle = 1;
};

}  // namespace remote
