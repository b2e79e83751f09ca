// The server's side of one exchange: reading the request that follows
// "TSTEXEC", and sending the reply (viewer/remote/RemoteExchange.h has the
// layout).
#pragma once

#include <string>
#include <vector>

#include "WireSocket.h"

namespace zorserver {

struct ServerRequest {
    // The number field before the trace depth: reserved, sent as 0, not used.
    int reserved = 0;
    int traceDepth = 0;
    std::string traceRoot;
    std::string inputName;
    // The file in the server's folder that holds the script: localInputName.
    std::string scriptFile;
    // Whether a script came (n > 0), and whether it is stored whole.
    bool scriptSent = false;
    bool scriptStored = false;
    std::string filter;
};

// Reads the request and stores a sent script into its script file (which is
// replaced only once the new script is complete). False when the client went
// away within the request; reason then says so.
bool readRequest(remote::WireSocket& client, ServerRequest& request, std::string& reason);

struct ServerReply {
    // Empty: the run named no output file.
    std::string outFile;
    std::vector<std::string> blocks;
    int errLine = 0;
    int errPos = 0;
    std::string errText;
};

// Sends the reply, the output file's content read from disk; false when the
// client went away. fileBytes tells how much of the file went out.
bool sendReply(remote::WireSocket& client, const ServerReply& reply, long& fileBytes);

// The file the script is stored in: the last component of the name the
// client sent, so that it stays in the server's folder; "in.txt" when that
// is empty, "." or "..".
std::string localInputName(const std::string& sentName);

}  // namespace zorserver
