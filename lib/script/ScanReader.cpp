// The reader under the scanner: it takes the script from its AdaptIO a chunk
// at a time and blanks block comments before any token is matched.
#include <algorithm>

#include "run/AdaptIO.h"
#include "script/CommentBlanker.h"
#include "script/ScanState.h"

namespace zor {

namespace {

constexpr int readChunk = 8192;

}  // namespace

int readChunkSize(int bufferSize) {
    return std::max(readChunk, bufferSize / 2);
}

ScanState& scanState() {
    static ScanState state;
    return state;
}

int readScript(char* buffer, int maxSize) {
    ScanState& scan = scanState();
    if (scan.input == nullptr || scan.inputEnded) return 0;
    // A new parse starts with a clean reader, whatever the previous one left.
    if (scan.charsRead == 0) {
        scan.reader = CommentBlanker{};
        scan.verifyPlace = TokenPlace{};
    }
    bool ended = false;
    const int stored = readInputBytes(*scan.input, buffer, maxSize, ended);
    scan.reader.blank(buffer, stored);
    if (ended) {
        scan.inputEnded = true;
        scan.reader.previous = 0;
        scan.reader.beforePrevious = 0;
    }
    scan.charsBefore = scan.charsRead;
    scan.charsRead += stored;
    return stored;
}

}  // namespace zor
