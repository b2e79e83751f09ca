// The script's top-level statements: the start of a parse, the output-file and
// delete-file statements, and the beginning and end of top-level records.
#pragma once

#include "script/ScriptText.h"

namespace zor {

// A1: resets the parse state before the first token is read.
void startScript();
// A2: "resultfile": reports and errors of the run go to this file from now on.
void setOutputFile(const ScriptText& name);
// A3: "deletefile": deletes the file when running tests, not when providing.
void deleteNamedFile(const ScriptText& name);

// A4, A5: an extern record, whose results the host produces itself.
void beginExternRecord(const ScriptText& path);
void endExternRecord();
// A6, A7, A8: a test record; its end answers 1 when the parse is to stop.
void takeRecordPosition();
void beginTestRecord(const ScriptText& path);
int endTestRecord();
// A9, A10: a record without a name, which assigns global variables.
void beginGlobalRecord();
int endGlobalRecord();

}  // namespace zor
