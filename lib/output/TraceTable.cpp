#include "output/TraceTable.h"

#include <sys/syscall.h>
#include <unistd.h>
#include <new>
#include <unordered_map>

namespace zor {

namespace {

// Built on first use and never destroyed, so that scopes of static objects of
// a host, opened or closed while the process starts or ends, find it intact.
std::unordered_map<unsigned int, int>& scopeTable() {
    static auto* table = new std::unordered_map<unsigned int, int>;
    return *table;
}

}  // namespace

std::mutex& traceLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::mutex& traceWriteLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

unsigned int currentThreadNumber() {
    thread_local unsigned int number = static_cast<unsigned int>(syscall(SYS_gettid));
    return number;
}

int currentScope(unsigned int thread) {
    auto& table = scopeTable();
    auto found = table.find(thread);
    return found == table.end() ? 0 : found->second;
}

bool setCurrentScope(unsigned int thread, int link) {
    try {
        scopeTable()[thread] = link;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void dropThread(unsigned int thread) {
    scopeTable().erase(thread);
}

}  // namespace zor
