// The registry of native test functions by name. A record element holds an
// int, too narrow for an address on 64 bits, so it holds 1 + the function's
// index in a table that lives and dies with the registry.
#include "run/ZorCall.h"

#include <new>
#include <vector>

#include "store/DataMap.h"
#include "store/StoreCv.h"

DataMap* ZorCall::funcMap = nullptr;
int32_t ZorCall::ctr = 0;

namespace {

std::vector<ZorCall::TestFunction>* functions = nullptr;

// What getFunc(nullptr) answers while a registry exists; never called by hosts.
void registryExists() {}

// The table index an element value stands for, or -1 for any other value.
long tableIndex(int value) {
    if (!functions || value < 1 || static_cast<std::size_t>(value) > functions->size()) return -1;
    return value - 1;
}

void deleteRegistry(DataMap*& funcMap) {
    delete funcMap;
    delete functions;
    funcMap = nullptr;
    functions = nullptr;
}

// If either part cannot be had, there is no registry and registration is skipped.
void createRegistry(DataMap*& funcMap) {
    funcMap = new (std::nothrow) DataMap;
    functions = new (std::nothrow) std::vector<ZorCall::TestFunction>;
    if (!funcMap || !functions) deleteRegistry(funcMap);
}

}  // namespace

ZorCall::ZorCall(const char* name, TestFunction function) {
    ++ctr;
    if (!funcMap) createRegistry(funcMap);
    if (!funcMap || !name) return;
    // A name registered again gets the new function in its old slot.
    StoreCv entry = (*funcMap)[name];
    const long present = tableIndex(entry);
    if (present >= 0) {
        (*functions)[present] = function;
        return;
    }
    try {
        functions->push_back(function);
    } catch (const std::bad_alloc&) {
        return;
    }
    entry = static_cast<int>(functions->size());
}

ZorCall::~ZorCall() {
    if (--ctr == 0 && funcMap) deleteRegistry(funcMap);
}

ZorCall::TestFunction ZorCall::getFunc(const char* name) {
    if (!name) return funcMap ? &registryExists : nullptr;
    if (!funcMap) return nullptr;
    const long index = tableIndex((*funcMap)[name]);
    return index >= 0 ? (*functions)[index] : nullptr;
}

int ZorCall::getCtr() {
    return ctr;
}
