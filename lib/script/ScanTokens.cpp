// What the scanner's rules do with a match: token values, line counting and
// line markers, and the end of the input.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "Grammar.hpp"
#include "run/Parse.h"
#include "script/ErrorReport.h"
#include "script/Numbers.h"
#include "script/ScanState.h"
#include "script/Scanner.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace zor {

namespace {

void noteNumberPlace() {
    ScanState& scan = scanState();
    scan.numberLine = scan.lineNo;
    scan.numberPos = currentPos();
}

// A token value holds at most this many characters; a longer token is not a
// valid token of the language.
constexpr std::size_t maxTokenLength = ScriptText::maxLength;

void setTokenValue(const char* text, std::size_t length) {
    ScriptText& value = scanState().tokenValue;
    std::memcpy(value.text, text, length);
    value.text[length] = '\0';
}

bool isStatementKeyword(int token) {
    return token == TOK_RESULTFILE || token == TOK_DELETEFILE || token == TOK_EXTERN;
}

int noteKeywordPlaces(int token) {
    ScanState& scan = scanState();
    if (isStatementKeyword(token)) scan.keywordPlace = currentPlace();
    if (token == TOK_VERIFY) scan.verifyPlace = currentPlace();
    if (token == TOK_RBRACE) scan.closePlace = currentPlace();
    if (isStatementKeyword(scan.previousToken)) scan.afterKeyword = currentPlace();
    if (token == TOK_IDENT && scan.previousToken != TOK_DOT) scan.pathPlace = currentPlace();
    scan.previousToken = token;
    return token;
}

}  // namespace

int nextToken() {
    ScanState& scan = scanState();
    scan.tokenTextEmptied = false;
    if (scan.atEnd) return TOK_YYEOF;
    try {
        return noteKeywordPlaces(scanNext());
    } catch (const ScanFailure&) {
        // The input ends here with an error of its own; the token handed back
        // is one that no rule accepts, so the parse stops at once. The buffer
        // may be gone, so the position is taken as at the end of the input.
        scan.atEnd = true;
        failAction("out of memory", "yylex::malloc");
        return TOK_OTHER;
    }
}

void emptyTokenText() {
    scanState().tokenTextEmptied = true;
}

int valuedToken(int kind, const char* text, std::size_t length) {
    if (length > maxTokenLength) return TOK_OTHER;
    setTokenValue(text, length);
    if (kind == TOK_INTEGER || kind == TOK_FLOAT) noteNumberPlace();
    return kind;
}

int stringToken(const char* text, std::size_t length) {
    if (length > maxTokenLength) return TOK_OTHER;
    setTokenValue(text + 1, length - 2);
    return TOK_STRING;
}

int hexToken(const char* text, std::size_t length) {
    if (length > maxTokenLength) return TOK_OTHER;
    char decimal[16] = {};
    std::to_chars(decimal, decimal + sizeof decimal - 1, readHexDigits(text + 2, length - 2));
    setTokenValue(decimal, std::strlen(decimal));
    noteNumberPlace();
    return TOK_INTEGER;
}

void lineComment(const char* text) {
    ScanState& scan = scanState();
    if (!scan.markerOn) return;
    // "//" and the comment's line number; the value is the whole comment with
    // its line end, if it has one.
    char name[24] = {};
    std::snprintf(name, sizeof name, "//%06d", static_cast<int>(scan.lineNo));
    Parse::getOutStore()[name] = text;
}

void lineFeed() {
    ScanState& scan = scanState();
    if (scan.lineNo < INT32_MAX) ++scan.lineNo;
    scan.lineStart = tokenEnd();
}

TokenPlace currentPlace() {
    const ScanState& scan = scanState();
    const std::int64_t column = tokenStart() - scan.lineStart + 1;
    return {currentPos(), scan.lineNo,
            static_cast<std::int32_t>(std::min<std::int64_t>(column, INT32_MAX))};
}

int endOfInput() {
    ScanState& scan = scanState();
    scan.atEnd = true;
    if (!scan.reader.inComment) return TOK_YYEOF;
    // Otherwise the comment would silently swallow every test after its start.
    const auto line =
        static_cast<std::int32_t>(std::min<std::int64_t>(scan.reader.openedLine, INT32_MAX));
    reportErrorAt("unterminated comment", nullptr, line,
                  adjustedPosition(scan.reader.openedAt, line));
    return TOK_OTHER;
}

std::int32_t adjustedPosition(std::int64_t raw, std::int32_t line) {
    return Parse::adjustLine(static_cast<std::int32_t>(raw), line);
}

}  // namespace zor
