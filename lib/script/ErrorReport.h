// Every error of a parse goes through reportError, which adds the line, the
// position and the offending token, so that all reports have the same shape.
#pragma once

#include <cstdint>

#include "FixedText.h"

namespace zor {

// Error texts fit the run state's 500-byte text: the token or the detail is cut
// so that the text, line feed included, stays within this many characters.
constexpr int maxErrorLength = fixedTextSize - 1;

// Stores "<message>[ (<detail>)] in line <n>", then " ( <token>... )" and a line
// feed, or a line feed alone when the token text is empty, as the run's error
// with its line and position. Only the first report of a parse counts: a parse
// stops at its first error, and later reports are echoes of it.
void reportError(const char* message, const char* detail = nullptr);
// The same for an error that belongs to an earlier point of the script than
// the current token: the given line and position.
void reportErrorAt(const char* message, const char* detail, std::int32_t line,
                   std::int32_t position);

// The error of an action: empties the token text and reports "message (detail)".
// Answers 1, the action's request to stop the parse.
int failAction(const char* message, const char* detail);
int failActionAt(const char* message, const char* detail, std::int32_t line, std::int32_t position);

// Forgets the previous parse's report; called when a parse starts.
void resetErrorReport();

// The token the reported error stands at, as the scanner took it (cut to the
// error text's size); "" for an error of an action or when none was reported.
const char* reportedToken();

}  // namespace zor
