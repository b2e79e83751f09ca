// SIGINT and SIGTERM ask ZorRun to stop: the supervisor notes the signal and
// ends the run in good order, with a complete JUnit report.
#pragma once

#include <string>

namespace zorrun {

// From now on the two signals are noted instead of ending the process.
void catchStopSignals();
// The signal that asked to stop, or 0.
int stopSignal();
// A worker ends at once on either signal, as the process did before.
void restoreStopSignals();

// "SIGSEGV", or "signal 77" for a number without a name.
std::string signalName(int signal);

}  // namespace zorrun
