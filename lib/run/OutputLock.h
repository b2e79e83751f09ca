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
// False when the descriptor cannot be locked at all (it was closed behind the
// object's back): the caller opens the lock again.
bool takeOutputLock(int lock);
void releaseOutputLock(int lock);
void closeOutputLock(int lock);

// "" when the lock file can be opened now, otherwise "PATH: reason".
const char* outputLockError();

using LockWaitHook = void (*)(int holderPid);
void setLockWaitHook(LockWaitHook hook);

// The same for the lock of an output file, which the hook is told the name of.
using FileWaitHook = void (*)(const char* file, int holderPid);
void setFileWaitHook(FileWaitHook hook);

// Waits without a time limit until the exclusive lock on fd is ours; file
// names the output file, or is null for the machine-wide lock, and chooses
// the hook. False when fd cannot be locked at all.
bool waitForLock(int fd, const char* file);

// Whether the file is the lock file that the current path names. The lock's
// identity is looked up again for an empty file, which is what a lock file
// that was made since the last look would be.
bool isOutputLockFile(unsigned long device, unsigned long inode, long size);

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
