// The registry of native test functions by name. A record element holds an
// int, too narrow for an address on 64 bits, so it holds 1 + the function's
// index in a table that lives and dies with the registry.
#include "run/ZorCall.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

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

// The names are gathered first: a visitor that asks getFunc meanwhile looks
// the registry up, which the walk through its elements must not see change.
int ZorCall::forEachName(void (*visit)(const char* name, void* context), void* context) {
    if (!funcMap || !visit) return 0;
    std::vector<const char*> names;
    try {
        for (StoreEl* element = funcMap->getData(nullptr); element; element = element->getNext())
            if (tableIndex((*funcMap)[element->getName()]) >= 0)
                names.push_back(element->getName());
    } catch (const std::bad_alloc&) {
        return -1;
    }
    std::sort(names.begin(), names.end(),
              [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
    for (const char* name : names) visit(name, context);
    return static_cast<int>(names.size());
}
