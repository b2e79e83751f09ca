// The process tree of one exchange. A keeper process, started by the server,
// starts the worker and outlives it; when the worker ends, the keeper ends
// every process the worker left behind, including those that left its
// process group or session, before it ends itself. Where the system allows,
// the worker runs in a PID namespace of its own, in which the server and
// every other process outside are not there to be signalled.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace zorserver {

// The namespaces that a keeper enters, tried once in a child that ends at
// once: a PID namespace under root, a user namespace with one otherwise; 0
// when this system (a container, a kernel without them) allows none, with
// the reason in why.
int probeWorkerNamespaces(std::string& why);

// The keeper's work, in a process just forked from the server: enters the
// namespaces (when they fail after all, the box is the smaller one without
// them), runs startWorker in a new child (its argument is the pid that the
// child sees as its parent), waits for it, writes its wait status (an int)
// to statusFd, ends all that is left and exits. SIGTERM ends the worker at
// once, with the same clean-up.
[[noreturn]] void keepExchange(int namespaces, int statusFd,
                               const std::function<void(pid_t keeper)>& startWorker);

// In the worker: whether the process that started it is still there, with
// the parent-death signal armed against it from now on. Changing the user
// disarms it, so this is called again after.
bool keepsItsKeeper(pid_t keeper);

}  // namespace zorserver
