#include "script/ErrorReport.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "run/Parse.h"
#include "script/ScanState.h"
#include "script/Scanner.h"

namespace zor {

namespace {

bool reported = false;
char reportedTokenText[maxErrorLength + 1] = {};

// Builds a text within maxErrorLength characters.
class ErrorText {
public:
    void add(const char* text) { add(text, std::strlen(text)); }
    void add(const char* text, std::size_t length) {
        length = std::min(length, room());
        std::memcpy(buffer + used, text, length);
        used += length;
        buffer[used] = '\0';
    }
    std::size_t room() const { return maxErrorLength - used; }
    const char* text() const { return buffer; }

private:
    char buffer[maxErrorLength + 1] = {};
    std::size_t used = 0;
};

}  // namespace

void reportError(const char* message, const char* detail) {
    reportErrorAt(message, detail, scanState().lineNo, currentPos());
}

void reportErrorAt(const char* message, const char* detail, std::int32_t line,
                   std::int32_t position) {
    if (reported) return;
    reported = true;
    char lineText[16] = {};
    std::to_chars(lineText, lineText + sizeof lineText - 1, line);
    const char* token = tokenText();
    const std::size_t tokenLength = std::min(std::strlen(token), std::size_t{maxErrorLength});
    std::memcpy(reportedTokenText, token, tokenLength);
    reportedTokenText[tokenLength] = '\0';

    std::size_t fixed = std::strlen(message) + std::strlen(" in line ") + std::strlen(lineText) + 1;
    if (detail != nullptr) fixed += std::strlen(" ()");
    if (*token != '\0') fixed += std::strlen(" ( ... )");
    // The detail or the token is the part that may be long; it gets what is left.
    std::size_t room = maxErrorLength > fixed ? maxErrorLength - fixed : 0;

    ErrorText error;
    error.add(message);
    if (detail != nullptr) {
        std::size_t length = std::min(std::strlen(detail), room);
        room -= length;
        error.add(" (");
        error.add(detail, length);
        error.add(")");
    }
    error.add(" in line ");
    error.add(lineText);
    if (*token != '\0') {
        error.add(" ( ");
        error.add(token, std::min(std::strlen(token), room));
        error.add("... )");
    }
    error.add("\n");

    Parse::setErrString(error.text());
    Parse::setErrLine(line);
    Parse::setErrPos(position);
}

int failAction(const char* message, const char* detail) {
    emptyTokenText();
    reportError(message, detail);
    return 1;
}

int failActionAt(const char* message, const char* detail, std::int32_t line,
                 std::int32_t position) {
    emptyTokenText();
    reportErrorAt(message, detail, line, position);
    return 1;
}

void resetErrorReport() {
    reported = false;
    reportedTokenText[0] = '\0';
}

const char* reportedToken() {
    return reportedTokenText;
}

}  // namespace zor
