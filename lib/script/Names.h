// Paths and the names that entries are stored under.
#pragma once

#include "script/ScriptText.h"

namespace zor {

// path: IDENT
// A path's last identifier has been read; line markers end here.
void completePath();
// path: IDENT "." path
// Fails with "name too long" when the joined path does not fit a text.
int joinPath(ScriptText& path, const ScriptText& identifier, const ScriptText& rest);

// compare_target: path "="
// The path itself, or "==" and the path in the verify section.
int plainTarget(ScriptText& target, const ScriptText& path);
// compare_target: path ("==" | ">" | "<" | "!=" | ">=" | "<=")
// The two-character operator prefix and the path, in the verify section only
// ("illegal operation" elsewhere).
int operatorTarget(ScriptText& target, const ScriptText& path, const char* prefix);

// Fails with "name too long" and the name's first 40 characters.
int failNameTooLong(const char* first, const char* second);

}  // namespace zor
