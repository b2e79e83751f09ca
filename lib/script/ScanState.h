// The scanner's process-wide state: where the script comes from, how far it has
// been read, the line count, and the reader's memory of the block comment.
#pragma once

#include <cstdint>

#include "script/CommentBlanker.h"
#include "script/Scanner.h"
#include "script/ScriptText.h"

class AdaptIO;

namespace zor {

struct ScanState {
    AdaptIO* input = nullptr;
    // Characters delivered by the reader since the parse began, and that count
    // before the latest refill. Kept wide so that no script length overflows them.
    std::int64_t charsRead = 0;
    std::int64_t charsBefore = 0;
    std::int32_t lineNo = 1;
    // Offset of the current line's first character, for columns.
    std::int64_t lineStart = 0;
    // The reader's block comment state and its last two characters.
    CommentBlanker reader;
    // Set by the record-body actions: line comments become line markers.
    bool markerOn = false;
    // The input has delivered its end; nothing after it is read.
    bool inputEnded = false;
    // The end of the input has been reported; every further token is the end.
    bool atEnd = false;
    // An action has emptied the current token's text for its error report.
    bool tokenTextEmptied = false;
    // Where the last number token stood, for the error of its conversion.
    std::int32_t numberLine = 1;
    std::int32_t numberPos = 0;
    // The kind of the token before the current one, where the latest
    // "resultfile", "deletefile" or "extern" stood and where the token after
    // it stood (an extern record's name): the parser has long passed them
    // when the statement's action runs.
    int previousToken = 0;
    TokenPlace keywordPlace{};
    TokenPlace afterKeyword{};
    // Where the latest "verify:" stood, for the outline of its record.
    TokenPlace verifyPlace{};
    // Where the latest "}" stood: a record ends right after its brace, before
    // the next token is read, so the outline finds the record's end here.
    TokenPlace closePlace{};
    // Where the latest path's first name stood: a path is reduced only once
    // the token after it is read, so the outline's variables look back here.
    TokenPlace pathPlace{};
    // The value of the last valued token.
    ScriptText tokenValue{};
    // Set by tests only: every allocation of the scanner fails, as it would
    // when memory runs out.
    bool allocationsFail = false;
};

ScanState& scanState();

// How many characters one refill of a scan buffer of the given size may read:
// 8192, or half the buffer once a token longer than the first buffer has made
// it grow. Every refill moves the token being matched to the buffer's start,
// so reads that grow with the buffer keep a huge token from costing time
// quadratic in its length.
int readChunkSize(int bufferSize);

// Fills buffer with at most maxSize characters of the input, blanking block
// comments; answers the number stored, 0 at the end of the input.
int readScript(char* buffer, int maxSize);

}  // namespace zor
