// The process-wide run state and its accessors.
#include <cstring>
#include <mutex>

#include "run/LastOutFile.h"
#include "run/Parse.h"
#include "run/SharedIO.h"
#include "run/TextCopy.h"
#include "store/DataMap.h"

DataMap Parse::inStore[storeDepth];
DataMap Parse::verStore[storeDepth];
DataMap Parse::outStore;
DataMap Parse::cachedExts;
char Parse::cachedFile[textSize];
char Parse::outFileName[textSize];
char Parse::filterName[textSize];
char Parse::errString[textSize];
int32_t Parse::errLine;
int32_t Parse::errPos;
int (*Parse::callBack)();
int32_t Parse::pState;
std::atomic<int32_t> Parse::waitCtr;
std::mutex Parse::waitLock;
int (*Parse::dispatchHook)();
int32_t Parse::verifyResult;

AdaptIO& Parse::getIO() {
    return zor::sharedIO();
}

int Parse::getLastVerifyResult() {
    return verifyResult;
}
DataMap* Parse::getInStore() {
    return inStore;
}
DataMap* Parse::getVerStore() {
    return verStore;
}
DataMap& Parse::getOutStore() {
    return outStore;
}
DataMap& Parse::getCache() {
    return cachedExts;
}

// Assigning a fresh record empties element [0] and renames it "DataMap".
void Parse::clearInStore() {
    inStore[0] = DataMap();
}
void Parse::clearVerStore() {
    verStore[0] = DataMap();
}

char* Parse::getFilterName() {
    return filterName;
}
char* Parse::getLastOutFile() {
    return outFileName;
}

namespace {
std::mutex& outFileNameLock() {
    static std::mutex lock;
    return lock;
}
}  // namespace

// A cut file name would name another file, so an overlong one names none.
void Parse::setLastOutFile(const char* name) {
    std::lock_guard<std::mutex> guard(outFileNameLock());
    zor::copyText(outFileName, textSize, name && !zor::hasAtLeast(name, textSize) ? name : "");
}

void zor::copyLastOutFile(char* target, std::size_t size) {
    std::lock_guard<std::mutex> guard(outFileNameLock());
    zor::copyText(target, size, Parse::getLastOutFile());
}

char* Parse::getErrString() {
    return errString;
}
void Parse::setErrString(const char* text) {
    zor::copyText(errString, textSize, text);
}
int Parse::getErrLine() {
    return errLine;
}
void Parse::setErrLine(int line) {
    errLine = line;
}
int Parse::getErrPos() {
    return errPos;
}
void Parse::setErrPos(int pos) {
    errPos = pos;
}
int Parse::hasCallback() {
    return callBack ? 1 : 0;
}

// Line breaks before the current line are two bytes in the file but count once.
int Parse::adjustLine(int offset, int line) {
    // Unsigned arithmetic wraps instead of overflowing on absurd arguments.
    return static_cast<int>(static_cast<uint32_t>(offset) - static_cast<uint32_t>(line) + 1u);
}
