// Runs scripts on a test server (--remote HOST:PORT) with the viewer's client:
// each script file goes out whole, the output file comes back into the
// working directory, and the report blocks in it give the verdicts.
#pragma once

#include <string>

#include "Console.h"
#include "HtmlRecorder.h"
#include "JUnitReport.h"
#include "JsonReport.h"
#include "RunSummary.h"
#include "protocol/RemoteExchange.h"
#include "protocol/WireSocket.h"

namespace zorrun {

class RemoteRunner {
public:
    // junit may be null.
    RemoteRunner(std::string serverName, int port, Console& console, JUnitReport* junit);

    // Connects when no connection is open; false, with the reason printed,
    // when the server cannot be reached.
    bool connect();
    // Seconds a whole exchange may take; 0 for no limit.
    void setTimeout(int seconds) { timeoutSeconds = seconds; }
    // The JSON report that hears the verdicts too; null for none.
    void setJson(JsonReport* report) { json = report; }
    // The report page's recorder, when the run writes one; null by default.
    void setHtml(HtmlRecorder* recorder) { html = recorder; }
    ScriptOutcome run(const std::string& script, const std::string& filter);

private:
    void exchange(const std::string& script, const std::string& bytes, const std::string& filter);
    void reportTests(const std::string& script, const remote::ExchangeReply& reply, int reached);
    void scriptError(const std::string& script, int line, int position, const std::string& text);
    void fileError(const std::string& file, const std::string& message);

    std::string server;
    int portNumber;
    Console& console;
    JUnitReport* junit;
    JsonReport* json = nullptr;
    HtmlRecorder* html = nullptr;
    remote::WireSocket connection;
    ScriptOutcome outcome;
    int timeoutSeconds = 0;
};

}  // namespace zorrun
