// The trace locks and the scope table: for each thread, the link of its
// innermost open traced scope. The scope table expects the trace lock held.
#pragma once

#include <mutex>

namespace zor {

// Guards the scope table and the building and taking apart of trace trees.
std::mutex& traceLock();
// Held while a finished tree is written, so the trace's own writers take turns
// at the output file (which a second writer could not open at the same time)
// without holding the trace lock while they wait for the machine-wide output
// lock. Never taken with the trace lock held.
std::mutex& traceWriteLock();

// The calling thread's kernel thread id: every thread has its own trace.
unsigned int currentThreadNumber();

// The link of the thread's current traced record; 0 when it has none.
int currentScope(unsigned int thread);
// False when the table cannot grow; the table is then unchanged.
bool setCurrentScope(unsigned int thread, int link);
void dropThread(unsigned int thread);

}  // namespace zor
