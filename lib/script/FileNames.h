// File names: a string, or the concatenation of strings and text variables in
// parentheses, such as ("out_" (prefix) ".txt").
#pragma once

#include "script/ScriptText.h"

namespace zor {

// file_name: "(" file_parts ")"
// The file name is the text of its parts.
void takeFileParts(ScriptText& name, const ScriptText& parts);
// file_parts: file_parts STRING
int appendStringPart(ScriptText& parts, const ScriptText& string);
// file_parts: "(" path ")" | file_parts "(" path ")"
// A text variable as the first part, or appended. A variable that is not a
// text is "undefined"; where that error is suppressed the part is empty.
int variablePart(ScriptText& parts, const ScriptText& path);
int appendVariablePart(ScriptText& parts, const ScriptText& path);

}  // namespace zor
