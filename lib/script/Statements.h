// The script's top-level statements: the start of a parse, the output-file and
// delete-file statements, and the beginning and end of top-level records.
#pragma once

#include "script/ScriptText.h"

namespace zor {

// start_script: %empty
// Resets the parse state before the first token is read.
void startScript();
// statement: "resultfile" file_name
// Reports and errors of the run go to this file from now on.
void setOutputFile(const ScriptText& name);
// statement: "deletefile" file_name
// Deletes the file when running tests, not when providing.
void deleteNamedFile(const ScriptText& name);

// statement: "extern" path record_body
// An extern record, whose results the host produces itself.
void beginExternRecord(const ScriptText& path);
void endExternRecord();
// statement: path record_body
// A test record; its end answers 1 when the parse is to stop.
void takeRecordPosition();
void beginTestRecord(const ScriptText& path);
int endTestRecord();
// statement: globals_body
// A record without a name, which assigns global variables.
void beginGlobalRecord();
int endGlobalRecord();

}  // namespace zor
