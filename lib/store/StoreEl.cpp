#include "store/StoreEl.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "store/StoreInternals.h"
#include "store/TextBlock.h"

StoreEl* StoreEl::start = nullptr;
StoreEl* StoreEl::end = nullptr;
StoreEl* StoreEl::list = nullptr;
int StoreEl::ctr = 0;

namespace {

const char* orEmpty(const char* text) {
    return text ? text : "";
}

}  // namespace

// An int or double element whose name block cannot be had keeps the empty
// name and the value 0, so that no caller mistakes it for the value it meant.
StoreEl::StoreEl(const char* elementName, int value) : type(typeInt) {
    if (!initName(elementName)) value = 0;
    std::memcpy(inlineValue, &value, sizeof value);
}

StoreEl::StoreEl(const char* elementName, double value) : type(typeDouble) {
    if (!initName(elementName)) value = 0.0;
    std::memcpy(inlineValue, &value, sizeof value);
}

// Without its name or value block the element is kept, with both empty.
StoreEl::StoreEl(const char* elementName, const char* value) : type(typeString) {
    if (initName(elementName) && initText(value)) return;
    releaseName();
    inlineName[0] = '\0';
    inlineValue[0] = '\0';
}

StoreEl::StoreEl(BorrowName, const char* wanted)
    : name(const_cast<char*>(orEmpty(wanted))), type(typeInt), nameSource(nameBorrowed) {
    std::memset(inlineValue, 0, sizeof(double));
}

StoreEl::~StoreEl() {
    releaseName();
    releaseData();
}

// Names of up to 39 characters stay inline; longer ones get a block.
bool StoreEl::initName(const char* text) {
    text = orEmpty(text);
    std::size_t length = std::strlen(text);
    if (length < static_cast<std::size_t>(inlineSize)) {
        std::memcpy(inlineName, text, length + 1);
        return true;
    }
    void* block = length < static_cast<std::size_t>(INT_MAX) ? zor::allocText(length + 1) : nullptr;
    if (!block) {
        inlineName[0] = '\0';
        return false;
    }
    std::memcpy(block, text, length + 1);
    name = static_cast<char*>(block);
    nameSource = nameBlock;
    nameLen = static_cast<int>(length + 1);
    return true;
}

// Values of up to 38 characters stay inline; from 39 on they get a block.
bool StoreEl::initText(const char* value) {
    value = orEmpty(value);
    std::size_t length = std::strlen(value);
    if (length < static_cast<std::size_t>(inlineSize - 1)) {
        std::memcpy(inlineValue, value, length + 1);
        return true;
    }
    void* block = length < static_cast<std::size_t>(INT_MAX) ? zor::allocText(length + 1) : nullptr;
    if (!block) return false;
    std::memcpy(block, value, length + 1);
    data = block;
    len = static_cast<int>(length + 1);
    return true;
}

void StoreEl::releaseName() {
    if (nameSource == nameBlock) zor::releaseText(name, static_cast<std::size_t>(nameLen));
    name = inlineName;
    nameSource = nameInline;
    nameLen = 0;
}

void StoreEl::releaseData() {
    if (data != inlineValue) zor::releaseText(data, static_cast<std::size_t>(len));
    data = inlineValue;
    len = inlineSize;
}

void StoreEl::setData(void* block, int blockLen) {
    if (!block) return;
    releaseData();
    data = block;
    len = blockLen;
}

void* StoreEl::operator new(std::size_t size) noexcept {
    if (size != sizeof(StoreEl)) return std::malloc(size ? size : 1);
    return zor::ElementAccess::poolAllocate();
}

void StoreEl::operator delete(void* slot, std::size_t size) noexcept {
    if (!slot) return;
    if (size != sizeof(StoreEl)) {
        std::free(slot);
        return;
    }
    zor::ElementAccess::poolRelease(slot);
}
