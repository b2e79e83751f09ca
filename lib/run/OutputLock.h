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
// the object then writes without the lock. A symbolic link in its place is
// not followed, as anybody may plant one in the shared directory.
int openOutputLock();
// Waits without a time limit until the lock is ours. With a wait hook set, a
// wait that lasts the notice time calls the hook once before waiting on.
void takeOutputLock(int lock);
void releaseOutputLock(int lock);
void closeOutputLock(int lock);

// "" when the lock file can be opened now, otherwise "PATH: reason".
const char* outputLockError();

using LockWaitHook = void (*)(int holderPid);
void setLockWaitHook(LockWaitHook hook);

// The pid of the process holding a lock on the file of the descriptor, as
// /proc/locks shows it; 0 when unknown.
int lockHolder(int lock);

// Path of the lock file.
const char* outputLockPath();

// For tests: a lock file of their own (null restores the machine's), and a
// shorter notice time than the 2 s that hosts get.
void setOutputLockPath(const char* path);
void setLockWaitNotice(int milliseconds);

}  // namespace zor
