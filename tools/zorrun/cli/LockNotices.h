// What ZorRun tells the user about the machine-wide output lock: once when it
// cannot serialise writers, and whenever one wait for it lasts long.
#pragma once

namespace zorrun {

// Warns on stderr when the lock file is unusable, then listens for long waits
// (in this process and in the workers it starts).
void watchOutputLock();

}  // namespace zorrun
