// The provider way: readLoop parses a script once and serves its extern
// records from the cache while the file stays unchanged.
#include <sys/stat.h>

#include <cstring>
#include <ctime>

#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "run/TextCopy.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace {

// Calendar time, whole seconds, taken right after the parse that filled the cache.
std::time_t cachedTime;

constexpr char defaultExtension[] = ".txt";
constexpr std::size_t extensionLength = sizeof defaultExtension - 1;

// A file's last modification in whole seconds; false when its status cannot be read.
bool modificationTime(const char* file, std::time_t& time) {
    struct stat status;
    if (stat(file, &status) != 0) return false;
    time = status.st_mtime;
    return true;
}

// A dot anywhere, also in a directory part, keeps the name as it is.
bool needsExtension(const char* file) {
    return std::strchr(file, '.') == nullptr;
}

}  // namespace

int Parse::readLoop(const char* scriptFile, const char* testName) {
    if (pState == 1 || !scriptFile || !testName) return -1;
    const bool extend = needsExtension(scriptFile);
    const std::size_t nameLimit = extend ? entryNameSize - extensionLength : entryNameSize;
    if (zor::hasAtLeast(scriptFile, nameLimit) || zor::hasAtLeast(testName, entryNameSize))
        return -1;
    char fileName[entryNameSize];
    zor::copyText(fileName, sizeof fileName, scriptFile);
    if (extend) std::strcat(fileName, defaultExtension);
    zor::copyText(filterName, entryNameSize, testName);
    // The provider parse runs no test: a callback left by an earlier run would
    // run its records, delete its files and keep the extern records uncached.
    callBack = nullptr;

    int result = -1;
    std::time_t modified;
    AdaptIO& io = getIO();
    if (std::strcmp(fileName, cachedFile) == 0 && modificationTime(fileName, modified) &&
        modified <= cachedTime) {
        clearInStore();
        clearVerStore();
        outStore.clear();
        result = 0;
    } else if (!io.openIn(fileName)) {
        cachedFile[0] = 0;
    } else {
        // An error still caches the file: the next call of it reuses the parse.
        runParser(io);
        result = errLine;
        io.closeIn();
        cachedTime = std::time(nullptr);
        zor::copyText(cachedFile, textSize, fileName);
    }
    loadCachedTest();
    return result;
}

// An absent entry leaves empty records and an empty output file name.
void Parse::loadCachedTest() {
    StoreCv entry = cachedExts[filterName];
    inStore[0] = entry[0];
    inStore[0].setName(filterName);
    verStore[0] = entry[1];
    verStore[0].setName(filterName);
    setLastOutFile(static_cast<char*>(entry[2]));
}
