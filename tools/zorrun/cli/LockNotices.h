// How ZorRun's runs lock their output files, and what it tells the user when
// a wait for one lasts long.
#pragma once

namespace zorrun {

// Locks each output file alone, without the machine-wide lock, so that runs of
// unrelated files never wait for each other, and listens for long waits (in
// this process and in the workers it starts).
void watchOutputLock();
// Where the notices go from now on: a worker, whose stderr is captured,
// sends them to the stderr it started with. A descriptor below 0 is ignored.
void sendNoticesTo(int descriptor);

}  // namespace zorrun
