// Runs scripts on a test server (--remote HOST:PORT) with the viewer's client:
// each script file goes out whole, the output file comes back into the
// working directory under a name the script gives it, and the server's
// verdicts, checked against the script read here, are the run's. A server
// that sends none is judged from its output file where that is sound.
#pragma once

#include <functional>
#include <string>

#include "ScriptEvents.h"
#include "protocol/RemoteExchange.h"
#include "protocol/WireSocket.h"

namespace zorrun {

class RemoteRunner {
public:
    RemoteRunner(std::string serverName, int port, ScriptEvents& events);

    // Connects when no connection is open; false, with the reason told as the
    // script's error, when the server cannot be reached.
    bool connect();
    // Seconds a whole exchange may take; 0 for no limit.
    void setTimeout(int seconds) { timeoutSeconds = seconds; }
    // Where output files whose names the scripts build at run time may come
    // back; "" takes none of them.
    void setOutputFolder(std::string folder) { outputFolder = std::move(folder); }
    // Where a notice that is no verdict goes ("waiting for the test server").
    void setNotice(std::function<void(const std::string&)> call) { notice = std::move(call); }
    // Runs the script begun on events, which the caller also ends.
    void run(const std::string& script, const std::string& filter);

private:
    void exchange(const std::string& script, const std::string& bytes, const std::string& filter);
    void brokenOff(const remote::ExchangeReply& reply);

    std::string server;
    int portNumber;
    ScriptEvents& events;
    std::function<void(const std::string&)> notice;
    remote::WireSocket connection;
    int timeoutSeconds = 0;
    std::string outputFolder;
};

}  // namespace zorrun
