// Running a received script through the library, as the viewer runs it in
// its own process.
#pragma once

#include "ServerProtocol.h"

namespace zorserver {

struct RunOutcome {
    int code = 0;  // parseLoop's result
    ServerReply reply;
};

// Runs the request's script file with its filter, trace depth and root, and
// gathers the output file, the error and the device's picture. Each run starts
// without an output file, so that event records, which name none, leave the
// last script's report alone and bring back no file.
RunOutcome runRequest(const ServerRequest& request);

}  // namespace zorserver
