#include "script/ParserHooks.h"

#include "script/ErrorReport.h"
#include "script/ScanState.h"
#include "script/Scanner.h"

int yylex(zor::ScriptText* value) {
    int token = zor::nextToken();
    *value = zor::scanState().tokenValue;
    return token;
}

// The generated parser also calls this when the stacks overflow, after the
// overflow has been reported; only the first report of a parse counts.
void yyerror(const char*) {
    zor::reportError("parse error");
}
