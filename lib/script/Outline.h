// A parse that outlines the script instead of running it. The routines that
// would run a test, store a value, name or delete a file or change the run
// state ask outlining() first and hand what they meet to the outline instead.
#pragma once

#include "script/ScriptOutline.h"
#include "script/ScriptText.h"

namespace zor {

struct ParseState;

// Puts the parse and scan state aside, so that a run that is resting between
// its calls (the provider way) finds them as it left them after endOutline.
void beginOutline(ScriptOutline& outline);
void endOutline();
bool outlining();

// The value that a variable stands for in a file name while outlining: no
// string of the script can hold it, so a name that does was computed.
constexpr char computedPart[] = "\x01";

// statement: "resultfile" file_name | "deletefile" file_name
void outlineFile(OutlineFile::Kind kind, const ScriptText& name);
// A top-level record at its closing brace.
void outlineRecord(const ParseState& state);
// "(" path ")": a variable used, when the outline takes variables.
void outlineVariableUse(const ScriptText& path);
// An entry, nested record or list named name in the body being read: a
// definition when the body belongs to a global-variable record.
void outlineDefinition(const ParseState& state, const ScriptText& name);

}  // namespace zor
