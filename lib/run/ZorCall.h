// ZorCall: makes a host's native test function known to the library by name.
// Declare one object per function (typically static); the host's callback
// finds the function again with getFunc under the name of the test to run.
#pragma once

#include <cstdint>

#include "ZorExport.h"

class DataMap;

class ZORLIB_API ZorCall {
public:
    using TestFunction = void (*)();

    ZorCall(const char* name, TestFunction function);
    // Unregisters nothing by name; the last object destroyed deletes the registry.
    ~ZorCall();
    ZorCall(const ZorCall&) = delete;
    ZorCall& operator=(const ZorCall&) = delete;

    // The function registered under the name, or null. A null name asks whether
    // a registry exists: the answer is then non-null exactly while one does, and
    // is never to be called.
    static TestFunction getFunc(const char* name);
    // Live ZorCall objects: a host that loads a module of test functions
    // compares it before and after to learn whether the module registered any.
    static int getCtr();
    // Calls visit once for every registered name, in byte-wise order, with the
    // given context. The names are valid only during their visit, and visit
    // must not register functions meanwhile. Answers the number of names
    // visited, or -1 (having visited none) when memory for the list runs out.
    static int forEachName(void (*visit)(const char* name, void* context), void* context);

private:
    static DataMap* funcMap;
    static int32_t ctr;
};
