// The reader under the scanner: it takes the script character by character from
// its AdaptIO and blanks block comments before any token is matched. The "/*"
// stays for the scanner to skip; the body becomes spaces with its line feeds
// kept, so line numbers stay right across a comment.
#include <algorithm>

#include "run/AdaptIO.h"
#include "script/ScanState.h"

namespace zor {

namespace {

constexpr int maxReadChunk = 8192;

// What one input character becomes, given the two before it.
char blankComment(ScanState& scan, int c) {
    if (c == '*' && scan.previousChar == '/' && scan.charBeforePrevious != '/' && !scan.inComment) {
        scan.inComment = true;
        return '*';
    }
    if (scan.inComment && c == '/' && scan.previousChar == '*') {
        scan.inComment = false;
        return ' ';
    }
    return scan.inComment && c != '\n' ? ' ' : static_cast<char>(c);
}

}  // namespace

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
    int count = std::min(maxSize, maxReadChunk);
    int stored = 0;
    while (stored < count) {
        int c = scan.input->getChar();
        if (c == -1) {
            scan.inputEnded = true;
            scan.previousChar = 0;
            scan.charBeforePrevious = 0;
            break;
        }
        buffer[stored++] = blankComment(scan, c);
        scan.charBeforePrevious = scan.previousChar;
        scan.previousChar = c;
    }
    scan.charsBefore = scan.charsRead;
    scan.charsRead += stored;
    return stored;
}

}  // namespace zor
