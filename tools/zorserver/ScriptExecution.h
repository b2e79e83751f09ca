// Running a received script through the library, as the viewer runs it in
// its own process; the server does it inside a worker (Worker.h).
#pragma once

#include "ReplySending.h"
#include "protocol/RequestReading.h"

namespace zorserver {

struct RunOutcome {
    int code = 0;  // parseLoop's result
    ServerReply reply;
    // The library's own end of the run, before the server's errors.
    remote::RemoteRunEnd end;
};

// From now on the library opens, creates and deletes files for the process
// only beneath the folder; names that lead out are refused and remembered,
// and the next run reports the first of them.
void confineLibraryFiles(int folderFd);

// Runs the request's script file with its filter, trace depth and root, and
// gathers the output file and the error. Each run starts without an output
// file, so that event records, which name none, leave the last script's
// report alone and bring back no file. A run whose script error is absent
// gets one on line 1 for a name that led out of the folder, or for a report
// that was not written whole.
RunOutcome runRequest(const remote::ServerRequest& request);

}  // namespace zorserver
