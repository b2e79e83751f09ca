// The scanner as the parser and the actions see it: the next token, the current
// token's text and position. Its state is in ScanState.h, its rules in Scanner.l.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zor {

// The next token's kind (the parser's token numbers), 0 at the end of the
// input and at every call after it. The value of a valued token is left in
// scanState().tokenValue.
int nextToken();

// The current token's characters exactly as matched, valid until the next
// token is requested; empty at the end of the input and once emptied.
const char* tokenText();
// Empties the token text for an action's error report.
void emptyTokenText();

// Position of the current token: its offset in the script with every line
// break counted as one character.
std::int32_t currentPos();

// Where a token stands: its position, its line and its column (from 1, in
// bytes, counted from the line's first character).
struct TokenPlace {
    std::int32_t position = 0;
    std::int32_t line = 0;
    std::int32_t column = 0;
};
TokenPlace currentPlace();

// --- used by the rules of Scanner.l ---

// Thrown by the generated scanner when its buffer cannot be had or grown;
// caught in nextToken, never beyond it.
struct ScanFailure {};

// The generated scanner: one token kind per call.
int scanNext();

// A valued token of the given kind whose value is its text; a token too long
// for the token value becomes an OTHER token. Number tokens leave their line
// and position for the error of their conversion.
int valuedToken(int kind, const char* text, std::size_t length);
// A double-quoted string: the value is the text between the quotes.
int stringToken(const char* text, std::size_t length);
// "0x" and hex digits: an INTEGER whose value is the number in decimal.
int hexToken(const char* text, std::size_t length);
// A line comment, with its line feed or ended by the end of the input: a line
// marker when markers are on.
void lineComment(const char* text);
// A line feed outside a block comment, the last character of the current token.
void lineFeed();
// Offsets in the input, in characters read, of the current token's first
// character and of the one after its last.
std::int64_t tokenStart();
std::int64_t tokenEnd();
// The end of the input: every further token is the end too. A block comment
// still open there is an error reported where it opened, and the token handed
// back is one that no rule accepts.
int endOfInput();
// A raw character offset at the given line as a position.
std::int32_t adjustedPosition(std::int64_t raw, std::int32_t line);

}  // namespace zor
