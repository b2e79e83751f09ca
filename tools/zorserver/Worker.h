// Each exchange's run happens in a worker process of its own, so that a test
// function that crashes, exits, throws or hangs ends that exchange only. The
// worker runs confined to the server's folder, bounded in memory, barred from
// changing files' metadata (SyscallFilter.h), as an unprivileged user under a
// root server, and in a process tree that ends with the exchange
// (WorkerBox.h); it
// hands back one checked message (WorkerMessage.h), from which the server
// takes the reply and the simulated device's state, which thus outlives the
// worker.
#pragma once

#include <vector>

#include "ReplySending.h"
#include "WorkerUser.h"
#include "protocol/RequestReading.h"

namespace zorserver {

struct WorkerSettings {
    int folderFd = -1;
    // Address space bound in bytes; 0 for none.
    unsigned long long maxMemory = 0;
    // Seconds; 0 for none.
    int runTimeout = 0;
    // Descriptors the worker has no business with (the client's socket).
    std::vector<int> closedInWorker;
    WorkerUser user;
    // What probeWorkerNamespaces found.
    int namespaces = 0;
};

// Runs the request and answers the reply with the device's picture. When the
// worker ends without its message, the reply names no output file and holds
// error line 1 with what happened: "test function crashed: SIGSEGV", "run
// timed out after N s", "test function exited with status N".
ServerReply runInWorker(const remote::ServerRequest& request, const WorkerSettings& settings);

}  // namespace zorserver
