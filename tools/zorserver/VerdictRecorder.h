// A worker's side of the verdicts a client asked for: it tells the server of
// each test as it starts and as the library judges it, each at once, so that
// a test whose function crashes the worker is still named, with its line.
#pragma once

#include <string>

#include "protocol/RemoteVerdicts.h"

namespace zorserver {

// Listens to the library for the rest of the worker's life; the frames go
// into resultFd, the lines of its tests from its outline.
void reportVerdicts(int resultFd, const std::string& scriptFile);

// Sent once the library returned from the run.
void reportRunEnd(const remote::RemoteRunEnd& end);

}  // namespace zorserver
