// The output file's own lock: a write phase holds an exclusive flock on the
// descriptor of the file it writes, so that writers of one file take turns in
// every process and thread, whatever program they belong to.
#pragma once

namespace zor {

enum class FileTurn { taken, heldByThisThread, failed };

// Takes the write lock on fd, the output file called name, waiting as long as
// another writer has it. A file that this very thread is writing through
// another descriptor would wait for itself: heldByThisThread at once instead.
FileTurn takeFileLock(int fd, const char* name);

// The files this thread holds locked, for reading or writing, for the test
// above; closing the descriptor ends the lock, so there is no release of its own.
void noteFileHeld(int fd);
void noteFileReleased(int fd);

// Write phases under the machine-wide lock that this thread holds: a phase
// nested inside another one of the same thread is already serialised, and
// waiting for the lock again would wait for itself.
int machinePhasesOfThisThread();
void addMachinePhase(int change);

}  // namespace zor
