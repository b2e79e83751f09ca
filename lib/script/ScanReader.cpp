// The reader under the scanner: it takes the script character by character from
// its AdaptIO and blanks block comments before any token is matched. The "/*"
// stays for the scanner to skip; the body becomes spaces with its line feeds
// kept, so line numbers stay right across a comment.
#include <algorithm>

#include "run/AdaptIO.h"
#include "script/ScanState.h"

namespace zor {

namespace {

constexpr int readChunk = 8192;

// The reader's memory of the last two characters and the open comment, held
// in locals while a chunk is read.
struct CommentBlanker {
    bool inComment;
    int previous;
    int beforePrevious;

    // What one input character becomes.
    char take(int c) {
        char stored = static_cast<char>(c);
        if (c == '*' && previous == '/' && beforePrevious != '/' && !inComment) {
            inComment = true;
        } else if (inComment) {
            if (c == '/' && previous == '*') inComment = false;
            if (c != '\n') stored = ' ';
        }
        beforePrevious = previous;
        previous = c;
        return stored;
    }
};

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
        scan.inComment = false;
        scan.previousChar = 0;
        scan.charBeforePrevious = 0;
    }
    CommentBlanker blanker{scan.inComment, scan.previousChar, scan.charBeforePrevious};
    AdaptIO& input = *scan.input;
    int stored = 0;
    while (stored < maxSize) {
        const int c = input.getChar();
        if (c == -1) {
            scan.inputEnded = true;
            blanker.previous = 0;
            blanker.beforePrevious = 0;
            break;
        }
        buffer[stored++] = blanker.take(c);
    }
    scan.inComment = blanker.inComment;
    scan.previousChar = blanker.previous;
    scan.charBeforePrevious = blanker.beforePrevious;
    scan.charsBefore = scan.charsRead;
    scan.charsRead += stored;
    return stored;
}

}  // namespace zor
