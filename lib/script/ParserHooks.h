// What the generated parser needs from outside its grammar: the scanner, the
// error report, the stacks and their limits. Included by Grammar.y only.
#pragma once

#include <cstddef>

#include "script/ParserStacks.h"
#include "script/ScriptText.h"

// The stacks start with room for 70 entries; yyoverflow below grows them.
#define YYINITDEPTH zor::initialStackDepth
#define YYMAXDEPTH zor::maxStackDepth

// Called when the stacks are full. A growth beyond 500 entries stops the parse
// with result 2 ("parser stack overflow"), a block that cannot be had with 1.
#define yyoverflow(message, states, stateBytes, values, valueBytes, capacity)                    \
    do {                                                                                         \
        std::ptrdiff_t entries = (stateBytes) / static_cast<std::ptrdiff_t>(sizeof(**(states))); \
        switch (zor::growParserStacks((states), (values), entries, (capacity))) {                \
            case zor::StackGrowth::grown:                                                        \
                break;                                                                           \
            case zor::StackGrowth::overflow:                                                     \
                YYNOMEM;                                                                         \
            case zor::StackGrowth::outOfMemory:                                                  \
                YYABORT;                                                                         \
        }                                                                                        \
    } while (false)

// An action that answers non-zero has reported its error, or asks the parse
// to stop because the selected test has run: the parse ends with result 1.
#define ACT(call)                 \
    do {                          \
        if ((call) != 0) YYABORT; \
    } while (false)

// The scanner as the parser calls it: the token kind, with a copy of the token
// value for every token, valued or not.
int yylex(zor::ScriptText* value);
// The parser's own errors; they are reported as "parse error".
void yyerror(const char* message);
