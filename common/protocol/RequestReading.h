// The server's side of reading one exchange's request: what follows
// "TSTEXEC" (protocol/RemoteExchange.h has the layout).
#pragma once

#include <string>

#include "protocol/RemoteVerdicts.h"
#include "protocol/WireSocket.h"

namespace remote {

// The client's own limit: a longer script has no length field with its zero byte.
constexpr long maxScriptBytes = 9'999'999;

// Where the script that a request brings goes.
class ScriptReceiver {
public:
    virtual ~ScriptReceiver() = default;
    // Takes length script bytes from the client into the file. Sets reason
    // when the script is not kept; false when the connection ended inside it.
    virtual bool receive(WireSocket& client, long length, const std::string& file,
                         std::string& reason) = 0;
};

struct ServerRequest {
    // The number field before the trace depth: verdictsWish asks for the
    // run's verdicts; any other value for none, as before there were any.
    int reserved = 0;
    int traceDepth = 0;
    std::string traceRoot;
    std::string inputName;
    // The file in the server's folder that holds the script: localInputName.
    std::string scriptFile;
    // Whether a script came (n > 0).
    bool scriptSent = false;
    // Why a script that came is not stored; the exchange then runs nothing.
    std::string storeError;
    std::string filter;

    bool wantsVerdicts() const { return reserved == verdictsWish; }
};

// Reads the request and hands a sent script to the receiver. False when the
// client went away within the request; reason then says so.
bool readRequest(WireSocket& client, ScriptReceiver& receiver, ServerRequest& request,
                 std::string& reason);

// The file the script is stored in: the last component of the name the
// client sent, so that it stays in the server's folder; "in.txt" when that
// is empty, "." or "..".
std::string localInputName(const std::string& sentName);

}  // namespace remote
