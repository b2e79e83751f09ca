// The trace lock and the scope table: for each thread, the link of its
// innermost open traced scope. Every function here expects the trace lock held.
#pragma once

#include <mutex>

namespace zor {

// Guards the scope table and the building and writing of trace records.
std::mutex& traceLock();

// The calling thread's kernel thread id: every thread has its own trace.
unsigned int currentThreadNumber();

// The link of the thread's current traced record; 0 when it has none.
int currentScope(unsigned int thread);
// False when the table cannot grow; the table is then unchanged.
bool setCurrentScope(unsigned int thread, int link);
void dropThread(unsigned int thread);

}  // namespace zor
