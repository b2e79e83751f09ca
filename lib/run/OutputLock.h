// The machine-wide output lock: every write phase of every process that uses
// the library holds it, so at most one output file is being written at a time.
//
// It is an advisory lock on a lock file named after "ZorSem" in the machine's
// shared temporary directory. The kernel drops it when its holder dies, so a
// writer killed inside its write phase never blocks the other writers.
#pragma once

namespace zor {

// Opens the lock file (creating it, readable and writable by every user, when
// it is missing); one descriptor per file object. -1 when it cannot be had:
// the object then writes without the lock.
int openOutputLock();
// Waits without a time limit until the lock is ours.
void takeOutputLock(int lock);
void releaseOutputLock(int lock);
void closeOutputLock(int lock);

// Path of the lock file.
const char* outputLockPath();

}  // namespace zor
